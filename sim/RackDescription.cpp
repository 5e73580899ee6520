// Rack description files: a text file, one module a line, in slot order.
//
//   # the controller (optional, at most once, anywhere in the file; version 10 when absent)
//   KXA100 0 14
//   # MODEL ADDRESS VERSION [active|inactive] [HEX ...]
//   KXB200 1 12 active 06 4C 6B 6C 10 02 04 4D 04 4E 01 00
//   KXD410 3 21
//   + 0ED0 02 01 02 01 00 8F ...
//
// MODEL is a model name (KXA100, KXB200, KXD400, KXF600, KXB210, KXD410, KXD420, KXC300, KXE500, in any case)
// or a type code 0-255, so that unknown types can be tried too. ADDRESS is the bus address: 0 for the
// controller, 1-254 but not 253 (the PC) for a module, each used once. VERSION is the firmware version in
// tenths, 0-255. Numbers are decimal, or hexadecimal after "0x". The flag defaults to active; an inactive unit
// answers the identity probe with 0xFF. HEX is the configuration image as pairs of hex digits, grouped freely
// by spaces; a line that starts with "+" appends more image bytes to the module of the line before. An image
// holds at most 1024 bytes; a module without one has an empty image. '#' starts a comment.
#include "sim/RackDescription.h"

#include "sim/ModuleModels.h"

#include <charconv>
#include <map>
#include <optional>
#include <sstream>

