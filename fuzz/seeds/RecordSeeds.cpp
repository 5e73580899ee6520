// kelvane-fuzz-seeds CORPUS: records a session of kelvane-cli's commands against the simulator's rack and
// writes what the line, the files and the CAM carried as seed inputs, one folder per harness, beside seeds
// for the edge cases the code names. The session runs in process on a virtual clock, the rack's side being
// the simulator's own protocol code, so a recording takes a second and comes out the same every time.

#include "config/FirmwareFiles.h"
#include "fuzz/FuzzChecks.h"
#include "platform/VirtualClock.h"
#include "sim/DefaultRack.h"
#include "sim/RackEngine.h"
#include "tests/cam/MmiBytes.h"
#include "link/Xmit.h"
#include "tools/cli/CliCommands.h"

#include <algorithm>
#include <array>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace kelvane::fuzz {
namespace {
namespace fs = std::filesystem;
using Seed = std::vector<std::uint8_t>;

// One request and what came back on the line for it: its echo, then the reply frame.
struct Recorded {
    sim::Request request;
    Seed requestFrame;
    Seed line;
    std::optional<sim::Reply> reply;
};

// The rack's side of the line: every byte the program writes is echoed and handed to the simulator's engine,
// and each finished exchange is kept.
class RecordingRack final : public PortOpener {
public:
    explicit RecordingRack(const sim::RackDescription& rack) : engine_(rack) {}

    std::unique_ptr<SerialPort> Open(std::uint8_t number) override {
        return number == 0 ? std::make_unique<Port>(*this) : nullptr;
    }
    std::string Describe(std::uint8_t number) const override { return "recorded " + std::to_string(number); }

    VirtualClock clock;
    std::vector<Recorded> exchanges;

private:
    class Port final : public SerialPort {
    public:
        explicit Port(RecordingRack& rack) : rack_(rack) {}
        bool Write(std::span<const std::uint8_t> bytes) override {
            for (const std::uint8_t byte : bytes) {
                line_.push_back(byte);
                written_.push_back(byte);
                const std::optional<sim::Exchange> exchange = rack_.engine_.Receive(byte);
                if (!exchange) continue;
                Recorded recorded{exchange->request, written_, written_, exchange->reply};
                written_.clear();
                if (exchange->reply) {
                    const Seed frame = sim::EncodeReply(*exchange->reply);
                    line_.insert(line_.end(), frame.begin(), frame.end());
                    recorded.line.insert(recorded.line.end(), frame.begin(), frame.end());
                }
                rack_.exchanges.push_back(std::move(recorded));
            }
            return true;
        }
        ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
            if (line_.empty()) {
                rack_.clock.Advance(static_cast<std::uint64_t>(std::max<std::int64_t>(wait.count(), 0)));
                return {0, ReadStatus::TimedOut};
            }
            std::size_t count = 0;
            while (count < into.size() && !line_.empty()) {
                into[count++] = line_.front();
                line_.pop_front();
            }
            return {count, count ? ReadStatus::Received : ReadStatus::TimedOut};
        }

    private:
        RecordingRack& rack_;
        std::deque<std::uint8_t> line_;
        Seed written_;
    };

    sim::RackEngine engine_;
};

class Corpus {
public:
    explicit Corpus(fs::path root) : root_(std::move(root)) {}

