// The main window's save and upload buttons against kxrsim over a real pseudo-terminal, heard from the rack's side.

#include "app/MessageCatalogue.h"
#include "res/ResourceIds.h"
#include "tests/app/StandInPanels.h"
#include "tests/config/SlotTables.h"
#include "tests/support/ProgramWindow.h"
#include "tests/support/PtyRack.h"
#include "tests/support/TempFolder.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

using test::Bytes;
using test::Contents;
using test::Heard;
using Beeped = ui::HeadlessWindowSystem::Beeped;

// The file a rack's records make, written out here from the format alone.
Bytes FileOf(const SlotTable& table) {
    Bytes file;
    for (const SlotRecord& record : table.Valid()) {
        file.insert(file.end(), {record.Type, static_cast<std::uint8_t>(record.ConfigLength >> 8),
                                 static_cast<std::uint8_t>(record.ConfigLength & 0xFF)});
        file.insert(file.end(), record.Config.begin(), record.Config.begin() + record.ConfigLength);
    }
    return file;
}

class ConfigButtonsAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        fs::create_directories(dir_.Path("config"));
        rack_.Start();
        main_ = test::OpenMainWindow(windows, rack_.link, dir_.Root().string(),
                                     std::make_unique<test::StandInModulePanel>(windows, calls_),
                                     std::make_unique<test::StandInCamMenu>(windows, calls_));
        main_->DiscoverRack();
        ASSERT_EQ(main_->Slots().ModuleCount, 8);
        windows.beeps.clear();
    }

    CKelvaneDlg& Main() { return *main_; }
    sim::RackSimulator& Rack() { return rack_.simulator; }
    fs::path Config(const std::string& name) const { return dir_.Path("config") / name; }

    // Clicks `button` and returns what the rack heard meanwhile.
    std::vector<Heard> Press(int button) {
        const std::size_t before = Rack().RequestLog().size();
        windows.Find(res::kMainDialog)->Click(button);
        return test::HeardFrom(Rack().RequestLog(), before);
    }

    // Uploads `file`, answering its summary with `summaryButton` (OK cannot end a summary whose button is
    // disabled: the operator gives up then).
    std::vector<Heard> Upload(const fs::path& file, int summaryButton = res::kSummaryOkButton) {
        windows.openAnswers = {file.string()};
        windows.onModal = [this, summaryButton](ui::HeadlessDialog& summary) {
            ++summaries;
            okEnabled = summary.IsControlEnabled(res::kSummaryOkButton);
            summary.Click(summaryButton);
            if (!okEnabled) summary.Click(res::kSummaryCancelButton);
        };
        return Press(res::kUploadButton);
    }

    void SaveAs(const std::string& name, const SlotTable& table) {
        std::error_code error;
        ASSERT_TRUE(SaveConfigFile(Config(name), table, error)) << error.message();
    }

private:
    test::TempFolder dir_{"config-buttons"};
    test::PtyRack rack_;

protected:
    ui::HeadlessWindowSystem windows{rack_.clock};
    int summaries = 0;
    bool okEnabled = false;

private:
    std::vector<test::PanelCall> calls_;
    std::unique_ptr<CKelvaneDlg> main_;
};

TEST_F(ConfigButtonsAgainstSimulator, SaveWritesEveryListedModuleInOrder) {
    EXPECT_TRUE(Press(res::kSaveButton).empty());  // cancelled: nothing happens
    windows.saveAnswers = {Config("rack").string()};
    EXPECT_TRUE(Press(res::kSaveButton).empty());
    ASSERT_EQ(windows.fileRequests.size(), 2u);
    const ui::FileDialogRequest& asked = windows.fileRequests[1];
    EXPECT_EQ(asked.title, "Select name to save hardware configuration");
    EXPECT_EQ(fs::path(asked.directory), Config("").parent_path());
    EXPECT_EQ(asked.filterName, "Config.");
    EXPECT_EQ(asked.pattern, "*.kcf");
    EXPECT_EQ(asked.defaultExtension, "kcf");  // so the overwrite question is about the file really written
    ASSERT_TRUE(asked.finalName);  // and about "rack.v2.kcf" when "rack.v2" is typed
    EXPECT_EQ(asked.finalName("/r/rack.v2"), "/r/rack.v2.kcf");
    EXPECT_EQ(asked.finalName("/r/rack.kcf"), "/r/rack.kcf");
    EXPECT_EQ(Main().CurrentSlot(), CKelvaneDlg::kNoSlot);

    EXPECT_EQ(Contents(Config("rack.kcf")), FileOf(test::TableOf(sim::DefaultRack())));
    EXPECT_EQ(Main().Info().Text(), "Configuration saved into " + Config("rack.kcf").string());
    EXPECT_TRUE(windows.beeps.empty());
}

