#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvane::test {

// A pseudo-terminal stands in for a serial line: its master side is the far end.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
        // Holding the slave open keeps the master readable while the port is closed and reopened.
        if (!path_.empty()) holder_ = open(path_.c_str(), O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal() {
        if (holder_ >= 0) close(holder_);
        CloseMaster();
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The far end goes away, as when an adapter is pulled.
    void CloseMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }
    const std::string& Path() const { return path_; }
    void Send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::vector<std::uint8_t> Receive(std::size_t count) {
        std::vector<std::uint8_t> got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                std::uint8_t b[64];
                const ssize_t n = read(master_, b, std::min(sizeof b, count - got.size()));
                if (n > 0) got.insert(got.end(), b, b + n);
            }
        }
        return got;
    }

private:
    int master_ = -1;
    int holder_ = -1;
    std::string path_;
};

}  // namespace kelvane::test
