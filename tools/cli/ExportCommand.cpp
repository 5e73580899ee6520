// kelvane-cli export: the rack's configuration, or a configuration file's, as text to review and keep.

#include "config/ConfigFile.h"
#include "config/ConfigText.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/PairSettings.h"
#include "tools/cli/RackDiff.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace kelvane {
namespace {

const std::vector<std::string> kExportHeader = {
    "Kelvane rack configuration, one [pair.ROW] section for each input and the output it feeds.",
    "Names are those of kelvane-cli set. A field left out is left as the rack has it.",
    "kelvane-cli apply FILE --plan shows what applying this file would change; network.version follows the",
    "network section by itself unless a pair sets it.",
};

// The rows asked for, each a row of a pair; false with the reason on the error stream.
bool RowsAsked(CliContext& cli, const std::vector<std::string>& texts, const std::vector<ModulePair>& pairs,
               std::vector<int>& rows) {
    for (const std::string& text : texts) {
        bool ok = false;
        const int row = ParseByte(text, ok);
        const bool inPair = std::any_of(pairs.begin(), pairs.end(),
                                        [&](const ModulePair& p) { return p.inputRow == row || p.outputRow == row; });
        if (!ok || !inPair) {
            cli.err << "kelvane-cli: --rows: " << text << " is not a row of an input/output pair\n";
            return false;
        }
        rows.push_back(row);
    }
    return true;
}

ConfigText TextOfRack(const SlotTable& slots, const std::vector<ModulePair>& pairs, const std::vector<int>& rows) {
    ConfigText text;
    for (const ModulePair& pair : pairs) {
        const auto asked = [&](int row) { return std::find(rows.begin(), rows.end(), row) != rows.end(); };
        if (!rows.empty() && !asked(pair.inputRow) && !asked(pair.outputRow)) continue;
        PairSession s;
        s.slots = slots;
        s.pair = pair;
        DecodePairSession(s);
        TextPair section = PairIdentity(slots, pair);
        section.settings = SettingsOfPair(s.model);
        text.pairs.push_back(std::move(section));
    }
    return text;
}

}  // namespace

int RunExport(CliContext& cli, const std::optional<std::string>& file, const std::vector<std::string>& rowTexts) {
    SlotTable slots;
    if (file) {
        const auto loaded = std::make_unique<LoadedConfig>();
        if (!ReadConfigForCli(cli, *file, *loaded)) return kCliFileError;
        slots = SlotsOfFile(*loaded);
    } else if (const int status = DiscoverWholeRack(cli, slots); status != kCliOk) {
        return status;
    }
    const std::vector<ModulePair> pairs = PairsOfRack(slots);
    std::vector<int> rows;
    if (!RowsAsked(cli, rowTexts, pairs, rows)) return kCliUsage;
    cli.out << WriteConfigText(TextOfRack(slots, pairs, rows), kExportHeader);
    return kCliOk;
}

}  // namespace kelvane