TEST_F(ConfigButtonsAgainstSimulator, AFailedSaveBeepsAndKeepsTheOldFile) {
    test::Write(Config("kept.kcf"), {0x00, 0x00, 0x00});
    fs::permissions(Config("kept.kcf"), fs::perms::owner_read);
    windows.saveAnswers = {Config("kept.kcf").string()};
    Press(res::kSaveButton);
    EXPECT_EQ(Contents(Config("kept.kcf")), (Bytes{0x00, 0x00, 0x00}));
    EXPECT_EQ(windows.beeps, (std::vector<Beeped>{{440, 250}}));
    // Message 37 says what failed, the line under it why.
    EXPECT_EQ(Main().Info().Text(), "ERROR : CAN NOT CREATE FILE !\r\n" + MessageText(kFileWriteProtectedMessage));

    fs::create_directory(Config("folder.kcf"));
    windows.saveAnswers = {Config("folder.kcf").string()};
    Press(res::kSaveButton);
    EXPECT_TRUE(fs::is_directory(Config("folder.kcf")));
    EXPECT_EQ(Main().Info().Text(), "ERROR : CAN NOT CREATE FILE !\r\n" + MessageText(kNotAFileMessage));
}

TEST_F(ConfigButtonsAgainstSimulator, UploadingWhatWasSavedOnlyRestartsTheOutputs) {
    SaveAs("same.kcf", Main().Slots());
    EXPECT_EQ(Upload(Config("same")), (std::vector<Heard>{{3, 0x80, {}}, {5, 0x80, {}}, {7, 0x80, {}}}));
    EXPECT_EQ(windows.fileRequests.back().title, "Select Configuration file to upload in hardware");
    EXPECT_EQ(summaries, 1);  // the extension rule found same.kcf
    EXPECT_EQ(Main().Info().Text(), "Configuration uploaded to hardware.");
}

TEST_F(ConfigButtonsAgainstSimulator, UploadSendsExactlyTheChangedImages) {
    SlotTable edited = Main().Slots();
    edited[1].Config[2] ^= 0x10;  // the KXB200's symbol rate
    edited[5].Config[1] ^= 0x08;  // the KXD420's frequency, and a longer image
    edited[5].Config[edited[5].ConfigLength++] = 0x00;
    SaveAs("edited.kcf", edited);
    EXPECT_TRUE(Upload(Config("edited.kcf"), res::kSummaryCancelButton).empty());
    EXPECT_NE(test::ImageBytes(Main().Slots()[5]), test::ImageBytes(edited[5]));

    const Bytes input = test::ImageBytes(edited[1]);
    const Bytes output = test::ImageBytes(edited[5]);
    EXPECT_EQ(Upload(Config("edited.kcf")),
              (std::vector<Heard>{
                  {1, 0x50, input}, {5, 0x50, output}, {5, 0x80, {}}, {3, 0x80, {}}, {5, 0x80, {}}, {7, 0x80, {}}}));
    EXPECT_EQ(Rack().ConfigOf(1), input);
    EXPECT_EQ(Rack().ConfigOf(5), output);
    EXPECT_EQ(test::ImageBytes(Main().Slots()[5]), output);
    EXPECT_EQ(Main().Slots()[5].Address, 5);
}

TEST_F(ConfigButtonsAgainstSimulator, AFileThatDoesNotFitIsNeitherConfirmedNorSent) {
    SlotTable swapped = Main().Slots();
    std::swap(swapped[1], swapped[2]);
    SlotTable longer = Main().Slots();
    longer[longer.ModuleCount++] = test::Record(3, 0);
    SaveAs("swapped.kcf", swapped);
    SaveAs("longer.kcf", longer);
    const SlotTable before = Main().Slots();
    for (const char* name : {"swapped.kcf", "longer.kcf"}) {
        windows.beeps.clear();
        EXPECT_TRUE(Upload(Config(name)).empty()) << name;
        EXPECT_FALSE(okEnabled);
        EXPECT_EQ(windows.beeps, (std::vector<Beeped>{{440, 250}}));
        for (std::size_t k = 0; k < kSlotCount; ++k) EXPECT_EQ(Main().Slots()[k].Config, before[k].Config) << k;
    }
}

