#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kelvane {

// One block of a pcapng file, in the writer's (little-endian) byte order: the block total length is reserved
// at the start and patched when the block is finished, then repeated at its end; bodies and options are padded
// to 32 bits as the format requires.
class PcapngBlock {
public:
    explicit PcapngBlock(std::uint32_t blockType);

    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void U64(std::uint64_t value);
    // Bytes followed by padding to the next 32-bit boundary.
    void PaddedBytes(std::span<const std::uint8_t> bytes);
    // An option: its code, its length and its value padded to 32 bits.
    void Option(std::uint16_t code, std::span<const std::uint8_t> value);
    void Option(std::uint16_t code, std::string_view text);

    // Ends the options (opt_endofopt) and returns the whole block, its total length at both ends.
    std::vector<std::uint8_t> Finish();

private:
    std::vector<std::uint8_t> bytes_;
};

// Block types and option codes by their names in the pcapng format's description.
namespace pcapng {
constexpr std::uint32_t kSectionHeaderBlock = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceDescriptionBlock = 0x00000001;
constexpr std::uint32_t kEnhancedPacketBlock = 0x00000006;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::uint16_t kShbUserAppl = 4;
constexpr std::uint16_t kIfName = 2;
constexpr std::uint16_t kIfTsresol = 9;
constexpr std::uint16_t kEpbFlags = 2;
constexpr std::uint32_t kEpbInbound = 1;
constexpr std::uint32_t kEpbOutbound = 2;
// LINKTYPE_USER0: a link type reserved for private use, which a dissector claims.
constexpr std::uint16_t kLinkTypeUser0 = 147;
}  // namespace pcapng

}  // namespace kelvane
