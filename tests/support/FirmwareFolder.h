#pragma once

#include "config/FirmwareFiles.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvane::test {

// A working directory with a firmware folder, its list file and image files; removed with the object.
class FirmwareFolder {
public:
    FirmwareFolder()
        : root_(std::filesystem::temp_directory_path() /
                ("kelvane-fw-" + std::to_string(getpid()) + "-" + std::to_string(counter_++))) {
        std::filesystem::create_directories(root_ / "firmware");
    }
    ~FirmwareFolder() { std::filesystem::remove_all(root_); }
    FirmwareFolder(const FirmwareFolder&) = delete;
    FirmwareFolder& operator=(const FirmwareFolder&) = delete;

    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(Path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void List(const std::string& text) {
        std::ofstream out(Path(kFirmwareListName), std::ios::binary);
        out << text;
    }
    // One image file, built with its header, and a list that names only it.
    void Offer(const std::string& name, std::uint8_t type, std::uint8_t version,
               const std::vector<std::uint8_t>& image) {
        Write(name, BuildFirmwareFile(type, version, image));
        List(name + "\n");
    }
    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Path(const std::string& name) const { return root_ / "firmware" / name; }

private:
    static inline int counter_ = 0;
    std::filesystem::path root_;
};

}  // namespace kelvane::test