TEST_F(ConfigButtonsAgainstSimulator, ADamagedOrMissingFileIsReportedWithoutASummary) {
    SaveAs("good.kcf", Main().Slots());
    Upload(Config("good.kcf"));
    Bytes damaged = Contents(Config("good.kcf"));
    damaged.pop_back();  // the last image lacks its last byte
    test::Write(Config("damaged.kcf"), damaged);
    Bytes tooLong = {1, 0x04, 0x01};  // an image of 1025 bytes
    tooLong.resize(3 + 1025, 0x00);
    test::Write(Config("toolong.kcf"), tooLong);
    Bytes tooMany;
    for (int k = 0; k < 16; ++k) tooMany.insert(tooMany.end(), {3, 0, 0});  // one record more than a rack holds
    test::Write(Config("toomany.kcf"), tooMany);
    ASSERT_EQ(mkfifo(Config("pipe.kcf").c_str(), 0600), 0);  // opening it to read would wait for a writer
    const std::string notAFile = "ERROR : CAN NOT OPEN FILE !\r\n" + MessageText(kNotAFileMessage);
    // A file that opened is never called unopenable: the operator is told what is wrong with it.
    const std::pair<const char*, std::string> cases[] = {
        {"pipe.kcf", notAFile},
        {"damaged.kcf", "ERROR : DAMAGED FILE, IT ENDS INSIDE A RECORD !"},
        {"toolong.kcf", "ERROR : DAMAGED FILE, A RECORD IS TOO LONG !"},
        {"toomany.kcf", "ERROR : FILE DOES NOT FIT, MORE MODULES THAN A RACK HOLDS !"},
        {"absent.kcf", "ERROR : CAN NOT OPEN FILE !"}};
    for (const auto& [name, message] : cases) {
        windows.beeps.clear();
        EXPECT_TRUE(Upload(Config(name)).empty()) << name;
        EXPECT_EQ(windows.beeps, (std::vector<Beeped>{{440, 250}}));
        EXPECT_EQ(Main().Info().Text(), message);
    }
    EXPECT_EQ(summaries, 1);
    EXPECT_EQ(Main().Loaded().LoadedCount, 8) << "the file read before stays the loaded one";
    EXPECT_EQ(test::ImageBytes(Main().Loaded().LoadedTable[7]), test::ImageBytes(Main().Slots()[7]));
}

TEST_F(ConfigButtonsAgainstSimulator, AnUploadTheRackDidNotTakeIsNotReportedAsDone) {
    SlotTable edited = Main().Slots();
    edited[7].Config[0] ^= 0x01;
    SaveAs("edited.kcf", edited);
    sim::FaultOptions refusing;
    refusing.refuseShare = 1;
    Rack().SetFaults(refusing);
    const SystemClock clock;
    const std::uint64_t start = clock.TickCount();
    Upload(Config("edited.kcf"));
    EXPECT_EQ(windows.beeps, (std::vector<Beeped>{{440, 250}}));
    EXPECT_EQ(Main().Info().Text(), "ERROR !");
    // The lost link starts a new search at the supervision's next tick: the failure is held long enough to be
    // read before the search's messages take its place, and the buttons are back.
    EXPECT_GE(clock.TickCount() - start, 2000u);
    EXPECT_TRUE(windows.Find(res::kMainDialog)->IsControlEnabled(res::kUploadButton));
}

TEST_F(ConfigButtonsAgainstSimulator, TheWindowIsRepaintedWhereTheSummaryStoodBeforeTheRackIsTalkedTo) {
    SaveAs("same.kcf", Main().Slots());
    ui::HeadlessDialog& window = *windows.Find(res::kMainDialog);
    int repaintsAtSummary = -1;
    int repaintsAtFirstRequest = -1;
    const std::size_t requestsBefore = Rack().RequestLog().size();
    windows.openAnswers = {Config("same.kcf").string()};
    windows.onModal = [&](ui::HeadlessDialog& summary) {
        repaintsAtSummary = window.Repaints();
        summary.Click(res::kSummaryOkButton);
    };
    window.Click(res::kUploadButton);
    ASSERT_GE(repaintsAtSummary, 0);
    ASSERT_GT(Rack().RequestLog().size(), requestsBefore);
    repaintsAtFirstRequest = window.Repaints();
    EXPECT_GT(repaintsAtFirstRequest, repaintsAtSummary);
}

}  // namespace
}  // namespace kelvane
