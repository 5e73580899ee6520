#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>

namespace kelvane::bench {

// ser2net serving one serial device on 127.0.0.1, as the benchmark's far end of a rack at another site. The
// configuration is the one the README gives operators, so that its figures stay the README's.
class Ser2netServer {
public:
    enum class Accepter { Raw, Rfc2217 };
    enum class Tuning { Fast, Defaults };  // tcp(nodelay) and chardelay off, or ser2net's own defaults

    Ser2netServer() = default;
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;
    ~Ser2netServer() { Stop(); }

    // Where ser2net is, or empty when it is not installed.
    static std::string Program();

    // Starts ser2net on a free port of 127.0.0.1 for `device`; false, with `error` filled, when it does not listen
    // within 10 s.
    bool Start(const std::string& device, Accepter accepter, Tuning tuning, std::string& error);
    void Stop();
    // The port-table entry that reaches the device through the server.
    std::string Entry() const { return entry_; }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    std::string entry_;
};

}  // namespace kelvane::bench
