#pragma once

#include "app/SlotTable.h"
#include "sim/Frame.h"
#include "sim/RackDescription.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

namespace kelvane::test {

using Bytes = std::vector<std::uint8_t>;

inline SlotRecord Record(std::uint8_t type, std::uint8_t address, const Bytes& image = {}) {
    SlotRecord record;
    record.Type = type;
    record.Address = address;
    record.ConfigLength = static_cast<std::uint16_t>(image.size());
    std::copy(image.begin(), image.end(), record.Config.begin());
    return record;
}

inline SlotTable TableOf(std::initializer_list<SlotRecord> records) {
    SlotTable table;
    for (const SlotRecord& record : records) table[table.ModuleCount++] = record;
    return table;
}

// The slot table discovery would build for `rack`: the controller, then its modules in slot order.
inline SlotTable TableOf(const sim::RackDescription& rack) {
    SlotTable table = TableOf({Record(0, 0)});
    for (const sim::ModuleDescription& m : rack.modules)
        table[table.ModuleCount++] = Record(m.type, m.address, m.config);
    return table;
}

inline Bytes ImageBytes(const SlotRecord& record) {
    return {record.Config.begin(), record.Config.begin() + record.ConfigLength};
}

inline Bytes Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void Write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A request as the rack heard it: where it went, its command and its payload.
struct Heard {
    std::uint8_t address;
    std::uint8_t command;
    Bytes payload;
    bool operator==(const Heard&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Heard& h) {
    return out << "{" << int{h.address} << ", 0x" << std::hex << int{h.command} << std::dec << ", " << h.payload.size()
               << " bytes}";
}

template <typename Requests>
std::vector<Heard> HeardFrom(const Requests& requests, std::size_t from = 0) {
    std::vector<Heard> heard;
    for (auto it = std::next(requests.begin(), static_cast<std::ptrdiff_t>(from)); it != requests.end(); ++it) {
        heard.push_back({it->destination, it->Command(), it->payload});
    }
    return heard;
}

}  // namespace kelvane::test
