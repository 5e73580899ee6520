#pragma once

#include <cstddef>
#include <ctime>
#include <deque>
#include <string>

namespace kelvane {

// Every message the window showed in its message area, with the time it came, for the whole run: what an
// operator was told stays readable after the next message replaced it. Bounded: the oldest go first, and
// how many went is kept, so that a window left searching for days cannot fill the memory.
class MessageLog {
public:
    static constexpr std::size_t kMostKept = 2000;
    // Characters of one message kept (a message is a line or two; this only stops a hostile name from a module).
    static constexpr std::size_t kLongestText = 2000;

    struct Entry {
        std::time_t first = 0;
        std::time_t last = 0;
        std::string text;
        int times = 1;  // the same message shown again at once (a search that keeps failing) is counted
    };

    // An empty text (the area cleared) is not a message. True when the message made a new entry, false when it
    // was nothing or only counted as a repeat of the last.
    bool Add(const std::string& text, std::time_t seconds);

    const std::deque<Entry>& Entries() const { return entries_; }
    std::size_t Dropped() const { return dropped_; }

    // The whole log as lines, oldest first, in the operator's language: "14:03:22  text", a message's further
    // lines indented under it.
    std::string Text() const;

private:
    std::deque<Entry> entries_;
    std::size_t dropped_ = 0;
};

}  // namespace kelvane
