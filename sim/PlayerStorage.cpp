#include "sim/PlayerStorage.h"

#include "sim/BigEndian.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kelvane::sim {

// Latin-1 bytes, as the module stores names.
constexpr std::array<std::string_view, 6> kLibrary{
    "promo_hiver.ts",
    "journal_0800.ts",
    "clip_\xE9t\xE9.ts",  // clip_été.ts
    "bande_annonce.ts",
    "m\xE9t\xE9o_r\xE9gion.ts",  // météo_région.ts
    "mire_1080.ts",
};

constexpr std::uint8_t kHasFiles = 1;
constexpr std::uint8_t kNothingToPlay = 0;

PlayerStorage::PlayerStorage(std::span<const std::string> scheduledFiles) {
    for (std::string_view name : kLibrary) Add(std::string(name));
    for (const std::string& name : scheduledFiles) Add(name);
}

std::uint8_t PlayerStorage::PlayerState() const { return files_.empty() ? kNothingToPlay : kHasFiles; }

std::vector<std::uint8_t> PlayerStorage::FileListReply() const {
    std::vector<std::uint8_t> reply{0x00, 0x00};
    PutU16(reply, static_cast<std::uint32_t>(files_.size()));
    for (const std::string& name : files_) PutText(reply, name);
    return reply;
}

void PlayerStorage::Add(const std::string& name) {
    // A NUL would end the name early on the wire; an empty name is no file.
    std::string kept = name.substr(0, std::min(name.find('\0'), kMaxNameLength));
    if (kept.empty() || files_.size() >= kMaxFiles) return;
    if (std::find(files_.begin(), files_.end(), kept) == files_.end()) files_.push_back(std::move(kept));
}

}  // namespace kelvane::sim
