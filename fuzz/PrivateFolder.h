#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace kelvane::fuzz {

// A temporary folder of the harness's own, made at the first call and removed when the run ends normally. It
// lies in memory where the machine offers /dev/shm: every input is written to files, and a disk would make
// that the whole cost of a run.
inline const std::filesystem::path& PrivateFolder() {
    struct Folder {
        std::filesystem::path path;
        Folder() {
            std::error_code error;
            const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                                   ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path();
            std::string pattern = (base / "kelvane-fuzz-XXXXXX").string();
            if (mkdtemp(pattern.data()) == nullptr) std::abort();
            path = pattern;
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

}  // namespace kelvane::fuzz
