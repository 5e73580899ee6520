#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace kelvane {

// A record of the line's frames in a pcapng file that Wireshark reads (link type USER0, one interface): every
// request frame written and every reply frame received, each with its time and its direction. Tracing serves
// the operator's support engineer; it never fails the program. A trace that cannot be written is reported once
// through `report` and stops.
class LineTrace {
public:
    enum class Direction { Outbound, Inbound };
    using Reporter = std::function<void(const std::string&)>;
    // Microseconds since 1970, the trace's time stamps; the system's clock unless a test gives another.
    using WallClock = std::function<std::uint64_t()>;

    // Null (after reporting why) when the file cannot be created.
    static std::unique_ptr<LineTrace> Create(const std::string& path, std::string_view application, Reporter report,
                                             WallClock clock = {});
    // The same on a stream that `name` stands for in reports.
    static std::unique_ptr<LineTrace> Create(std::unique_ptr<std::ostream> out, const std::string& name,
                                             std::string_view application, Reporter report, WallClock clock = {});

    void Record(Direction direction, std::span<const std::uint8_t> frame);
    bool Stopped() const { return stopped_; }

private:
    LineTrace(std::unique_ptr<std::ostream> out, std::string name, Reporter report, WallClock clock);
    bool Write(const std::vector<std::uint8_t>& block);

    std::unique_ptr<std::ostream> out_;
    std::string name_;
    Reporter report_;
    WallClock clock_;
    bool stopped_ = false;
};

}  // namespace kelvane
