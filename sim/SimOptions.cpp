#include "sim/SimOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <type_traits>

namespace kelvane::sim {
namespace {

constexpr std::uint32_t kMaxLateMs = 600'000;
// An FTDI adapter's latency timer counts 1 to 255 ms.
constexpr std::uint32_t kMaxAdapterLatencyMs = 255;

std::optional<double> ParseShare(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !(value >= 0.0 && value <= 1.0)) return std::nullopt;
    return value;
}

template <typename Number>
std::optional<Number> ParseWhole(std::string_view text, Number max) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > max) return std::nullopt;
    if constexpr (std::is_signed_v<Number>) {
        if (value < 0) return std::nullopt;
    }
    return value;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

bool TakePath(std::string_view name, std::string_view value, std::string& field, std::string& error) {
    if (value.empty()) {
        error = std::string(name) + " wants a path";
        return false;
    }
    field = value;
    return true;
}

bool TakeShare(std::string_view name, std::string_view value, double& field, std::string& error) {
    const auto share = ParseShare(value);
    if (!share) {
        error = std::string(name) + " wants a share from 0 to 1, not " + Quoted(value);
        return false;
    }
    field = *share;
    return true;
}

bool TakeMilliseconds(std::string_view name, std::string_view value, std::uint32_t& field, std::string& error) {
    const auto ms = ParseWhole<std::uint32_t>(value, kMaxLateMs);
    if (!ms) {
        error = std::string(name) + " wants milliseconds from 0 to " + std::to_string(kMaxLateMs) + ", not " +
                Quoted(value);
        return false;
    }
    field = *ms;
    return true;
}

bool TakeAdapterLatency(std::string_view value, std::uint32_t& field, std::string& error) {
    const auto ms = ParseWhole<std::uint32_t>(value, kMaxAdapterLatencyMs);
    if (!ms) {
        error = "--adapter-latency wants milliseconds from 0 to " + std::to_string(kMaxAdapterLatencyMs) + ", not " +
                Quoted(value);
        return false;
    }
    field = *ms;
    return true;
}

bool TakeCloseAfter(std::string_view value, int& field, std::string& error) {
    const auto n = ParseWhole<int>(value, std::numeric_limits<int>::max());
    if (!n) {
        error = "--close-after wants a number of replies, not " + Quoted(value);
        return false;
    }
    field = *n;
    return true;
}

bool TakeMoment(std::string_view name, std::string_view value, FaultMoment& field, std::string& error) {
    const auto moment = ParseFaultMoment(value);
    if (!moment) {
        error = std::string(name) +
                " wants N (after N requests), 0xCC or 0xCC/K (the first or K-th request of command "
                "CC), not " +
                Quoted(value);
        return false;
    }
    field = *moment;
    return true;
}

bool TakeFlipEvery(std::string_view value, std::uint32_t& field, std::string& error) {
    const auto n = ParseWhole<std::uint32_t>(value, std::numeric_limits<std::uint32_t>::max());
    if (!n || *n == 0) {
        error = "--flip-bytes wants a number of bytes from 1 up, not " + Quoted(value);
        return false;
    }
    field = *n;
    return true;
}

bool TakeCamScreen(std::string_view value, CamScreen& field, std::string& error) {
    if (value == "menu")
        field = CamScreen::MainMenu;
    else if (value == "pin")
        field = CamScreen::PinQuestion;
    else {
        error = "--pull-cam wants menu or pin, not " + Quoted(value);
        return false;
    }
    return true;
}

bool TakeLockLoss(std::string_view value, std::vector<LockLoss>& losses, std::string& error) {
    const std::optional<LockLoss> loss = ParseLockLoss(value, error);
    if (loss) losses.push_back(*loss);
    return loss.has_value();
}

constexpr std::string_view kValueOptions[] = {"--rack",        "--link",
                                              "--drop",        "--corrupt",
                                              "--refuse",      "--late",
                                              "--close-after", "--restart-silence",
                                              "--lose-lock",   "--adapter-latency",
                                              "--hang-up",     "--back-after",
                                              "--reboot",      "--flip-bytes",
                                              "--pull-cam"};

bool TakesValue(std::string_view name) {
    for (std::string_view option : kValueOptions) {
        if (name == option) return true;
    }
    return false;
}

// Applies one option that takes a value; false with `error` set when the value is not acceptable.
bool TakeValue(std::string_view name, std::string_view value, SimOptions& o, std::string& error) {
    if (name == "--rack") return TakePath(name, value, o.rackFile, error);
    if (name == "--link") return TakePath(name, value, o.linkPath, error);
    if (name == "--drop") return TakeShare(name, value, o.faults.dropShare, error);
    if (name == "--corrupt") return TakeShare(name, value, o.faults.corruptShare, error);
    if (name == "--refuse") return TakeShare(name, value, o.faults.refuseShare, error);
    if (name == "--late") return TakeMilliseconds(name, value, o.faults.lateMs, error);
    if (name == "--restart-silence") return TakeMilliseconds(name, value, o.faults.restartSilenceMs, error);
    if (name == "--lose-lock") return TakeLockLoss(value, o.lockLosses, error);
    if (name == "--adapter-latency") return TakeAdapterLatency(value, o.adapterLatencyMs, error);
    if (name == "--hang-up") return TakeMoment(name, value, o.faults.hangUpAt, error);
    if (name == "--back-after") return TakeMilliseconds(name, value, o.backAfterMs, error);
    if (name == "--reboot") return TakeMoment(name, value, o.faults.rebootAt, error);
    if (name == "--flip-bytes") return TakeFlipEvery(value, o.faults.flipEvery, error);
    if (name == "--pull-cam") return TakeCamScreen(value, o.camFaults.pullDuring, error);
    return TakeCloseAfter(value, o.faults.closeAfterReplies, error);
}

