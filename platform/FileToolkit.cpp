#include "platform/FileToolkit.h"

#include "platform/PartialFileName.h"

#include <cstdio>
#include <string>

namespace kelvane {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

class FileRefusalCategoryImpl final : public std::error_category {
public:
    const char* name() const noexcept override { return "kelvane file"; }
    std::string message(int value) const override {
        switch (static_cast<FileRefusal>(value)) {
        case FileRefusal::NotRegular: return "the name is that of a device, a named pipe or a socket, not of a file";
        case FileRefusal::SymbolicLink: return "the name is that of a symbolic link, which is never written through";
        case FileRefusal::TooLarge: return "the file is larger than any file of its kind";
        case FileRefusal::FileWriteProtected: return "the file is write-protected: this user may not replace it";
        case FileRefusal::FolderWriteProtected:
            return "the folder is write-protected: this user cannot write a new file there, so the file cannot be "
                   "replaced safely";
        case FileRefusal::NoFreeName: return "no free name beside the file for the new one";
        }
        return "unknown reason";
    }
    std::error_condition default_error_condition(int value) const noexcept override {
        switch (static_cast<FileRefusal>(value)) {
        case FileRefusal::NotRegular: return std::errc::invalid_argument;
        case FileRefusal::SymbolicLink: return std::errc::too_many_symbolic_link_levels;
        case FileRefusal::TooLarge: return std::errc::file_too_large;
        case FileRefusal::FileWriteProtected:
        case FileRefusal::FolderWriteProtected: return std::errc::permission_denied;
        case FileRefusal::NoFreeName: return std::errc::file_exists;
        }
        return {value, *this};
    }
};

}  // namespace

const std::error_category& FileRefusalCategory() {
    static const FileRefusalCategoryImpl category;
    return category;
}

std::error_code make_error_code(FileRefusal refusal) { return {static_cast<int>(refusal), FileRefusalCategory()}; }

RegularFileReader::~RegularFileReader() { Close(); }

bool RegularFileReader::Open(const std::filesystem::path& path, std::uintmax_t limit, std::error_code& error) {
    error.clear();
    Close();
    std::uintmax_t size = 0;
    handle_ = OpenRegular(path, size, error);
    if (IsOpen() && size > limit) {
        error = FileRefusal::TooLarge;
        Close();
    }
    allowed_ = limit;
    return IsOpen();
}

std::size_t RegularFileReader::Read(std::span<std::uint8_t> into, std::error_code& error) {
    error.clear();
    if (!IsOpen()) {
        error = std::make_error_code(std::errc::bad_file_descriptor);
        return 0;
    }
    // One byte past the limit is enough to tell a file that grew beyond it.
    const std::size_t wanted = into.size() <= allowed_ ? into.size() : static_cast<std::size_t>(allowed_) + 1;
    const std::size_t got = ReadSome(into.first(wanted), error);
    if (error) return 0;
    if (got > allowed_) {
        error = FileRefusal::TooLarge;
        return 0;
    }
    allowed_ -= got;
    return got;
}

bool ReadRegularFileInChunks(const std::filesystem::path& path, std::uintmax_t limit,
                             const std::function<void(std::span<const std::uint8_t>)>& take, std::error_code& error) {
    RegularFileReader file;
    if (!file.Open(path, limit, error)) return false;
    std::vector<std::uint8_t> chunk(kReadChunk);
    for (;;) {
        const std::size_t got = file.Read(chunk, error);
        if (error) return false;
        if (got == 0) return true;
        take(std::span<const std::uint8_t>(chunk.data(), got));
    }
}

bool ReadRegularFile(const std::filesystem::path& path, std::uintmax_t limit, std::vector<std::uint8_t>& bytes,
                     std::error_code& error) {
    bytes.clear();
    const bool read = ReadRegularFileInChunks(
        path, limit,
        [&bytes](std::span<const std::uint8_t> chunk) { bytes.insert(bytes.end(), chunk.begin(), chunk.end()); },
        error);
    if (!read) bytes.clear();
    return read;
}

std::filesystem::path PartialFileName(const std::filesystem::path& target, unsigned random) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".part-%06x", random & 0xFFFFFFu);
    std::filesystem::path name = ".";
    name += target.filename();
    name += suffix;
    std::filesystem::path partial = target;
    partial.replace_filename(name);
    return partial;
}

}  // namespace kelvane
