#pragma once

#include "ui/WindowSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kelvane {

// The one-line message area under the panels, with its progress bar. Every part of the program reports
// through it; a message stays for the time its caller chose and is then blanked. The area is on screen only
// while it has a text or a progress bar to show.
class CInfo final : public ui::DialogHandler {
public:
    static constexpr int kExpiryTimer = 1;

    explicit CInfo(ui::WindowSystem& windows) : windows_(windows) {}

    // Builds the window from its template inside `parent`, hidden.
    void Create(ui::Dialog& parent);
    void InitInfoFont();

    // Shows `text` for `durationMs`, or for as long as a person needs to read it when that is longer; with
    // `wait` the caller is blocked for `durationMs` after the text is on screen. An empty text clears the area,
    // but never before the message on show could be read, and never a lasting one.
    void ShowInfo(const std::string& text, bool wait, std::uint32_t durationMs);
    // Blanks the area for a new panel, as soon as the message on show has been read.
    void Clear() { ShowInfo("", false, kClearMs); }
    // Shows `text` until the next message replaces it.
    void ShowLasting(const std::string& text);
    // How long a person needs to read `text`.
    static std::uint32_t ReadingTimeMs(const std::string& text);
    // A range of 0 hides the bar.
    void SetInfoProgress(int range, int position);

    // Set by every message and every expiry, never cleared: the rack search after an upgrade waits on it.
    bool Shown() const { return shown_; }
    const std::string& Text() const { return text_; }
    bool HasSomethingToShow() const;
    ui::Dialog& Window() { return *window_; }
    // Hears every message put on show, as it comes (not the clearing of the area): the window's message log.
    void SetListener(std::function<void(const std::string&)> listener) { listener_ = std::move(listener); }

    void OnTimer(int timerId) override;

private:
    static constexpr std::uint32_t kClearMs = 100;

    void ShowIfSomethingToShow();
    void PutText(const std::string& text);

    ui::WindowSystem& windows_;
    std::unique_ptr<ui::Dialog> window_;
    std::string text_;
    int progressRange_ = 0;
    bool shown_ = false;
    bool lasting_ = false;
    std::uint64_t readableUntil_ = 0;
    std::function<void(const std::string&)> listener_;  // tick count before which the text on show is not cleared
};

}  // namespace kelvane