    void Add(const std::string& harness, const std::string& name, const Seed& seed) {
        fs::create_directories(root_ / harness);
        std::ofstream out(root_ / harness / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
        ++written_;
    }
    int Written() const { return written_; }

private:
    fs::path root_;
    int written_ = 0;
};

Seed Cat(std::initializer_list<Seed> parts) {
    Seed out;
    for (const Seed& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A part as fuzz/FuzzChecks.h cuts them: a big-endian length and the bytes.
Seed Part(const Seed& bytes) {
    return Cat({{static_cast<std::uint8_t>(bytes.size() >> 8), static_cast<std::uint8_t>(bytes.size())}, bytes});
}

Seed Text(const std::string& text) { return Seed(text.begin(), text.end()); }

std::string Hex(std::uint8_t byte) {
    static const char* digits = "0123456789abcdef";
    return {digits[byte >> 4], digits[byte & 0x0F]};
}

// The session an operator would run from a terminal: discovery, every pair shown, the CAM's menus, a save.
// Returns how many exchanges the first command, a whole discovery, took.
std::size_t RunSession(const sim::RackDescription& description, RecordingRack& rack, const fs::path& folder) {
    CXmit link(rack, rack.clock);
    std::ostringstream out, err;
    CliContext cli{link, rack, rack.clock, out, err, folder};
    const fs::path saved = folder / "rack.kcf";
    std::size_t discovery = 0;
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"modules"},
                                               {"show", "1"},
                                               {"show", "4"},
                                               {"show", "6"},
                                               {"cam", "2", "1"},
                                               {"cam", "2", "2", "--answer", "1234"},
                                               {"save", saved.string()}}) {
        RunCli(command, cli);
        if (discovery == 0) discovery = rack.exchanges.size();
    }
    // What the module panel polls, which the terminal's commands do not ask: status and lists of every module,
    // and the player's file list.
    for (const sim::ModuleDescription& module : description.modules) {
        link.XmitRequest({}, module.address, 0x40, 10);
        link.XmitRequest({}, module.address, 0x60, 100);
        if (module.type == 7) link.XmitRequest({}, module.address, 0x90, 100);
    }
    return discovery;
}

// kelvane-cli export of the configuration file the session saved: the text form of the whole rack.
std::string ExportedText(RecordingRack& rack, const fs::path& saved) {
    CXmit link(rack, rack.clock);
    std::ostringstream out, err;
    CliContext cli{link, rack, rack.clock, out, err, saved.parent_path()};
    RunCli({"export", saved.string()}, cli);
    return out.str();
}

// The rack's replies to a discovery after the probe that found it, one part each.
Seed DiscoveryReplies(const std::vector<Recorded>& exchanges, std::size_t count) {
    Seed seed;
    for (std::size_t k = 1; k < count && k < exchanges.size(); ++k) {
        seed = Cat({seed, Part(exchanges[k].reply ? exchanges[k].reply->payload : Seed{})});
    }
    return seed;
}

// The harnesses' own choices, as their first input byte makes them (see each harness).
constexpr std::array<std::uint8_t, 3> kInputTypes{1, 4, 7};
constexpr std::array<std::uint8_t, 4> kOutputTypes{2, 5, 6, 8};
constexpr std::uint8_t kPlayerType = 7;
constexpr std::uint8_t kCiType = 3;
enum PanelParser : std::uint8_t { kStatus, kRates, kNames, kFiles, kSchedule, kParserCount };

std::optional<std::uint8_t> IndexOf(std::span<const std::uint8_t> types, std::uint8_t type) {
    const auto at = std::find(types.begin(), types.end(), type);
    if (at == types.end()) return std::nullopt;
    return static_cast<std::uint8_t>(at - types.begin());
}

// panel_replies: the parser is the first byte modulo 5, its setting the quotient.
Seed PanelReply(PanelParser parser, int setting, const Seed& payload) {
    return Cat({{static_cast<std::uint8_t>(parser + kParserCount * setting)}, payload});
}

int ChannelCount(std::uint8_t outputType) { return outputType == 2 ? 1 : outputType == 5 ? 2 : 4; }

// Where one module's reply seeds the harnesses behind the link, by the module's type and the command.
void AddPayload(Corpus& corpus, const std::string& name, std::uint8_t type, std::uint8_t command, const Seed& payload) {
    const auto input = IndexOf(kInputTypes, type);
    const auto output = IndexOf(kOutputTypes, type);
    const int rows = type == kPlayerType ? 3 : 1;
    if (command == sim::kReadConfigCommand && input) {
        corpus.Add("input_image", name, Cat({{*input}, payload}));
        // The player's schedule, with a window from 8:00 to 10:00 to add and row 0 to remove.
        if (type == kPlayerType)
            corpus.Add("panel_replies", name + "-schedule",
                       PanelReply(kSchedule, 0, Cat({{0x01, 0xE0, 0x02, 0x58, 0x01}, payload})));
    }
    if (command == sim::kReadConfigCommand && output) corpus.Add("output_image", name, Cat({{*output}, payload}));
    if (command == sim::kStatusCommand && input) {
        corpus.Add("panel_replies", name, PanelReply(kStatus, rows + 1, payload));
    }
    if (command == sim::kListCommand && input) corpus.Add("panel_replies", name, PanelReply(kNames, rows - 1, payload));
    if (command == sim::kListCommand && output) {
        corpus.Add("panel_replies", name, PanelReply(kRates, 6 * *output + ChannelCount(type) + 1, payload));
    }
    if (command == sim::kFileListCommand) corpus.Add("panel_replies", name, PanelReply(kFiles, 0, payload));
}

