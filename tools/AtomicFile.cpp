#include "tools/AtomicFile.h"

#include "platform/FileSync.h"

#include <cerrno>
#include <cstring>

namespace kelvane {

namespace fs = std::filesystem;

bool WriteFileAtomically(const fs::path& path, std::string_view text, std::string& error) {
    // Hidden and without the target's extension, so that a collector reading "*.prom" never picks it up.
    fs::path name = ".";
    name += path.filename();
    name += ".partial";
    fs::path partial = path;
    partial.replace_filename(name);
    {
        FileHandle file = OpenFile(partial, "wb");
        if (!file) {
            error = std::strerror(errno);
            return false;
        }
        const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
        const int writeErrno = errno;
        if (!written || std::fclose(file.release()) != 0) {
            error = std::strerror(written ? errno : writeErrno);
            std::error_code ignored;
            fs::remove(partial, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(partial, path, ec);
    if (ec) {
        error = ec.message();
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

}  // namespace kelvane
