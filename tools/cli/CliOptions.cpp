// kelvane-cli's command line: the program's options, its commands and their arguments, read by one parser.

#include "tools/cli/CliOptions.h"

#include "KelvaneVersion.h"
#include "tools/cli/CliCommands.h"
#include "tools/common/OptionErrors.h"
#include "tools/watch/WatchCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <ostream>

namespace kelvane {
namespace {

// Everything a command line may hold, each command's arguments in fields of their own.
struct Arguments {
    ProgramOptions program;
    std::vector<std::string> ports;
    std::vector<std::string> rackNames;
    std::string waitBusy;
    bool version = false;
    std::string row;
    std::string file;
    std::vector<std::string> words;  // set's settings, cam's choices, diff's files
    std::array<std::string, 4> build;
    bool flag = false;  // summary --offline, upload --yes, diff --rack, export --rack, apply --plan
    std::vector<std::string> rows;  // export --rows
    std::optional<std::string> to, from;  // apply --to, --from
    std::optional<std::string> answer;
    WatchOptionTexts watchTexts;
    WatchOptions watch;
};

using Runner = std::function<int(CliContext&, const Arguments&)>;

constexpr int kMaxWaitBusySeconds = 600;

constexpr const char* kFooter =
    "The options --trace FILE, --port ENTRY, --rack NAME and --wait-busy SECONDS work with every command (watch takes "
    "several racks); kelvane-cli --help describes them, the port table and the exit statuses.";

int RunDiffOf(CliContext& cli, const Arguments& a) {
    if (a.words.size() != (a.flag ? 1u : 2u)) {
        cli.err << "kelvane-cli: diff needs two files, or a file and --rack\n";
        return kCliUsage;
    }
    return RunDiff(cli, a.words[0], a.flag ? std::nullopt : std::optional<std::string>(a.words[1]));
}

int RunExportOf(CliContext& cli, const Arguments& a) {
    if (a.flag == !a.file.empty()) {
        cli.err << "kelvane-cli: export needs either a configuration file or --rack (one of them)\n";
        return kCliUsage;
    }
    return RunExport(cli, a.flag ? std::nullopt : std::optional<std::string>(a.file), a.rows);
}

int RunApplyOf(CliContext& cli, const Arguments& a) {
    return RunApply(cli, ApplyRequest{a.file, a.flag, a.to, a.from});
}

class CommandLineReader {
public:
    explicit CommandLineReader(const std::string& environmentTrace);
    CliCommandLine Read(const std::vector<std::string>& args);

private:
    CLI::App* Command(CLI::App& parent, const char* name, const char* description, Runner run);
    void AddDeviceCommands();
    void AddFileCommands();
    void AddTextCommands();
    void AddPairCommands();
    std::string ProgramOptionProblem() const;
    bool TakeRacks(const CLI::App& chosen, CliCommandLine& line) const;
    CliCommandLine Refusal(const CLI::App& chosen, const std::string& error) const;

