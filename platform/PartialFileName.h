#pragma once

#include <filesystem>

namespace kelvane {

// The name of the new file written beside `target` before it replaces it: hidden, and ending in neither the
// target's extension nor anything a reader of "*.prom" or "*.kcf" would pick up. `random` picks among 2^24.
std::filesystem::path PartialFileName(const std::filesystem::path& target, unsigned random);

// How many fresh names a replace tries before it gives up: each is taken only if nothing stands under it.
constexpr int kPartialNameAttempts = 16;

}  // namespace kelvane