// What the recorded exchanges give each harness: the line and the requests for the framing harnesses, and the
// payloads by the kind of module and command for the parsers behind them.
void WriteRecorded(const sim::RackDescription& description, const std::vector<Recorded>& exchanges, Corpus& corpus) {
    std::map<std::uint8_t, std::uint8_t> typeAt{{0, 0}};
    for (const sim::ModuleDescription& module : description.modules) typeAt[module.address] = module.type;
    std::set<std::pair<std::uint8_t, std::uint8_t>> seen;
    Seed mmiReplies;
    for (const Recorded& exchange : exchanges) {
        const auto known = typeAt.find(exchange.request.destination);
        const std::uint8_t type = known != typeAt.end() ? known->second : 0xFF;
        const std::uint8_t command = exchange.request.Command();
        const Seed payload = exchange.reply ? exchange.reply->payload : Seed{};
        if (type == kCiType && command == sim::kListCommand && !payload.empty()) {
            mmiReplies = Cat({mmiReplies, Part(payload)});
        }
        if (!seen.insert({type, command}).second) continue;
        const std::string name = "session-" + Hex(command) + "-type" + std::to_string(type);
        corpus.Add("reply_receiver", name, exchange.line);
        corpus.Add("request_parser", name, exchange.requestFrame);
        if (!payload.empty()) AddPayload(corpus, name, type, command, payload);
    }
    corpus.Add("cam_mmi", "session-menus", mmiReplies);
}

