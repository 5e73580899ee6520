// kelvane-cli cam: a CAM's menus from a terminal, through the common-interface module that holds it.

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "cam/CamDialogue.h"
#include "link/Xmit.h"
#include "tools/cli/CamScreenText.h"
#include "tools/cli/CliCommands.h"

#include <optional>
#include <ostream>

namespace kelvane {
namespace {

// A CAM that has just started may take a while before it shows its main menu; the dialogue asks again meanwhile.
constexpr std::uint64_t kMainMenuWaitMs = CamDialogue::kInitSeconds * 1000;
constexpr std::uint64_t kAnswerWaitMs = 5000;
// While it waits, the CAM's status is asked this often, so that a CAM taken out is not waited for.
constexpr std::uint64_t kStatusCheckMs = 1000;
// Once the CAM has shown something, what else it sent is read until a read brings nothing.
constexpr int kMostDrainReads = 100;
// A CAM may meet every answer with a new question: the dialogue is left after the dialogue's bound of answers,
// or once this long has passed since it began, whichever comes first.
constexpr std::uint64_t kDialogueLimitMs = 90000;

struct CamCommand {
    std::size_t row = 0;
    std::vector<std::uint8_t> choices;
    std::optional<std::string> answer;
};

// The row and choices as numbers; false when one is no number from 0 to 255.
bool TakeCamCommand(const std::string& row, const std::vector<std::string>& choices, CamCommand& command) {
    bool ok = false;
    command.row = ParseByte(row, ok);
    for (const std::string& choice : choices) {
        bool choiceOk = false;
        command.choices.push_back(ParseByte(choice, choiceOk));
        ok = ok && choiceOk;
    }
    return ok;
}

// The CAM of one CI module, through the CAM menu's dialogue: its screens are written as text for the terminal.
class CamTalk final : private CamDialogueView {
public:
    CamTalk(CliContext& cli, std::uint8_t address) : cli_(cli), dialogue_(cli.clock, *this) {
        dialogue_.Open(cli.link, address);
    }

    // The CAM's status; nothing when the module did not report it.
    std::optional<int> Status() {
        if (!dialogue_.PollStatus() || dialogue_.CamStatus() < 0) return std::nullopt;
        return dialogue_.CamStatus();
    }

    // Lets the dialogue send what waits, and reads until the CAM shows something or `limitMs` pass; then reads
    // what else it sent. The main-menu request is asked again by the dialogue while none comes; any other packet
    // that the module refuses ends the exchange at once.
    bool Exchange(std::uint64_t limitMs, bool refusalEnds) {
        const std::uint64_t start = cli_.clock.TickCount();
        std::uint64_t checked = start;
        shown_ = false;
        refused_ = false;
        while (cli_.clock.TickCount() - start < limitMs) {
            if (cli_.clock.TickCount() - checked >= kStatusCheckMs) {
                checked = cli_.clock.TickCount();
                if (Status() == kNoCam) {
                    pulled_ = true;
                    return false;
                }
            }
            const CamTurn turn = dialogue_.Exchange();
            refused_ = turn.refused;
            if (refused_ && refusalEnds) return false;
            if (shown_) {
                for (int k = 0; k < kMostDrainReads && dialogue_.Exchange().readData; ++k) {
                }
                return true;
            }
            // What the CAM answered was longer than the program takes: no other answer is coming.
            if (turn.oversized) return false;
            cli_.clock.Sleep(CamDialogue::kTurnMs);
        }
        return false;
    }

    CamDialogue& Dialogue() { return dialogue_; }
    // The last exchange's packet was refused by the module.
    bool Refused() const { return refused_; }
    // The CAM was found taken out while an exchange waited for it.
    bool Pulled() const { return pulled_; }
    bool SentOversized() const { return dialogue_.OversizedPackets() != 0; }
    CamScreenText& Screen() { return screen_; }

private:
    void ShowEvent(const MmiEvent& event) override { shown_ = screen_.Take({&event, 1}) || shown_; }
    void ShowStatus(int) override {}
    // The window's messages: the terminal says what happened in its own words.
    void ShowNotice(const std::string&, std::uint32_t) override {}

    CliContext& cli_;
    CamDialogue dialogue_;
    CamScreenText screen_;
    bool shown_ = false;
    bool refused_ = false;
    bool pulled_ = false;
};

class CamSession {
public:
    CamSession(CliContext& cli, const CamCommand& command, std::uint8_t address)
        : cli_(cli), command_(command), cam_(cli, address) {}

