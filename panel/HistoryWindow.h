#pragma once

#include "app/SlotTable.h"
#include "panel/SignalHistory.h"
#include "panel/StatusReplies.h"
#include "ui/WindowSystem.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// The signal history of the pair the module panel shows, and the window that draws it. The panel feeds every poll
// in, whether the window is open or not; the operator opens the window from the panel, and it stays open beside
// the main window, following the pair shown, until its close box. It never talks to the rack itself.
class CHistoryWindow final : public ui::DialogHandler {
public:
    // `owner` is the window this one stays over.
    CHistoryWindow(ui::WindowSystem& windows, ui::Dialog& owner);
    ~CHistoryWindow() override;
    CHistoryWindow(const CHistoryWindow&) = delete;
    CHistoryWindow& operator=(const CHistoryWindow&) = delete;

    // The pair the panel now shows, with the input rows and output channels it has. The history starts again
    // for another pair; the same pair shown again (the operator came back to it, or the link came back) keeps
    // its past, with a gap for the time it was not polled.
    void FollowPair(const SlotRecord& input, const SlotRecord* output, int inputRows, int channels);
    // One poll of the pair: the input's status and the channels the output reported (none when it did not answer).
    void Record(std::uint64_t tickMs, const InputStatus& status, const std::vector<ChannelRate>& rates);

    void Open();
    bool IsOpen() const;
    const SignalHistory& History() const { return history_; }
    // Null until the window was first opened.
    ui::Dialog* Window() const { return window_.get(); }

    void OnCancel() override;
    void OnClose() override;

private:
    struct PairId {
        std::uint8_t inputAddress = 0;
        std::uint8_t inputType = 0;
        std::optional<std::uint8_t> outputAddress;
        std::optional<std::uint8_t> outputType;
        bool operator==(const PairId&) const = default;
    };

    void BuildForPair();
    void Draw();

    ui::WindowSystem& windows_;
    ui::Dialog& owner_;
    std::unique_ptr<ui::Dialog> window_;
    SignalHistory history_;
    std::optional<PairId> pair_;
    std::string pairName_;
    int inputRows_ = 1;
    int channels_ = 0;
    int builtInputRows_ = 0;  // the shape window_ was built for
    int builtChannels_ = 0;
};

}  // namespace kelvane
