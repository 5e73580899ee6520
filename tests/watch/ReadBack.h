#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvane::test {

// Debian's own interpreter, named outright: the parsers are Debian's python3-prometheus-client and the
// standard json module, not whatever a PATH or a virtual environment offers.
constexpr const char* kDebianPython = "/usr/bin/python3";

struct ReadBack {
    bool parsed = false;
    std::string facts;  // one fact a line, as read_watch_output.py prints them
    std::string complaint;
};

// Reads `text` back with the independent parsers of read_watch_output.py (`mode` "prometheus" or "json").
inline ReadBack ReadWithPython(const std::string& mode, const std::string& text) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kelvane-readback-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path input = dir / "input";
    const fs::path complaint = dir / "complaint";
    std::ofstream(input, std::ios::binary) << text;
    ReadBack read;
    if (!fs::exists(kDebianPython)) {
        read.complaint = std::string(kDebianPython) + " is missing: run scripts/install-deps.sh";
        fs::remove_all(dir);
        return read;
    }
    const std::string command = std::string(kDebianPython) + " '" WATCH_READ_BACK_SCRIPT "' " + mode + " '" +
                                input.string() + "' 2>'" + complaint.string() + "'";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) read.facts.append(buffer, n);
        const int status = pclose(pipe);
        read.parsed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::ifstream err(complaint);
    read.complaint.assign(std::istreambuf_iterator<char>(err), {});
    fs::remove_all(dir);
    return read;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline bool HasFact(const ReadBack& read, const std::string& fact) {
    std::istringstream in(read.facts);
    for (std::string line; std::getline(in, line);) {
        if (line == fact) return true;
    }
    return false;
}

}  // namespace kelvane::test
