#include "platform/FileSync.h"

#ifdef _WIN32
#include <io.h>
#include <string>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelvane {

FileHandle OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    // Narrow names would go through the ANSI code page and lose every character outside it.
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return FileHandle(_wfopen(path.c_str(), wideMode.c_str()));
#else
    return FileHandle(std::fopen(path.c_str(), mode));
#endif
}

bool FlushFileToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool FlushDirectoryToDisk(const std::filesystem::path& directory) {
#ifdef _WIN32
    (void)directory;  // Windows cannot flush a directory; NTFS journals the rename itself
    return true;
#else
    const int handle = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return false;
    const bool synced = fsync(handle) == 0;
    close(handle);
    return synced;
#endif
}

}  // namespace kelvane
