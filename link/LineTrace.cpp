#include "link/LineTrace.h"

#include "link/PcapngBlock.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>

namespace kelvane {
namespace {

constexpr std::uint8_t kMicrosecondResolution = 6;

std::uint64_t SystemMicroseconds() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<microseconds>(system_clock::now().time_since_epoch()).count());
}

std::vector<std::uint8_t> SectionHeader(std::string_view application) {
    PcapngBlock block(pcapng::kSectionHeaderBlock);
    block.U32(pcapng::kByteOrderMagic);
    block.U16(1);  // major version
    block.U16(0);  // minor version
    block.U64(std::numeric_limits<std::uint64_t>::max());  // section length not given
    block.Option(pcapng::kShbUserAppl, application);
    return block.Finish();
}

std::vector<std::uint8_t> InterfaceDescription() {
    PcapngBlock block(pcapng::kInterfaceDescriptionBlock);
    block.U16(pcapng::kLinkTypeUser0);
    block.U16(0);  // reserved
    block.U32(0);  // no snapshot length: frames are kept whole
    block.Option(pcapng::kIfName, "kxr serial line");
    const std::uint8_t resolution = kMicrosecondResolution;
    block.Option(pcapng::kIfTsresol, std::span<const std::uint8_t>(&resolution, 1));
    return block.Finish();
}

std::vector<std::uint8_t> EnhancedPacket(std::uint64_t microseconds, LineTrace::Direction direction,
                                         std::span<const std::uint8_t> frame) {
    PcapngBlock block(pcapng::kEnhancedPacketBlock);
    block.U32(0);  // interface id
    block.U32(static_cast<std::uint32_t>(microseconds >> 32));
    block.U32(static_cast<std::uint32_t>(microseconds));
    block.U32(static_cast<std::uint32_t>(frame.size()));  // captured
    block.U32(static_cast<std::uint32_t>(frame.size()));  // original
    block.PaddedBytes(frame);
    const std::uint32_t flags = direction == LineTrace::Direction::Inbound ? pcapng::kEpbInbound : pcapng::kEpbOutbound;
    const std::uint8_t flagBytes[4] = {static_cast<std::uint8_t>(flags), 0, 0, 0};
    block.Option(pcapng::kEpbFlags, flagBytes);
    return block.Finish();
}

}  // namespace

LineTrace::LineTrace(std::unique_ptr<std::ostream> out, std::string name, Reporter report, WallClock clock)
    : out_(std::move(out)),
      name_(std::move(name)),
      report_(std::move(report)),
      clock_(clock ? std::move(clock) : SystemMicroseconds) {}

std::unique_ptr<LineTrace> LineTrace::Create(const std::string& path, std::string_view application, Reporter report,
                                             WallClock clock) {
    // The name is UTF-8; taken as a narrow path, Windows would read it in the ANSI code page. A name that is not
    // UTF-8 cannot be made into a Windows path: the file stays closed and the trace is reported as not written.
    auto file = std::make_unique<std::ofstream>();
    try {
        file->open(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary | std::ios::trunc);
    } catch (const std::exception&) {
    }
    return Create(std::move(file), path, application, std::move(report), std::move(clock));
}

std::unique_ptr<LineTrace> LineTrace::Create(std::unique_ptr<std::ostream> out, const std::string& name,
                                             std::string_view application, Reporter report, WallClock clock) {
    std::unique_ptr<LineTrace> trace(new LineTrace(std::move(out), name, std::move(report), std::move(clock)));
    if (!*trace->out_ || !trace->Write(SectionHeader(application)) || !trace->Write(InterfaceDescription())) {
        if (trace->report_) trace->report_("cannot write the trace " + name + "; the line is not traced");
        return nullptr;
    }
    return trace;
}

void LineTrace::Record(Direction direction, std::span<const std::uint8_t> frame) {
    if (stopped_) return;
    if (!Write(EnhancedPacket(clock_(), direction, frame))) {
        stopped_ = true;
        if (report_) report_("cannot write the trace " + name_ + " any more; tracing stopped");
    }
}

// Each block goes to the disk as it is made, so that a trace of a program that ends badly still holds the
// frames before the end.
bool LineTrace::Write(const std::vector<std::uint8_t>& block) {
    out_->write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    out_->flush();
    return static_cast<bool>(*out_);
}

}  // namespace kelvane