    CLI::App app_{"", "kelvane-cli"};
    Arguments a_;
    std::map<const CLI::App*, Runner> runners_;
    // What a command wants, said again with each refusal of its arguments.
    std::map<const CLI::App*, std::string> wants_;
    CLI::App* watch_ = nullptr;
};

CommandLineReader::CommandLineReader(const std::string& environmentTrace) {
    a_.program.traceFile = environmentTrace;
    // Set before the commands are added, which inherit them: an option of the program may follow the command,
    // and what nothing takes is reported in this program's words.
    app_.fallthrough();
    app_.allow_extras();
    app_.require_subcommand(0, 1);
    app_.add_option("--trace", a_.program.traceFile, "record every frame on the line in FILE (pcapng)")
        ->type_name("FILE");
    app_.add_option("--port", a_.ports, "search the rack on this port-table entry alone")
        ->type_name("ENTRY")
        ->allow_extra_args(false)
        ->take_all();
    app_.add_option("--rack", a_.rackNames, "search the rack the port table names NAME (NAME @ ENTRY) alone")
        ->type_name("NAME")
        ->allow_extra_args(false)
        ->take_all();
    app_.add_option("--wait-busy", a_.waitBusy, "wait up to SECONDS (default 5) for a port in use by another program")
        ->type_name("SECONDS");
    app_.add_flag("--version", a_.version, "print the version")->disable_flag_override();
    AddDeviceCommands();
    AddFileCommands();
    AddTextCommands();
    AddPairCommands();
}

CLI::App* CommandLineReader::Command(CLI::App& parent, const char* name, const char* description, Runner run) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->footer(kFooter);
    if (run) runners_.emplace(command, std::move(run));
    return command;
}

void CommandLineReader::AddDeviceCommands() {
    Command(app_, "find",
            "search the serial ports for the rack; print the entry it answered on, its port number and "
            "its controller",
            [](CliContext& cli, const Arguments&) { return RunFind(cli); });
    Command(app_, "modules",
            "search, then list the rack's modules (row, address, type, model, version, "
            "configuration length)",
            [](CliContext& cli, const Arguments&) { return RunModules(cli); });
    CLI::App* firmware =
        Command(app_, "firmware", "the firmware images of firmware/KXR.FRM: scan, upgrade or build", {});
    firmware->require_subcommand(0, 1);
    Command(*firmware, "scan",
            "what firmware/KXR.FRM in the working directory offers, type by type, and why each "
            "other listed file was left out",
            [](CliContext& cli, const Arguments&) { return RunFirmwareScan(cli); });
    Command(*firmware, "upgrade",
            "discover the rack and upgrade every module a newer image is due for, then restart "
            "the rack and discover it again",
            [](CliContext& cli, const Arguments&) { return RunFirmwareUpgrade(cli); });
    CLI::App* build = Command(*firmware, "build",
                              "write a firmware image file for a module type holding the bytes of "
                              "a payload file",
                              [](CliContext& cli, const Arguments& a) {
                                  return RunFirmwareBuild(cli, {a.build.begin(), a.build.end()});
                              });
    build->add_option("TYPE", a_.build[0], "module type: code 0-8 or model name")->required();
    build->add_option("VERSION", a_.build[1], "version in tenths (15 is V1.5), 0-255")->required();
    build->add_option("PAYLOAD", a_.build[2], "the file whose bytes the image holds")->required();
    build->add_option("OUTPUT", a_.build[3], "the image file to write")->required();
}

void CommandLineReader::AddFileCommands() {
    CLI::App* save = Command(app_, "save", "discover the rack and save the configuration of all its modules to FILE",
                             [](CliContext& cli, const Arguments& a) { return RunConfigSave(cli, a.file); });
    save->add_option("FILE", a_.file, "the configuration file to write")->required();
    CLI::App* summary =
        Command(app_, "summary",
                "describe the configuration file FILE and check that it fits the "
                "rack's modules",
                [](CliContext& cli, const Arguments& a) { return RunConfigSummary(cli, a.file, a.flag); });
    summary->add_option("FILE", a_.file, "the configuration file to describe")->required();
    summary->add_flag("--offline", a_.flag, "search no rack: check against an empty rack")->disable_flag_override();
    CLI::App* upload =
        Command(app_, "upload",
                "discover the rack, describe FILE and check it; only with --yes, and "
                "only when it fits, send every image that differs from the rack's and "
                "restart the outputs",
                [](CliContext& cli, const Arguments& a) { return RunConfigUpload(cli, a.file, a.flag); });
    upload->add_option("FILE", a_.file, "the configuration file to send")->required();
    upload->add_flag("--yes", a_.flag, "send it (without: describe and check only)")->disable_flag_override();
    CLI::App* diff = Command(app_, "diff",
                             "what differs between two configuration files, or between FILE and what "
                             "the rack's modules hold now; never writes anything",
                             RunDiffOf);
    diff->add_option("FILE", a_.words, "one file and --rack, or two files")->required()->expected(1, 2);
    diff->add_flag("--rack", a_.flag, "compare FILE with the rack's modules")->disable_flag_override();
}

void CommandLineReader::AddTextCommands() {
    CLI::App* exported = Command(app_, "export",
                                 "write the configuration of the rack (--rack) or of FILE as text: one "
                                 "section per module pair, every field by the names set takes",
                                 RunExportOf);
    exported->add_option("FILE", a_.file, "the configuration file to write as text");
    exported->add_flag("--rack", a_.flag, "discover the rack and write what its modules hold")->disable_flag_override();
    exported->add_option("--rows", a_.rows, "only the pairs these rows belong to")
        ->delimiter(',')
        ->type_name("ROW,...");
    CLI::App* apply = Command(app_, "apply",
                              "apply a text configuration pair by pair through set's checks: only the "
                              "fields it names, only where they differ; fields left out stay as they are",
                              RunApplyOf);
    apply->add_option("FILE", a_.file, "the text configuration")->required();
    apply->add_flag("--plan", a_.flag, "print what would change and write nothing (exit 10 when something would)")
        ->disable_flag_override();
    apply
        ->add_option_function<std::string>(
            "--to", [this](const std::string& f) { a_.to = f; },
            "write the result to this configuration file instead of the rack")
        ->type_name("OUT.kcf");
    apply
        ->add_option_function<std::string>(
            "--from", [this](const std::string& f) { a_.from = f; }, "with --to: the configuration file to start from")
        ->type_name("IN.kcf");
}

void CommandLineReader::AddPairCommands() {
    CLI::App* show = Command(app_, "show", "the parameters and services of the module pair that ROW belongs to",
                             [](CliContext& cli, const Arguments& a) { return RunShow(cli, a.row); });
    show->add_option("ROW", a_.row, "a row of the module list")->required();
    CLI::App* set = Command(app_, "set",
                            "change a pair's parameters, as the module panel does, and send what changed "
                            "to the modules",
                            [](CliContext& cli, const Arguments& a) { return RunSet(cli, a.row, a.words); });
    set->add_option("ROW", a_.row, "a row of the module list")->required();
    set->add_option("SETTING", a_.words,
                    "NAME=VALUE; NAME is in.freq, in2.freq (MHz), in.symbolrate, in2.symbolrate, in.fec, in.polarity, "
                    "in2.polarity, out.freq (kHz), constellation, mode, guard, coderate, bandwidth (by name as shown, "
                    "or by index), level (1-30), network.id, network.name (at most 30 characters of Latin-1), "
                    "network.version, tsid1..tsid4, player.sid, service.SID.channel (0-4), service.SID.cam (0-4), "
                    "service.SID.lcn, service.SID.hdlcn; a number its module cannot hold is refused")
        ->required();
    watch_ = Command(app_, "watch",
                     "poll every module pair (or those of the rows named) as the module panel does; "
                     "never writes to a module. Ends on SIGINT or SIGTERM",
                     [](CliContext& cli, const Arguments& a) { return RunWatch(cli, a.watch); });
    AddWatchOptions(*watch_, a_.watchTexts);
    CLI::App* cam = Command(app_, "cam",
                            "ask the CAM of the CI module in row ROW for its main menu, make each CHOICE "
                            "in turn and print everything the CAM shows",
                            [](CliContext& cli, const Arguments& a) { return RunCam(cli, a.row, a.words, a.answer); });
    wants_.emplace(cam, kCamArgumentsText);
    cam->add_option("ROW", a_.row, "the row of a KXF600")->required();
    cam->add_option("CHOICE", a_.words, "an item's number (0 goes back)");
    cam->add_option_function<std::string>(
           "--answer", [this](const std::string& text) { a_.answer = text; },
           "answer the first question with TEXT (others are cancelled)")
        ->type_name("TEXT");
}

std::string CommandLineReader::ProgramOptionProblem() const {
    if (app_.count("--trace") != 0 && a_.program.traceFile.empty()) return kTraceNeedsFileText;
    const auto empty = [](const std::string& text) { return text.empty(); };
    if (std::any_of(a_.ports.begin(), a_.ports.end(), empty)) return kPortNeedsEntryText;
    if (std::any_of(a_.rackNames.begin(), a_.rackNames.end(), empty)) return kRackNeedsNameText;
    if (app_.count("--wait-busy") != 0 && !SecondsAsMs(a_.waitBusy, 0, kMaxWaitBusySeconds)) {
        return "--wait-busy wants seconds from 0 to " + std::to_string(kMaxWaitBusySeconds) + ", not '" + a_.waitBusy +
               "'";
    }
    return {};
}

// The error on one line, with the command it concerns and where its options are described.
CliCommandLine CommandLineReader::Refusal(const CLI::App& chosen, const std::string& error) const {
    std::string path;
    for (const CLI::App* command = &chosen; command->get_parent() != nullptr; command = command->get_parent()) {
        path = command->get_name() + (path.empty() ? "" : " " + path);
    }
    CliCommandLine line;
    line.program = a_.program;
    line.status = kCliUsage;
    const auto wants = wants_.find(&chosen);
    line.text = "kelvane-cli: " + (path.empty() ? "" : path + ": ") + error +
                (wants != wants_.end() ? "; " + wants->second : std::string()) + " (see kelvane-cli " +
                (path.empty() ? "" : path + " ") + "--help)\n";
    return line;
}

CliCommandLine CommandLineReader::Read(const std::vector<std::string>& args) {
    CliCommandLine line;
    std::string error;
    const ParseOutcome outcome = ParseOptions(app_, args, error);
    const CLI::App& chosen = ChosenCommand(app_);
    if (a_.ports.size() == 1) a_.program.portEntry = a_.ports.front();
    line.program = a_.program;
    if (outcome == ParseOutcome::HelpAsked) {
        line.text = &chosen == &app_ ? std::string(kCliUsageText) : app_.help();
        return line;
    }
    if (outcome == ParseOutcome::Refused) return Refusal(chosen, error);
    if (error = ProgramOptionProblem(); !error.empty()) return Refusal(app_, error);
    if (a_.version) {
        line.text = std::string("kelvane-cli ") + kKelvaneVersion + '\n';
        return line;
    }
    if (&chosen == watch_ && !TakeWatchOptions(*watch_, a_.watchTexts, a_.watch, error)) return Refusal(chosen, error);
    if (!TakeRacks(chosen, line))
        return Refusal(chosen, "several racks (--port or --rack more than once) are for watch alone");
    const auto runner = runners_.find(&chosen);
    if (runner == runners_.end()) {
        if (&chosen != &app_) return Refusal(chosen, "a command is needed");
        line.text = kCliUsageText;
        line.status = kCliUsage;
        return line;
    }
    if (!a_.waitBusy.empty()) line.waitBusyMs = *SecondsAsMs(a_.waitBusy, 0, kMaxWaitBusySeconds);
    line.command = [run = runner->second, arguments = a_](CliContext& cli) { return run(cli, arguments); };
    return line;
}

// A rack named, several entries, or watch --all are looked up later, where the port table is read; false when
// a command other than watch is asked for more than one rack.
bool CommandLineReader::TakeRacks(const CLI::App& chosen, CliCommandLine& line) const {
    const bool all = &chosen == watch_ && a_.watchTexts.all;
    if (a_.rackNames.empty() && a_.ports.size() < 2 && !all) return true;
    if (&chosen != watch_ && a_.rackNames.size() + a_.ports.size() > 1) return false;
    line.racks = {a_.ports, a_.rackNames, all};
    return true;
}

}  // namespace

CliCommandLine ReadCliCommandLine(const std::vector<std::string>& args, const std::string& environmentTrace) {
    return CommandLineReader(environmentTrace).Read(args);
}

}  // namespace kelvane