bool TakeFlag(std::string_view name, SimOptions& o) {
    if (name == "--paced")
        o.paced = true;
    else if (name == "--silent")
        o.faults.silent = true;
    else if (name == "--no-module-list")
        o.faults.refuseModuleList = true;
    else if (name == "--no-cam")
        o.noCam = true;
    else if (name == "--endless-questions")
        o.camFaults.quirks.endlessQuestions = true;
    else if (name == "--oversized-cam-menu")
        o.camFaults.quirks.oversizedMenu = true;
    else if (name == "--help" || name == "-h")
        o.help = true;
    else
        return false;
    return true;
}

}  // namespace

bool ParseSimOptions(std::span<const std::string_view> args, SimOptions& options, std::string& error) {
    SimOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (!value && TakeFlag(name, parsed)) continue;
        if (!TakesValue(name)) {
            error = value ? "option " + std::string(name) + " takes no value"
                          : "unknown option '" + std::string(name) + "'";
            return false;
        }
        if (!value) {
            if (i + 1 == args.size()) {
                error = "option " + std::string(name) + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!TakeValue(name, *value, parsed, error)) return false;
    }
    options = std::move(parsed);
    return true;
}

std::string SimUsage() {
    return "usage: kxrsim [--rack FILE] [--link PATH] [--paced] [--drop SHARE] [--corrupt SHARE]\n"
           "              [--refuse SHARE] [--silent] [--late MS] [--close-after N]\n"
           "              [--no-module-list] [--restart-silence MS] [--no-cam]\n"
           "              [--lose-lock ROW[INPUT]:AFTER:FOR]... [--adapter-latency MS] [--hang-up AT]\n"
           "              [--back-after MS] [--reboot AT] [--flip-bytes N] [--pull-cam menu|pin]\n"
           "              [--endless-questions] [--oversized-cam-menu] [--help]\n"
           "\n"
           "Stands in for a KXRRack on a pseudo-terminal and prints the port to open on one line.\n"
           "Runs until SIGINT or SIGTERM; SIGUSR1 closes the terminal as if the cable were pulled; SIGUSR2\n"
           "pulls the CAMs out of the CI modules, or puts them back in.\n"
           "\n"
           "  --rack FILE       rack description file (default: the built-in seven-module rack)\n"
           "  --link PATH       also make a symbolic link PATH to the port (removed on exit)\n"
           "  --paced           send echo and replies at the line rate, 115200 baud\n"
           "  --drop SHARE      lose this share of replies (0 to 1; 0.5 = every second one)\n"
           "  --corrupt SHARE   send this share of replies with a wrong checksum\n"
           "  --refuse SHARE    refuse this share of requests (code 0xE0)\n"
           "  --silent          never reply (the line still echoes)\n"
           "  --late MS         send each reply MS milliseconds after its request\n"
           "  --close-after N   close the terminal once N replies have gone out\n"
           "  --no-module-list  the controller refuses to list its modules\n"
           "  --restart-silence MS\n"
           "                    how long the rack stays silent after a firmware restart (default 2000)\n"
           "  --no-cam          the CI modules start without a CAM\n"
           "  --lose-lock ROW[INPUT]:AFTER:FOR\n"
           "                    input INPUT (A, B or C; A when left out) of the input module in row ROW of\n"
           "                    the module list (1 is the first module) answers AFTER status polls as usual,\n"
           "                    then has no carrier for FOR polls, then locks again a few polls later;\n"
           "                    may be given for several inputs\n"
           "  --adapter-latency MS\n"
           "                    hold every byte towards the program as a USB serial adapter with this\n"
           "                    latency timer does (an FTDI: until MS ms have passed since the first byte\n"
           "                    held, or 62 bytes are waiting); 0 to 255, default 0 (no adapter)\n"
           "  --hang-up AT      the line hangs up at moment AT, as an adapter pulled out: the request of\n"
           "                    that moment reaches the rack, its reply never comes and the port goes\n"
           "  --back-after MS   a line that hung up (by --hang-up or SIGUSR1) comes back MS milliseconds\n"
           "                    later at the same --link path\n"
           "  --reboot AT       the rack restarts by itself at moment AT: silent for --restart-silence,\n"
           "                    its CAMs start afresh, configurations are kept\n"
           "  --flip-bytes N    flip one bit of every N-th byte of the replies (1000: 1 byte in 1,000)\n"
           "  --pull-cam menu|pin\n"
           "                    the CAMs are pulled once part of their main menu, or their PIN question,\n"
           "                    has been read (SIGUSR2 puts them back)\n"
           "  --endless-questions\n"
           "                    every answer to a CAM's question, or cancel, earns another\n"
           "  --oversized-cam-menu\n"
           "                    a CAM's main menu is one packet of some 6 KB, longer than the host's buffer\n"
           "  AT is N (when the rack has received N requests), 0xCC (the first request of command CC,\n"
           "  for example 0x50 a configuration write, 0xC0 a firmware block, 0x40 a status poll, 0x60 a\n"
           "  list or CAM read) or 0xCC/K (the K-th request of command CC)\n"
           "  --help            show this text\n"
           "  --version         show the version (alone)\n";
}

}  // namespace kelvane::sim