    int Run() {
        start_ = cli_.clock.TickCount();
        const auto status = cam_.Status();
        if (!status) return Fail(kCliIncomplete, "the CI module did not report its CAM's status");
        if (*status == kNoCam) return Fail(kCliNoCam, "there is no CAM in the CI module");
        // At once, rather than once the clock's second has changed as the window asks.
        cam_.Dialogue().QueueEnterMenu();
        if (!cam_.Exchange(kMainMenuWaitMs, false)) {
            return Fail(kCliNoCam, WhyNothingCame("the CAM did not show its main menu within 15 s"));
        }
        cli_.out << cam_.Screen().Flush();
        if (const int answered = AnswerQuestions(); answered != kCliOk) return answered;
        for (const std::uint8_t choice : command_.choices) {
            if (!cam_.Dialogue().MmiOpen()) {
                const std::string choiceText = std::to_string(choice);
                return Fail(kCliIncomplete, "the CAM closed its menu: choice " + choiceText + " was not sent");
            }
            if (const int over = PastLimit(); over != kCliOk) return over;
            cli_.out << "> choice " << static_cast<int>(choice) << '\n';
            const std::string what = "choice " + std::to_string(choice);
            cam_.Dialogue().QueueMenuAnswer(choice);
            if (const int stepped = Step(what); stepped != kCliOk) return stepped;
            if (const int answered = AnswerQuestions(); answered != kCliOk) return answered;
        }
        return kCliOk;
    }

private:
    // A question on screen gets the answer given, once; any other is cancelled so that the CAM moves on. The
    // exit status: kCliOk once no question is left on screen.
    int AnswerQuestions() {
        while (cam_.Dialogue().QuestionOpen()) {
            if (const int over = PastLimit(); over != kCliOk) return over;
            const std::string text = answerUsed_ || !command_.answer ? "" : *command_.answer;
            answerUsed_ = answerUsed_ || command_.answer.has_value();
            if (text.empty()) {
                cli_.out << "> cancel\n";
            } else {
                const bool blind = cam_.Dialogue().BlindAnswer();
                cli_.out << "> answer " << (blind ? std::string(AnswerBytes(text).size(), '*') : text) << '\n';
            }
            cam_.Dialogue().QueueAnswer(text);
            const int stepped = Step(text.empty() ? "the cancel" : "the answer");
            if (stepped != kCliOk) return stepped;
        }
        return kCliOk;
    }

    // Why an exchange brought nothing to show; `otherwise` when the CAM merely stayed silent.
    std::string WhyNothingCame(const std::string& otherwise) const {
        if (cam_.Pulled()) return "the CAM was taken out of the CI module";
        if (cam_.SentOversized()) {
            return "the CAM sent a packet longer than the " + std::to_string(MmiReceiver::kRxBufferSize) +
                   " bytes the program takes; it was dropped";
        }
        return otherwise;
    }

    // kCliOk while the dialogue is within its bounds; otherwise says so.
    int PastLimit() {
        if (cam_.Dialogue().AnswersExhausted()) {
            const std::string answered = std::to_string(cam_.Dialogue().AnswersQueued());
            return Fail(kCliNoCam, "the CAM kept asking: left after " + answered + " questions answered");
        }
        if (cli_.clock.TickCount() - start_ >= kDialogueLimitMs) {
            const std::string seconds = std::to_string(kDialogueLimitMs / 1000);
            return Fail(kCliNoCam, "the dialogue with the CAM was left after " + seconds + " s");
        }
        return kCliOk;
    }

    // Sends the packet queued (`what` names it) and shows what the CAM answers; the exit status.
    int Step(const std::string& what) {
        if (!cam_.Exchange(kAnswerWaitMs, true)) {
            if (cam_.Refused()) return Fail(kCliIncomplete, "the CI module refused " + what + " for the CAM");
            return Fail(kCliNoCam, WhyNothingCame("the CAM did not answer within 5 s"));
        }
        cli_.out << cam_.Screen().Flush();
        return kCliOk;
    }

    int Fail(int status, const std::string& why) {
        cli_.out << cam_.Screen().Flush();
        cli_.err << "kelvane-cli: row " << command_.row << ": " << why << '\n';
        return status;
    }

    CliContext& cli_;
    const CamCommand& command_;
    CamTalk cam_;
    bool answerUsed_ = false;
    std::uint64_t start_ = 0;
};

}  // namespace

const char* const kCamArgumentsText = "cam wants a row, then choices from 0 to 255, and at most one --answer TEXT";

int RunCam(CliContext& cli, const std::string& row, const std::vector<std::string>& choices,
           const std::optional<std::string>& answer) {
    CamCommand command;
    command.answer = answer;
    if (!TakeCamCommand(row, choices, command)) {
        cli.err << "kelvane-cli: " << kCamArgumentsText << '\n';
        return kCliUsage;
    }
    if (!FindRack(cli)) return kCliRackNotFound;
    SlotTable table;
    if (!ReadModuleList(cli.link, table)) {
        cli.err << "kelvane-cli: the rack controller did not send its module list\n";
        return kCliIncomplete;
    }
    if (command.row >= table.ModuleCount || table[command.row].Type != kCommonInterfaceType) {
        cli.err << "kelvane-cli: row " << command.row << " holds no common-interface module (KXF600)\n";
        return kCliUsage;
    }
    return CamSession(cli, command, table[command.row].Address).Run();
}

}  // namespace kelvane
