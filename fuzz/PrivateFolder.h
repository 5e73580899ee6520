#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace kelvane::fuzz {

// A temporary folder of the harness's own, made at the first call and removed when the run ends normally.
inline const std::filesystem::path& PrivateFolder() {
    struct Folder {
        std::filesystem::path path;
        Folder() {
            std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-fuzz-XXXXXX").string();
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
