#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kelvane::test {

// Starts `argv` (the program by its path) with its output and errors going to the files named, in `folder` when
// one is given and with `environment` added. Returns the child's process id: the test stops it itself.
inline pid_t Spawn(std::vector<std::string> argv, const std::filesystem::path& out, const std::filesystem::path& err,
                   const std::filesystem::path& folder = {},
                   const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) _exit(126);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

}  // namespace kelvane::test
