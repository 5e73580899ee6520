#pragma once

#include "ui/Dialog.h"

#include <string>
#include <vector>

namespace kelvane {

enum class LinkState { Searching, Connected, NoRack, LinkLost, NotConnected };

// The main window's status bar: the link's state, the entry the rack answered on, how many modules it has, and
// the last write to it with its time. Unlike the message area it changes only when what it says changes.
class MainStatus {
public:
    void Attach(ui::Dialog& window);
    // The entry and the count are those of a connected rack; a lost link still names the entry it was on.
    void SetLink(LinkState state, const std::string& entry = {}, int modules = 0);
    void SetLastWrite(const std::string& report);
    std::vector<std::string> Fields() const;

private:
    void Show();

    ui::Dialog* window_ = nullptr;
    LinkState state_ = LinkState::Searching;
    std::string entry_;
    int modules_ = 0;
    std::string lastWrite_;
};

}  // namespace kelvane
