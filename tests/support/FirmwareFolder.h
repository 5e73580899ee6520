#pragma once

#include "config/FirmwareFiles.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvane::test {

// An image of `length` bytes for the simulator's modules: after the rack's restart a module runs the version
// marked in it, or, with none marked, the version it had plus one, as with a mislabelled image.
inline std::vector<std::uint8_t> MarkedImage(std::size_t length, std::optional<std::uint8_t> runs) {
    std::vector<std::uint8_t> image(length, 0x5A);
    if (runs && length >= 21) {
        const std::uint8_t marker[] = {'K', 'X', 'R', 'V', *runs};
        std::copy(std::begin(marker), std::end(marker), image.begin() + 16);
    }
    return image;
}

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
