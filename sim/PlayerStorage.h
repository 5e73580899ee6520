#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane::sim {

// The files a KXC300 holds on its storage and can play.
class PlayerStorage {
public:
    // Every KXC300 ships with a small library; the files its schedule names are on it too, so that a rack
    // described with another schedule still finds what it plays.
    explicit PlayerStorage(std::span<const std::string> scheduledFiles = {});

    const std::vector<std::string>& Files() const { return files_; }

    // The player byte of the status reply: non-zero while there is something to play.
    std::uint8_t PlayerState() const;

    // The file-list reply: two reserved bytes, the count big-endian, then each name NUL-terminated.
    std::vector<std::uint8_t> FileListReply() const;

    // Names longer than this are cut, and at most kMaxFiles are kept: the reply must fit in one frame.
    static constexpr std::size_t kMaxNameLength = 64;
    static constexpr std::size_t kMaxFiles = 200;

private:
    void Add(const std::string& name);

    std::vector<std::string> files_;
};

}  // namespace kelvane::sim
