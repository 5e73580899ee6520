#include "tools/cli/CamScreenText.h"

#include "app/TextFormat.h"
#include "cam/MenuLayout.h"
#include "text/ControlCharacters.h"

namespace kelvane {
namespace {

// Items lie between the title, subtitle and blank line before them and the blank and bottom lines after them.
constexpr std::size_t kLinesAfterItems = 2;

bool IsItem(std::size_t index, std::size_t count) {
    return index >= static_cast<std::size_t>(kFirstItemEntry) && index + kLinesAfterItems < count;
}

}  // namespace

bool CamScreenText::Take(std::span<const MmiEvent> events) {
    bool shown = false;
    for (const MmiEvent& e : events) {
        switch (e.kind) {
        case MmiEventKind::SessionPacket: continue;
        case MmiEventKind::SessionClosed:
        case MmiEventKind::MenuClosed:
            Write();
            // A CAM closes its menu and then its session: said once.
            if (!closed_) written_ += "(the CAM closed its menu)\n";
            closed_ = true;
            break;
        case MmiEventKind::MenuStart:
        case MmiEventKind::ListStart: Start(e.kind == MmiEventKind::MenuStart ? Kind::Menu : Kind::List); break;
        case MmiEventKind::Enquiry:
            Start(Kind::Question);
            blind_ = e.blind;
            answerLength_ = e.answerLength;
            lines_.push_back(TerminalText(e.text));
            break;
        case MmiEventKind::Text:
            if (kind_ == Kind::None) Start(Kind::Text);
            closed_ = false;
            AddByListRule(lines_, TerminalText(e.text));
            break;
        case MmiEventKind::Untreated: written_ += FormatText("(CAM object %06X not treated)\n", {e.tag}); break;
        }
        shown = true;
    }
    return shown;
}

void CamScreenText::Start(Kind kind) {
    Write();
    closed_ = false;
    kind_ = kind;
}

void CamScreenText::Write() {
    switch (kind_) {
    case Kind::None: return;
    case Kind::Menu: written_ += "[menu]\n"; break;
    case Kind::List: written_ += "[list]\n"; break;
    case Kind::Question:
        written_ +=
            FormatText("[question, answer typed %s, %d characters]\n", {blind_ ? "blind" : "openly", answerLength_});
        break;
    case Kind::Text: written_ += "[text]\n"; break;
    }
    const bool laidOut = kind_ == Kind::Menu || kind_ == Kind::List;
    int item = 0;
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        if (laidOut && IsItem(k, lines_.size())) {
            ++item;
            written_ += kind_ == Kind::Menu ? FormatText("  %d. %s\n", {item, lines_[k]}) : "  - " + lines_[k] + "\n";
        } else if (!laidOut || !lines_[k].empty()) {
            written_ += lines_[k] + "\n";
        }
    }
    kind_ = Kind::None;
    lines_.clear();
}

std::string CamScreenText::Flush() {
    Write();
    std::string text = std::move(written_);
    written_.clear();
    return text;
}

}  // namespace kelvane