// The edge cases the code names, built with the tests' own byte builders.
void WriteEdgeCases(Corpus& corpus) {
    namespace mmi = kelvane::test::mmi;
    const Seed menu = mmi::Tpdu(mmi::Mmi({mmi::Menu("Main menu", "", "Press OK", {"Information", "Settings"})}));
    const Seed enquiry = mmi::Tpdu(mmi::Mmi({mmi::Enquiry(true, 4, "PIN?")}));
    const Seed half = Seed(menu.begin(), menu.begin() + static_cast<std::ptrdiff_t>(menu.size() / 2));
    const Seed rest = Seed(menu.begin() + static_cast<std::ptrdiff_t>(half.size()), menu.end());
    corpus.Add(
        "cam_mmi", "menu-in-two-replies",
        Cat({Part(mmi::Chunk(half, true)), Part(Cat({mmi::Chunk(rest), mmi::Chunk(mmi::StatusTpdu(), false, true)}))}));
    corpus.Add("cam_mmi", "enquiry-then-close",
               Cat({Part(mmi::Reply(enquiry)), Part(mmi::Reply(mmi::Tpdu(mmi::CloseMmiSession())))}));
    const Seed whole = mmi::Reply(menu);
    corpus.Add("cam_mmi", "chunk-cut-short", Part(Seed(whole.begin(), whole.begin() + 9)));
    // A packet announcing its 256 bytes in a two-byte length field.
    corpus.Add("cam_mmi", "packets-long-length", Cat({{0xFF}, {0xA0, 0x82, 0x01, 0x00, 0x01}, Seed(255, 0x9F)}));
    corpus.Add("cam_mmi", "packets-whole", Cat({{0xFF}, menu, enquiry}));

    corpus.Add("config_file", "empty", {});
    corpus.Add("config_file", "truncated-record", {0x01, 0x00, 0x05, 0x01, 0x02});
    corpus.Add("config_file", "record-too-long", {0x01, 0x04, 0x01});
    corpus.Add("config_text", "quoted-keys-and-escapes",
               Text("[pair.1]\ninput.model = \"KXB200\"\n\"in.freq\" = 11000\nnetwork.name = \"A\\u00e9\\t\\\"\"\n"
                    "[pair.1.service.\"7 7\"]\nlcn = 3\n[pair.2]\ninput.model = 'KXC300'\nx = [[1], {a = 2}]\n"));

    const Seed block(kFirmwareBlock, 0x5A);
    const Seed tuner = BuildFirmwareFile(1, 21, block);
    const Seed player = BuildFirmwareFile(7, 12, Seed(300, 0x10));
    corpus.Add("firmware_scan", "two-images",
               Cat({Part(Text("KXB200-21.bin")), Part(tuner), Part(Text("KXC300.bin")), Part(player), Part({}),
                    Text("KXB200-21.bin\r\nKXC300.bin\r\nmissing.bin\r\n")}));
    corpus.Add("firmware_scan", "short-and-ragged",
               Cat({Part(Text("KXB200-a")), Part({1, 2, 3, 4, 5, 6}), Part(Text("KXB200-b")),
                    Part(BuildFirmwareFile(1, 22, Seed(300, 1))), Part({}), Text("KXB200-a\nKXB200-b\n\n.\n")}));

    for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{{"english", "EN\r\n"},
                                                                                     {"french-bom",
                                                                                      "\xEF\xBB\xBF"
                                                                                      "FR\r\n"},
                                                                                     {"lower", "it\n"},
                                                                                     {"short", "D\n"},
                                                                                     {"bom-only", "\xEF\xBB\xBF"}}) {
        corpus.Add("preferences", name, Text(text));
    }

    corpus.Add("panel_replies", "file-list-unterminated",
               PanelReply(kFiles, 0, Cat({{0x00, 0x00, 0x00, 0x03}, Text("a.ts"), {0x00}, Text("b")})));
    corpus.Add("panel_replies", "names-past-64", PanelReply(kNames, 0, Cat({{0x41}, Seed(65 * 3, 0x00)})));
    corpus.Add("request_parser", "stray-start-before-frame", {0x02, 0x02, 0x01, 0xFD, 0x10, 0x10});
    corpus.Add("request_parser", "two-length-bytes", {0x02, 0x01, 0xFD, 0x58, 0x00, 0x01, 0x02, 0x02, 0x5B});
    corpus.Add("reply_receiver", "stuffed-source", {0x02, 0xFD, 0x02, 0x02, 0xF0, 0xF0});
    Seed sixteenModules{0x00, 0x30};
    for (std::uint8_t k = 1; k <= 16; ++k) sixteenModules.insert(sixteenModules.end(), {k, 1, 12});
    corpus.Add("discovery", "more-modules-than-rows", sixteenModules);
}

}  // namespace
}  // namespace kelvane::fuzz

int main(int argc, char** argv) {
    using namespace kelvane::fuzz;
    if (argc != 2) {
        std::cerr << "usage: kelvane-fuzz-seeds CORPUS\n";
        return 1;
    }
    const fs::path scratch = fs::temp_directory_path() / ("kelvane-seeds-" + std::to_string(getpid()));
    fs::create_directories(scratch);
    const kelvane::sim::RackDescription description = kelvane::sim::DefaultRack();
    RecordingRack rack(description);
    const std::size_t discovery = RunSession(description, rack, scratch);

    Corpus corpus(argv[1]);
    corpus.Add("discovery", "session-modules", DiscoveryReplies(rack.exchanges, discovery));
    WriteRecorded(description, rack.exchanges, corpus);
    std::ifstream savedFile(scratch / "rack.kcf", std::ios::binary);
    corpus.Add("config_file", "session-saved-rack", Seed(std::istreambuf_iterator<char>(savedFile), {}));
    corpus.Add("config_text", "session-exported-rack", Text(ExportedText(rack, scratch / "rack.kcf")));
    WriteEdgeCases(corpus);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    std::cout << corpus.Written() << " seeds from " << rack.exchanges.size() << " exchanges\n";
    return 0;
}
