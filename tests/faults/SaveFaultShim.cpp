// Preloaded into kelvane-cli by the fault campaign: makes the C library calls a save makes on files of one folder
// (through stdio or through descriptors) fail as on a full disk or a read-only folder, or kills the process at the
// N-th such call. Runs as root as well, where a folder's permissions would not stop a write.
//
//   KELVANE_SHIM_FOLDER    the folder whose files count (a prefix of the paths the program opens)
//   KELVANE_SHIM_KILL_AT   SIGKILL at this call (1 is the first), before it acts
//   KELVANE_SHIM_NO_SPACE  writes and flushes fail with ENOSPC
//   KELVANE_SHIM_READ_ONLY opening for writing and renaming into the folder fail with EROFS
//   KELVANE_SHIM_LOG       a file that gets one line per counted call ("fopen", "open", "write", ...)

#include <cstdarg>
#include <dlfcn.h>
#include <cerrno>
#include <fcntl.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kMostTracked = 16;
FILE* tracked[kMostTracked];
int trackedDescriptors[kMostTracked] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
long calls = 0;

const char* Setting(const char* name) {
    const char* value = getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

bool InFolder(const char* path) {
    const char* folder = Setting("KELVANE_SHIM_FOLDER");
    return folder != nullptr && path != nullptr && strncmp(path, folder, strlen(folder)) == 0;
}

bool IsTracked(FILE* file) {
    for (int i = 0; i < kMostTracked; ++i) {
        if (file != nullptr && tracked[i] == file) return true;
    }
    return false;
}

void Track(FILE* file, bool on) {
    for (int i = 0; i < kMostTracked; ++i) {
        if (on ? tracked[i] == nullptr : tracked[i] == file) {
            tracked[i] = on ? file : nullptr;
            return;
        }
    }
}

bool IsTrackedDescriptor(int fd) {
    for (int i = 0; i < kMostTracked; ++i) {
        if (fd >= 0 && trackedDescriptors[i] == fd) return true;
    }
    return false;
}

void TrackDescriptor(int fd, bool on) {
    for (int i = 0; i < kMostTracked; ++i) {
        if (on ? trackedDescriptors[i] == -1 : trackedDescriptors[i] == fd) {
            trackedDescriptors[i] = on ? fd : -1;
            return;
        }
    }
}

// Counts one call; the process dies here when this is the call it is to die at.
void Step(const char* what) {
    ++calls;
    const char* log = Setting("KELVANE_SHIM_LOG");
    if (log != nullptr) {
        const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) {
            if (write(fd, what, strlen(what)) < 0 || write(fd, "\n", 1) < 0) {
                // The log is for the test's count only; a lost line shows there.
            }
            close(fd);
        }
    }
    const char* killAt = Setting("KELVANE_SHIM_KILL_AT");
    if (killAt != nullptr && atol(killAt) == calls) raise(SIGKILL);
}

bool Writing(const char* mode) { return strpbrk(mode, "wa+") != nullptr; }

// The C library's own function of that name.
template <typename Function>
Function Real(const char* name, Function) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

FILE* OpenWith(FILE* (*real)(const char*, const char*), const char* path, const char* mode) {
    if (!InFolder(path) || !Writing(mode)) return real(path, mode);
    Step("fopen");
    if (Setting("KELVANE_SHIM_READ_ONLY") != nullptr) {
        errno = EROFS;
        return nullptr;
    }
    FILE* file = real(path, mode);
    if (file != nullptr) Track(file, true);
    return file;
}

// What a save opens: the file it probes by appending and the new file it creates; never the serial line.
bool WritingFlags(int flags) { return (flags & (O_APPEND | O_CREAT)) != 0; }

int OpenDescriptor(int (*real)(const char*, int, ...), const char* path, int flags, mode_t mode) {
    if (!InFolder(path) || !WritingFlags(flags)) return real(path, flags, mode);
    Step("open");
    if (Setting("KELVANE_SHIM_READ_ONLY") != nullptr) {
        errno = EROFS;
        return -1;
    }
    const int fd = real(path, flags, mode);
    if (fd >= 0) TrackDescriptor(fd, true);
    return fd;
}

mode_t ModeArgument(int flags, va_list& rest) {
    return (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(rest, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeArgument(flags, rest);
    va_end(rest);
    return OpenDescriptor(Real("open", &open), path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeArgument(flags, rest);
    va_end(rest);
    return OpenDescriptor(Real("open64", &open64), path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    if (!IsTrackedDescriptor(fd)) return Real("write", &write)(fd, data, size);
    Step("write");
    if (Setting("KELVANE_SHIM_NO_SPACE") != nullptr && size > 0) {
        errno = ENOSPC;
        return -1;
    }
    return Real("write", &write)(fd, data, size);
}

int close(int fd) {
    if (!IsTrackedDescriptor(fd)) return Real("close", &close)(fd);
    Step("close");
    TrackDescriptor(fd, false);
    return Real("close", &close)(fd);
}

FILE* fopen(const char* path, const char* mode) { return OpenWith(Real("fopen", &fopen), path, mode); }
FILE* fopen64(const char* path, const char* mode) { return OpenWith(Real("fopen64", &fopen64), path, mode); }

size_t fwrite(const void* data, size_t size, size_t count, FILE* file) {
    if (!IsTracked(file)) return Real("fwrite", &fwrite)(data, size, count, file);
    Step("fwrite");
    if (Setting("KELVANE_SHIM_NO_SPACE") != nullptr && size * count > 0) {
        // Half of it fits, as when the disk fills during the write.
        const size_t fits = count / 2;
        if (fits > 0) Real("fwrite", &fwrite)(data, size, fits, file);
        errno = ENOSPC;
        return fits;
    }
    return Real("fwrite", &fwrite)(data, size, count, file);
}

int fflush(FILE* file) {
    if (!IsTracked(file)) return Real("fflush", &fflush)(file);
    Step("fflush");
    if (Setting("KELVANE_SHIM_NO_SPACE") != nullptr) {
        errno = ENOSPC;
        return EOF;
    }
    return Real("fflush", &fflush)(file);
}

int fclose(FILE* file) {
    if (!IsTracked(file)) return Real("fclose", &fclose)(file);
    Step("fclose");
    Track(file, false);
    return Real("fclose", &fclose)(file);
}

int fsync(int fd) {
    // Only the saved file and its folder are flushed during a save.
    Step("fsync");
    return Real("fsync", &fsync)(fd);
}

int rename(const char* from, const char* to) {
    if (!InFolder(to)) return Real("rename", &rename)(from, to);
    Step("rename");
    if (Setting("KELVANE_SHIM_READ_ONLY") != nullptr) {
        errno = EROFS;
        return -1;
    }
    return Real("rename", &rename)(from, to);
}

}  // extern "C"
