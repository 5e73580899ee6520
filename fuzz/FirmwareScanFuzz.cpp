// The firmware scan over a firmware folder made from the input: a number of files, each a name and its bytes
// (fuzz/FuzzChecks.h parts), then the text of KXR.FRM. The folder is a private temporary one, made once and
// emptied before each input. Names are kept inside it (a '/' becomes '_'), so that the scan never reaches the
// machine's own files: a list naming a device such as /dev/zero would read forever.

#include "config/FirmwareFiles.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/PrivateFolder.h"

#include <filesystem>
#include <fstream>

namespace kelvane::fuzz {
namespace {
namespace fs = std::filesystem;

constexpr std::size_t kMostFiles = 8;

std::string FileName(Bytes name) {
    std::string text;
    for (const std::uint8_t byte : name) {
        if (byte == '\0') continue;
        text.push_back(byte == '/' ? '_' : static_cast<char>(byte));
    }
    return text == "." || text == ".." ? std::string() : text;
}

void Write(const fs::path& path, Bytes bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A listed name may only reach into the folder, as the harness's own files are the only ones there.
std::string ListInsideFolder(Bytes text) {
    std::string list(text.begin(), text.end());
    for (char& c : list) {
        if (c == '/') c = '_';
    }
    return list;
}

void Check(const FirmwareScan& scan) {
    std::size_t chosen = 0;
    for (const FirmwareScanNote& note : scan.notes) {
        Require(IsUtf8(FirmwareVerdictText(note.verdict)), "a verdict is text");
        if (note.verdict != FirmwareVerdict::Chosen) continue;
        ++chosen;
        Require(note.type < kFirmwareTypes, "a chosen image has a type of the table");
    }
    Require(chosen == scan.FirmwareFilesFound, "every image found was chosen once");
    for (const FirmwareEntry& entry : scan.table) {
        if (entry.BestVersion == 0) continue;
        UpgradeDue(0, entry);
        std::vector<std::uint8_t> image;
        Require(LoadFirmwareImage(entry, image) == ImageLoad::Loaded && !image.empty(),
                "the image chosen for a type loads, unchanged since the scan");
    }
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane::fuzz;
    const fs::path firmware = PrivateFolder() / "firmware";
    std::error_code ignored;
    fs::remove_all(firmware, ignored);
    fs::create_directory(firmware);

    Parts parts({data, size});
    for (std::size_t k = 0; k < kMostFiles; ++k) {
        const auto name = parts.Next();
        if (!name || name->empty()) break;  // an empty name ends the files: what follows is the list
        const auto contents = parts.Next();
        if (!contents) break;
        const std::string file = FileName(*name);
        if (!file.empty()) Write(firmware / file, *contents);
    }
    const std::string list = ListInsideFolder(parts.Rest());
    Write(firmware / kelvane::kFirmwareListName, {reinterpret_cast<const std::uint8_t*>(list.data()), list.size()});
    Check(kelvane::ScanFirmwareFiles(PrivateFolder()));
    return 0;
}
