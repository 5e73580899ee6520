#include "bench/Ser2netServer.h"

#include "platform/posix/Loopback.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvane::bench {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Configuration(const std::string& device, Ser2netServer::Accepter accepter, Ser2netServer::Tuning tuning,
                          std::uint16_t port) {
    const bool fast = tuning == Ser2netServer::Tuning::Fast;
    const std::string tcp = fast ? "tcp(nodelay)" : "tcp";
    const std::string kind = accepter == Ser2netServer::Accepter::Rfc2217 ? "telnet(rfc2217)," + tcp : tcp;
    return "connection: &rack\n  accepter: " + kind + ",127.0.0.1," + std::to_string(port) +
           "\n  connector: serialdev," + device + ",115200n81,local\n" +
           (fast ? "  options:\n    chardelay: false\n" : "");
}

}  // namespace

std::string Ser2netServer::Program() {
    for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/sbin/ser2net"}) {
        if (access(path, X_OK) == 0) return path;
    }
    return {};
}

bool Ser2netServer::Start(const std::string& device, Accepter accepter, Tuning tuning, std::string& error) {
    Stop();
    const std::string program = Program();
    const std::uint16_t port = FreeLoopbackPort();
    if (program.empty() || port == 0) {
        error = program.empty() ? "ser2net is not installed" : "no free port on 127.0.0.1";
        return false;
    }
    folder_ = fs::temp_directory_path() / ("kelvane-bench-ser2net-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    const std::string config = (folder_ / "ser2net.yaml").string();
    const std::string pidFile = (folder_ / "ser2net.pid").string();
    std::ofstream(config) << Configuration(device, accepter, tuning, port);
    pid_ = fork();
    if (pid_ == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), "-n", "-c", config.c_str(), "-P", pidFile.c_str(), nullptr);
        _exit(127);
    }
    for (int tries = 0; tries < 200 && pid_ > 0; ++tries) {
        if (ListeningOnLoopback(port)) {
            std::this_thread::sleep_for(300ms);  // it closes the line behind the probe's connection
            entry_ =
                std::string(accepter == Accepter::Rfc2217 ? "rfc2217" : "tcp") + ":127.0.0.1:" + std::to_string(port);
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    error = "ser2net did not listen on 127.0.0.1:" + std::to_string(port);
    Stop();
    return false;
}

void Ser2netServer::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    if (!folder_.empty()) fs::remove_all(folder_);
    folder_.clear();
}

}  // namespace kelvane::bench
