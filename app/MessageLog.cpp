#include "app/MessageLog.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "text/Utf8.h"

namespace kelvane {
namespace {

constexpr const char* kIndent = "          ";  // under the time of day and its gap

// The message's lines, each ended, the lines after the first indented under the first.
std::string Lines(const std::string& text) {
    std::string out;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out += (at == 0 ? "" : kIndent) + line + "\n";
        at = end + 1;
    }
    return out;
}

}  // namespace

bool MessageLog::Add(const std::string& text, std::time_t seconds) {
    if (text.empty()) return false;
    const std::string kept = Utf8Prefix(text, kLongestText);
    if (!entries_.empty() && entries_.back().text == kept) {
        ++entries_.back().times;
        entries_.back().last = seconds;
        return false;
    }
    if (entries_.size() == kMostKept) {
        entries_.pop_front();
        ++dropped_;
    }
    entries_.push_back({seconds, seconds, kept, 1});
    return true;
}

std::string MessageLog::Text() const {
    std::string out;
    if (dropped_ > 0) out += FormatText(MessageText(kLogDroppedText), {static_cast<int>(dropped_)}) + "\n";
    for (const Entry& entry : entries_) {
        out += LocalTimeOfDay(entry.first) + "  " + Lines(entry.text);
        if (entry.times > 1) {
            out +=
                kIndent + FormatText(MessageText(kLogRepeatedText), {entry.times, LocalTimeOfDay(entry.last)}) + "\n";
        }
    }
    return out;
}

}  // namespace kelvane
