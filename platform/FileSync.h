#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace kelvane {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` with a C library `mode` ("rb", "wb"), whatever characters its name holds; null on failure,
// with errno telling why.
FileHandle OpenFile(const std::filesystem::path& path, const char* mode);

// Pushes what was written to `file` past the C library and the system's cache onto the disk, so that a file
// renamed over an older one afterwards cannot turn up empty after a power cut. False when either step failed.
bool FlushFileToDisk(std::FILE* file);

// Makes a rename in `directory` itself durable where the system needs that (POSIX); a failure here leaves the
// renamed file intact, so the caller may ignore it.
bool FlushDirectoryToDisk(const std::filesystem::path& directory);

}  // namespace kelvane
