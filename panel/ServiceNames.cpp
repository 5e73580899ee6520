#include "panel/ServiceNames.h"

#include "panel/ImageBytes.h"
#include "text/TextDecoding.h"
#include "text/Utf8.h"

#include <algorithm>
#include <array>
#include <optional>

namespace kelvane {
namespace {

constexpr std::uint8_t kTelevisionBit = 0x01;
constexpr std::uint8_t kScrambledBit = 0x02;
constexpr std::size_t kUnusedWordsSize = 4;

constexpr std::array<char32_t, 256> MakeSiCharTable() {
    std::array<char32_t, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        const bool control = byte < 0x20 || (byte >= 0x80 && byte < 0xA0);
        table[byte] = control ? U'.' : static_cast<char32_t>(byte);
    }
    table[0x22] = U'\'';
    table[0x7F] = U'.';
    table[0xA0] = U'.';
    table[0xAD] = U'-';
    return table;
}
constexpr std::array<char32_t, 256> kSiCharTable = MakeSiCharTable();

// A name in the table its first byte selects (Latin-1 when it names none), without the control codes, and
// with the characters that the list shows otherwise.
std::string ServiceName(std::span<const std::uint8_t> bytes) {
    std::string name;
    for (const char32_t c : Utf8Characters(DecodeText(bytes).utf8)) {
        if (c > 0xFF) {
            AppendUtf8(name, c);
        } else if (IsSiNameCharacter(static_cast<std::uint8_t>(c))) {
            AppendUtf8(name, SiChar(static_cast<std::uint8_t>(c)));
        }
    }
    return name;
}

// One service's id and name at `position`; nothing when the reply ends first.
std::optional<SiService> ReadService(std::span<const std::uint8_t> reply, std::size_t& position) {
    const ByteReader bytes(reply);
    if (!bytes.Has(position, 2)) return std::nullopt;
    SiService service;
    service.ServiceId = bytes.U16(position);
    position += 2;
    const std::size_t start = position;
    while (position < reply.size() && reply[position] != 0x00) ++position;
    if (position >= reply.size()) return std::nullopt;
    service.Name = ServiceName(reply.subspan(start, position - start));
    ++position;
    return service;
}

// Reads one row at `position`; false when the reply ended inside it.
bool ParseRow(std::span<const std::uint8_t> reply, std::size_t& position, SiServiceTable& table) {
    const int announced = reply[position++];
    if (announced == 0) return true;
    for (int k = 0; k < announced; ++k) {
        std::optional<SiService> service = ReadService(reply, position);
        if (!service) return false;
        if (k < kMaxServicesPerRow) table.entries[table.count++] = std::move(*service);
    }
    for (int k = 0; k < announced; ++k, ++position) {
        if (position >= reply.size()) return false;
        if (k >= table.count) continue;
        const std::uint8_t flags = reply[position];
        table.entries[k].ServiceKind = (flags & kTelevisionBit) != 0 ? kTelevision : kRadio;
        table.entries[k].Scrambled = (flags & kScrambledBit) != 0 ? 1 : 0;
    }
    position += kUnusedWordsSize;
    return position <= reply.size();
}

}  // namespace

char32_t SiChar(std::uint8_t byte) { return kSiCharTable[byte]; }

bool IsSiNameCharacter(std::uint8_t byte) { return !(byte < 0x20 || (byte >= 0x80 && byte < 0xA0)); }

bool ParseServiceNames(std::span<const std::uint8_t> reply, PanelModel& m) {
    if (reply.empty()) return false;
    std::array<SiServiceTable, kMaxInputRows> read{};
    std::size_t position = 0;
    const int rows = std::clamp(m.InputCount, 1, kMaxInputRows);
    for (int row = 0; row < rows && position < reply.size(); ++row) {
        if (!ParseRow(reply, position, read[static_cast<std::size_t>(row)])) return false;
    }
    m.InputSiServices = std::move(read);
    m.NamesRead = true;
    return true;
}

}  // namespace kelvane
