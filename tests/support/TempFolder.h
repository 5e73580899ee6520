#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace kelvane::test {

// A folder of one test's own under the system's temporary folder, removed with all it holds when the test ends,
// so that no test leaves files behind or meets another's.
class TempFolder {
public:
    explicit TempFolder(const std::string& purpose)
        : root_(std::filesystem::temp_directory_path() /
                ("kelvane-" + purpose + "-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(root_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Path(const std::string& name) const { return root_ / name; }

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string Text(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t Count() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(root_), {}));
    }

private:
    std::filesystem::path root_;
};

}  // namespace kelvane::test