namespace kelvane::sim {
namespace {

constexpr std::size_t kHexBytesPerLine = 32;

std::vector<std::string> Tokens(const std::string& line) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> tokens;
    for (std::string word; words >> word;) tokens.push_back(word);
    return tokens;
}

std::optional<std::uint8_t> ParseByteNumber(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (ec != std::errc{} || end != last || first == last || value > 0xFF) return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool AppendHex(const std::string& token, std::vector<std::uint8_t>& out, std::string& error) {
    for (char c : token) {
        if (HexDigit(c) < 0) {
            error = "'" + token + "' is neither a flag nor hex digits";
            return false;
        }
    }
    if (token.size() % 2 != 0) {
        error = "hex '" + token + "' has an odd number of digits";
        return false;
    }
    for (std::size_t i = 0; i < token.size(); i += 2) {
        const int high = HexDigit(token[i]);
        const int low = HexDigit(token[i + 1]);
        if (out.size() >= kMaxConfigLength) {
            error = "configuration image longer than " + std::to_string(kMaxConfigLength) + " bytes";
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

bool AddressIsFree(std::uint8_t address) { return address != 0 && address != 0xFD && address != 0xFF; }

// Collects the lines of one file; each Take* reports its problem without the line number.
class RackReader {
public:
    bool TakeLine(const std::vector<std::string>& tokens, int lineNumber, std::string& error) {
        if (tokens.empty()) return true;
        if (tokens[0] == "+") return TakeContinuation(tokens, error);
        return TakeModule(tokens, lineNumber, error);
    }

    RackDescription rack;

private:
    bool TakeContinuation(const std::vector<std::string>& tokens, std::string& error) {
        if (!lastWasModule_) {
            error = "'+' continues no module line";
            return false;
        }
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            if (!AppendHex(tokens[i], rack.modules.back().config, error)) return false;
        }
        return true;
    }

    bool TakeModule(const std::vector<std::string>& tokens, int lineNumber, std::string& error) {
        if (tokens.size() < 3) {
            error = "expected MODEL ADDRESS VERSION [active|inactive] [HEX ...]";
            return false;
        }
        ModuleDescription module;
        if (!TakeIdentity(tokens, module, error)) return false;
        std::size_t next = 3;
        if (next < tokens.size() && (tokens[next] == "active" || tokens[next] == "inactive")) {
            module.active = tokens[next] == "active";
            ++next;
        }
        for (; next < tokens.size(); ++next) {
            if (!AppendHex(tokens[next], module.config, error)) return false;
        }
        return module.type == 0 ? TakeController(module, lineNumber, error) : TakeSlot(module, lineNumber, error);
    }

    static bool TakeIdentity(const std::vector<std::string>& tokens, ModuleDescription& module, std::string& error) {
        auto type = TypeOfModel(tokens[0]);
        if (!type) type = ParseByteNumber(tokens[0]);
        if (!type) {
            error = "unknown model '" + tokens[0] + "'";
            return false;
        }
        const auto address = ParseByteNumber(tokens[1]);
        if (!address) {
            error = "address '" + tokens[1] + "' is not a number from 0 to 255";
            return false;
        }
        const auto version = ParseByteNumber(tokens[2]);
        if (!version) {
            error = "version '" + tokens[2] + "' is not a number from 0 to 255";
            return false;
        }
        module.type = *type;
        module.address = *address;
        module.version = *version;
        return true;
    }

    bool TakeController(const ModuleDescription& module, int lineNumber, std::string& error) {
        if (controllerLine_ != 0) {
            error = "the controller is already given on line " + std::to_string(controllerLine_);
            return false;
        }
        if (module.address != 0) {
            error = "the controller sits at address 0, not " + std::to_string(module.address);
            return false;
        }
        if (!module.config.empty()) {
            error = "the controller carries no configuration image";
            return false;
        }
        controllerLine_ = lineNumber;
        rack.controllerVersion = module.version;
        rack.controllerActive = module.active;
        lastWasModule_ = false;
        return true;
    }

    bool TakeSlot(ModuleDescription module, int lineNumber, std::string& error) {
        if (!AddressIsFree(module.address)) {
            error = "address " + std::to_string(module.address) +
                    " is not a module address (0 is the controller, 253 the PC, 255 broadcast)";
            return false;
        }
        if (const auto used = addressLines_.find(module.address); used != addressLines_.end()) {
            error = "address " + std::to_string(module.address) + " is already used on line " +
                    std::to_string(used->second);
            return false;
        }
        addressLines_[module.address] = lineNumber;
        rack.modules.push_back(std::move(module));
        lastWasModule_ = true;
        return true;
    }

    std::map<std::uint8_t, int> addressLines_;
    int controllerLine_ = 0;
    bool lastWasModule_ = false;
};

std::string ModelToken(std::uint8_t type) {
    const std::string_view name = ModelName(type);
    return name.empty() ? std::to_string(type) : std::string(name);
}

void FormatHexLines(std::ostringstream& out, const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % kHexBytesPerLine == 0) out << (i == 0 ? "+ " : "\n+ ");
        out << kDigits[bytes[i] >> 4] << kDigits[bytes[i] & 0x0F];
    }
    if (!bytes.empty()) out << '\n';
}

}  // namespace

bool ValidateRack(const RackDescription& rack, std::string& error) {
    std::map<std::uint8_t, std::size_t> slots;
    for (std::size_t i = 0; i < rack.modules.size(); ++i) {
        const ModuleDescription& m = rack.modules[i];
        const std::string where = "module " + std::to_string(i + 1) + " (address " + std::to_string(m.address) + ")";
        if (m.type == 0) {
            error = where + ": type 0 is the controller, which is not listed among the modules";
            return false;
        }
        if (!AddressIsFree(m.address)) {
            error = where + ": not a module address";
            return false;
        }
        if (!slots.emplace(m.address, i).second) {
            error = where + ": address used twice";
            return false;
        }
        if (m.config.size() > kMaxConfigLength) {
            error = where + ": configuration image longer than " + std::to_string(kMaxConfigLength) + " bytes";
            return false;
        }
    }
    return true;
}

bool ParseRackDescription(std::istream& in, RackDescription& rack, std::string& error) {
    RackReader reader;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        std::string problem;
        if (!reader.TakeLine(Tokens(line), lineNumber, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
    }
    if (in.bad()) {
        error = "the rack description could not be read";
        return false;
    }
    if (!ValidateRack(reader.rack, error)) return false;
    rack = std::move(reader.rack);
    return true;
}

std::string FormatRackDescription(const RackDescription& rack) {
    std::ostringstream out;
    out << "KXA100 0 " << int{rack.controllerVersion} << (rack.controllerActive ? "" : " inactive") << '\n';
    for (const ModuleDescription& m : rack.modules) {
        out << ModelToken(m.type) << ' ' << int{m.address} << ' ' << int{m.version} << ' '
            << (m.active ? "active" : "inactive") << '\n';
        FormatHexLines(out, m.config);
    }
    return out.str();
}

}  // namespace kelvane::sim
