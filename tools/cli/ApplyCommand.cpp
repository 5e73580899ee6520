// kelvane-cli apply: a text configuration planned, applied to the rack pair by pair, or applied to a
// configuration file without a rack. Each pair goes through set's checks and the panel's apply sequence.

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "config/ConfigFile.h"
#include "config/ConfigText.h"
#include "link/Xmit.h"
#include "platform/FileToolkit.h"
#include "text/ControlCharacters.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/PairSettings.h"
#include "tools/cli/RackDiff.h"

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>

namespace kelvane {
namespace {

enum class Target { Plan, Rack, File };

struct ApplyRun {
    CliContext& cli;
    const ApplyRequest& request;
    Target target;
    SlotTable slots;  // the rack (or the input file) as the pairs done left it
    std::vector<int> pairsDone;  // input rows of the pairs whose changes are in `slots`
    int changes = 0;
};

bool ReadText(CliContext& cli, const std::string& file, ConfigText& text) {
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    if (!ReadRegularFile(PathFromUtf8(file), kMaxConfigTextBytes, bytes, error)) {
        cli.err << "kelvane-cli: cannot read " << file << ": " << error.message() << "; nothing was done\n";
        return false;
    }
    ConfigTextRefusal refusal;
    if (ReadConfigText({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, text, refusal)) return true;
    cli.err << "kelvane-cli: " << file << ":" << refusal.line << ": " << TerminalText(refusal.reason)
            << "; nothing was done\n";
    return false;
}

std::string PairWords(const TextPair& p) {
    return p.inputModel + (p.outputRow >= 0 ? " -> " + p.outputModel + " in row " + std::to_string(p.outputRow)
                                            : std::string(" without output"));
}

// The pair the rack has where the file's stands, when rows and models agree; otherwise the reason.
std::optional<ModulePair> RackPairOf(const SlotTable& slots, const TextPair& wanted, std::string& why) {
    for (const ModulePair& pair : PairsOfRack(slots)) {
        if (pair.inputRow != wanted.inputRow) continue;
        const TextPair has = PairIdentity(slots, pair);
        if (has.inputModel == wanted.inputModel && has.outputRow == wanted.outputRow &&
            has.outputModel == wanted.outputModel) {
            return pair;
        }
        why = "the file has " + PairWords(wanted) + ", the rack has " + PairWords(has);
        return std::nullopt;
    }
    const bool present = wanted.inputRow < static_cast<int>(slots.ModuleCount);
    const char* model = present ? ModuleTypeName(slots[static_cast<std::size_t>(wanted.inputRow)].Type) : "";
    why = "the file has " + PairWords(wanted) + ", the rack has " +
          (present ? (*model ? std::string(model) : "a module of another type") + ", no input" : "no module");
    return std::nullopt;
}

// Every pair of the file placed on the rack's; false after naming each that does not fit.
bool Fits(ApplyRun& run, const ConfigText& text, std::vector<ModulePair>& pairs) {
    bool fits = true;
    for (const TextPair& wanted : text.pairs) {
        std::string why;
        if (const auto pair = RackPairOf(run.slots, wanted, why)) {
            pairs.push_back(*pair);
            continue;
        }
        run.cli.err << "kelvane-cli: " << run.request.file << ":" << wanted.line << ": pair " << wanted.inputRow
                    << " does not fit: " << TerminalText(why) << '\n';
        fits = false;
    }
    return fits;
}

// The file's settings that say something else than the pair's images: only those are applied.
std::vector<TextSetting> ChangedSettings(const PanelModel& m, const TextPair& wanted) {
    std::map<std::string, std::string> has;
    for (TextSetting& s : SettingsOfPair(m)) has.emplace(std::move(s.name), std::move(s.value));
    std::vector<TextSetting> changed;
    for (const TextSetting& s : wanted.settings) {
        const auto found = has.find(s.name);
        if (found == has.end() || found->second != s.value) changed.push_back(s);
    }
    return changed;
}

std::string PairsDoneText(const ApplyRun& run) {
    if (run.pairsDone.empty()) return "no pair was changed";
    std::string text = "pairs done:";
    for (const int row : run.pairsDone) text += " " + std::to_string(row);
    return text;
}

int Stop(ApplyRun& run, const TextPair& pair, int line, const std::string& why, int status) {
    // A refusal comes before anything of the pair is sent; a failure comes while it is.
    const char* pairFate = status != kCliNotWritten     ? ""
                           : run.target == Target::Rack ? "; nothing of this pair was sent"
                                                        : "; nothing of this pair was kept";
    run.cli.err << "kelvane-cli: " << run.request.file << ":" << line << ": pair " << pair.inputRow << ": "
                << TerminalText(why) << pairFate << "; " << PairsDoneText(run) << '\n';
    return status;
}

// Every image the pair sent, read back from its module and compared; the first that differs, or -1.
int RowNotKept(CXmit& link, const SlotTable& slots, const std::vector<int>& rows) {
    for (const int row : rows) {
        auto record = std::make_unique<SlotRecord>(slots[static_cast<std::size_t>(row)]);
        if (!ReadModuleConfig(link, *record)) return row;
        const auto read = record->ConfigImage();
        const auto sent = slots[static_cast<std::size_t>(row)].ConfigImage();
        if (!std::equal(read.begin(), read.end(), sent.begin(), sent.end())) return row;
    }
    return -1;
}

// Sends a pair already encoded through the panel's apply sequence and reads each image sent back.
int SendPair(ApplyRun& run, PairSession& s, const TextPair& wanted) {
    const bool lostBefore = run.cli.link.LinkLost();
    SendReport sent;
    const WriteOutcome outcome = ApplyEditsToRack(s.model, s.slots, *s.input, s.output, run.cli.link, &sent);
    if (!outcome.Written()) return Stop(run, wanted, wanted.line, RefusalText(s.slots, outcome), kCliNotWritten);
    if (!sent.answered || (!lostBefore && run.cli.link.LinkLost())) {
        return Stop(run, wanted, wanted.line, "a request failed all its tries; its modules may hold part of it",
                    kCliIncomplete);
    }
    if (const int row = RowNotKept(run.cli.link, s.slots, sent.rows); row >= 0) {
        return Stop(run, wanted, wanted.line,
                    "row " + std::to_string(row) + " did not give back the image written to it", kCliIncomplete);
    }
    for (const int row : sent.rows) run.cli.out << "  row " << row << ": image written and read back\n";
    return kCliOk;
}

int ApplyPair(ApplyRun& run, const TextPair& wanted, const ModulePair& pair) {
    auto s = std::make_unique<PairSession>();
    s->slots = run.slots;
    s->pair = pair;
    DecodePairSession(*s);
    const std::vector<TextSetting> changed = ChangedSettings(s->model, wanted);
    if (changed.empty()) return kCliOk;
    // Channels and CAMs are chosen among the services the input announces, as on the panel.
    if (run.target != Target::File) OpenPairAsPanel(run.cli.link, *s);
    for (const TextSetting& setting : changed) {
        std::string why;
        if (!ApplySetting(*s, setting.name, setting.value, why)) {
            return Stop(run, wanted, setting.line, setting.name + ": " + why, kCliNotWritten);
        }
    }
    // Encoded on the session's copy first: what differs from the table is the plan, and a refusal stops here.
    if (const WriteOutcome o = EncodePair(s->model, s->slots, *s->input, s->output); !o.Written()) {
        return Stop(run, wanted, wanted.line, RefusalText(s->slots, o), kCliNotWritten);
    }
    const RackDifferences planned = DiffRacks(run.slots, s->slots, "rack", run.request.file);
    if (planned.Same()) return kCliOk;
    run.cli.out << "pair " << wanted.inputRow << " (" << TerminalText(PairWords(wanted)) << "):\n";
    for (const std::string& line : planned.lines) run.cli.out << "  " << line << '\n';
    if (run.target == Target::Rack) {
        if (const int status = SendPair(run, *s, wanted); status != kCliOk) return status;
    }
    run.changes += static_cast<int>(planned.lines.size());
    run.slots = s->slots;
    run.pairsDone.push_back(wanted.inputRow);
    return kCliOk;
}

int Finish(ApplyRun& run) {
    std::ostream& out = run.cli.out;
    const std::string counted =
        std::to_string(run.changes) + " change(s) in " + std::to_string(run.pairsDone.size()) + " pair(s)";
    if (run.target == Target::Plan) {
        out << (run.changes == 0 ? std::string("nothing to do") : counted + " planned; nothing was written") << '\n';
        return run.changes == 0 ? kCliOk : kCliFindings;
    }
    if (run.target == Target::File) {
        std::error_code error;
        if (!SaveConfigFile(PathFromUtf8(*run.request.to), run.slots, error)) {
            run.cli.err << "kelvane-cli: cannot save " << *run.request.to << ": " << error.message()
                        << " (any file there is left as it was)\n";
            return kCliFileError;
        }
        out << counted << " written to " << *run.request.to << '\n';
        return kCliOk;
    }
    out << (run.changes == 0 ? std::string("nothing to do: the rack already holds this configuration")
                             : counted + " applied")
        << '\n';
    return kCliOk;
}

}  // namespace

int RunApply(CliContext& cli, const ApplyRequest& request) {
    if (request.to.has_value() != request.from.has_value()) {
        cli.err << "kelvane-cli: apply: --to and --from go together\n";
        return kCliUsage;
    }
    auto text = std::make_unique<ConfigText>();
    if (!ReadText(cli, request.file, *text)) return kCliFileError;
    const Target target = request.plan ? Target::Plan : request.to ? Target::File : Target::Rack;
    auto run = std::make_unique<ApplyRun>(ApplyRun{cli, request, target, {}, {}, 0});
    if (request.from) {
        const auto loaded = std::make_unique<LoadedConfig>();
        if (!ReadConfigForCli(cli, *request.from, *loaded)) return kCliFileError;
        run->slots = SlotsOfFile(*loaded);
        // A file holds no addresses, and the chain edits find modules by theirs: each row gets one of its own.
        for (std::size_t row = 0; row < run->slots.ModuleCount; ++row) {
            run->slots[row].Address = static_cast<std::uint8_t>(row + 1);
        }
    } else if (const int status = DiscoverWholeRack(cli, run->slots); status != kCliOk) {
        return status;
    }
    std::vector<ModulePair> pairs;
    if (!Fits(*run, *text, pairs)) {
        cli.err << "kelvane-cli: " << request.file << " is not for this rack; nothing was written\n";
        return kCliMismatch;
    }
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        if (const int status = ApplyPair(*run, text->pairs[k], pairs[k]); status != kCliOk) return status;
    }
    return Finish(*run);
}

}  // namespace kelvane
