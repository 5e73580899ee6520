#pragma once

#include "app/MainStatus.h"
#include "app/MessageLog.h"
#include "app/PanelInterfaces.h"
#include "app/RackChoice.h"
#include "app/TextWindow.h"
#include "app/SlotTable.h"
#include "config/ConfigFile.h"
#include "config/FirmwareUpdate.h"
#include "ui/WindowSystem.h"
#include "widgets/Info.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvane {

class CXmit;

// The main window: the icon buttons, the module list, the panel area and the message area below it.
// It owns the slot table and runs discovery, link supervision and panel switching.
class CKelvaneDlg final : public ui::DialogHandler {
public:
    static constexpr int kStartTimer = 1;
    static constexpr int kSupervisionTimer = 2;
    // After a lost link, the search for the rack is tried again on this timer until the rack answers.
    static constexpr int kRelinkTimer = 3;
    static constexpr int kNoSlot = 255;
    static constexpr int kListRows = 13;
    static constexpr int kEmptyRowImage = 10;
    static constexpr const char* kProgramName = "Kelvane";
    static constexpr ui::Point kPanelOrigin{136, 0};
    static constexpr ui::Point kInfoOrigin{136, 482};

    CKelvaneDlg(ui::WindowSystem& windows, CXmit& link, std::string applicationDirectory,
                std::unique_ptr<ModulePanel> modulePanel, std::unique_ptr<CamMenu> camMenu);
    ~CKelvaneDlg() override;

    // Builds the window and its children and starts the one-shot timer that starts discovery.
    void Create();
    // Runs the window until its close box ends the program.
    int RunModal();

    // Discovery and supervision.
    void DiscoverRack();
    void SupervisionTick();
    // Rack > Connect to: the entry chosen in its dialog alone, or the whole search, from now on and at the
    // next start; the line in use is let go first.
    void ConnectTo();

    // Panel switching: row `index`, or kNoSlot (or -1) to close every panel.
    void SelectSlot(int index);
    // Puts `panel` in the panel area, or the background picture when null.
    void PlacePanel(ui::Dialog* panel);

    SlotTable& Slots() { return slots_; }
    int CurrentSlot() const { return currentSlot_; }
    const std::string& ApplicationDirectory() const { return applicationDirectory_; }
    CInfo& Info() { return info_; }
    FirmwareUpdate& Firmware() { return firmware_; }
    ui::Dialog& Window() { return *window_; }
    ModulePanel& Panel() { return *modulePanel_; }
    CamMenu& Cam() { return *camMenu_; }
    const LoadedConfig& Loaded() const { return loaded_; }

    // Buttons 1024 and 1025: the whole rack's configuration to a file, and a file's back to the rack.
    void SaveConfiguration();
    void UploadConfiguration();

    // The menu bar (app/MainMenu.cpp). A button and the menu items that start the same work are enabled and
    // disabled together, here only.
    void EnableCommand(int button, bool enabled);
    void OnMenuItem(int itemId) override;
    // Where Help > Using the window looks for README.md, first found first.
    void SetGuideFiles(std::vector<std::filesystem::path> candidates) { guideFiles_ = std::move(candidates); }
    const MessageLog& Log() const { return log_; }
    const MainStatus& Status() const { return status_; }
    // Null until first opened.
    ui::Dialog* LogWindow() const { return logWindow_->Window(); }

    void OnNotify(const ui::Notification& notification) override;
    void OnTimer(int timerId) override;
    void OnCancel() override;
    void OnClose() override;

private:
    void InitDialog();
    void InitModuleList();
    void InitBars();
    void ShowAbout();
    int ImageOf(std::uint8_t type) const;
    void SetRow(int row, const std::string& label, int image);
    void SetRowImage(int row, int image);

    // Steps of a discovery run.
    void StartDiscovery();
    bool SearchForRack();
    // The number of the chosen entry, while the table has it.
    std::optional<std::uint8_t> ChosenNumber() const;
    bool DiscoveryPass(bool firmwareChecks, bool& updated);
    void LabelRow(std::size_t row);
    std::string NotFoundText() const;
    void ReportNoRack(bool firstSearch);
    void HandleInactiveModule();
    bool WaitForRestartedRack();
    void StartSupervision();
    void ReportRefusedFirmware();
    void ReportVersionsNotTaken();
    void RestoreLostPlace();

    // Panel switching.
    void ShowPair(int inputRow, int outputRow, int camCount);
    void SelectPairOf(int row);

    // Configuration save and upload: the file dialog, and a failure told with a beep.
    std::optional<std::string> AskConfigPath(bool save);
    void ReportFailure(int message, const std::string& reason = {});
    static int ReadFailureMessage(ConfigReadResult result);

    ui::WindowSystem& windows_;
    CXmit& link_;
    std::string applicationDirectory_;
    std::unique_ptr<ui::Dialog> window_;
    CInfo info_;
    std::unique_ptr<ModulePanel> modulePanel_;
    std::unique_ptr<CamMenu> camMenu_;
    FirmwareUpdate firmware_;
    SlotTable slots_;
    LoadedConfig loaded_;
    int currentSlot_ = 247;  // no request uses it, so the first always takes effect

    // What was open when the link went: the row asked for, and the type of every row the panel worked on.
    struct OpenPlace {
        int row = -1;
        std::vector<std::pair<int, std::uint8_t>> rowTypes;
    };
    std::optional<OpenPlace> OpenPlaceNow() const;
    std::optional<OpenPlace> lostPlace_;
    bool relinking_ = false;  // the rack is searched for again after a lost link
    // The images sent to modules in this discovery run, checked once the rack is back from its restart.
    std::vector<UpgradeKey> offeredImages_;
    bool lookingAgain_ = false;  // no rack answered since the window started: the search is repeated
    // The entry chosen under Rack > Connect to, as the table describes it; none for the search round the table.
    std::optional<std::string> chosenEntry_;
    EntryStates entryStates_;

    MessageLog log_;
    MainStatus status_;
    std::unique_ptr<CTextWindow> logWindow_;
    std::unique_ptr<CTextWindow> reportWindow_;
    std::unique_ptr<CTextWindow> guideWindow_;
    std::vector<std::filesystem::path> guideFiles_;
};

}  // namespace kelvane
