#include "tests/cam/FakeCiModule.h"

#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualLine.h"

namespace kelvane::test {
namespace {

constexpr std::uint8_t kAccepted = 0xF0;
constexpr std::uint8_t kRefused = 0xE0;
constexpr std::size_t kRawHeader = 3;  // start byte, destination, source: never doubled

struct Request {
    std::uint8_t destination = 0;
    std::uint8_t command = 0;
    Bytes payload;
};

// The request in a frame as the PC wrote it: doubled 0x02 bytes after the raw header are taken once.
Request Decode(const Bytes& frame) {
    Request r;
    if (frame.size() < kRawHeader + 2) return r;
    r.destination = frame[1];
    Bytes u;
    for (std::size_t i = kRawHeader; i < frame.size(); ++i) {
        u.push_back(frame[i]);
        if (frame[i] == 0x02 && i + 1 < frame.size() && frame[i + 1] == 0x02) ++i;
    }
    r.command = u[0] & 0xF0;
    const std::uint8_t form = u[0] & 0x0F;
    std::size_t at = 1;
    std::size_t n = form;
    if (form == 0x04) n = u[at++];
    if (form == 0x08) {
        n = static_cast<std::size_t>(u[1]) << 8 | u[2];
        at = 3;
    }
    if (at + n <= u.size())
        r.payload.assign(u.begin() + static_cast<std::ptrdiff_t>(at), u.begin() + static_cast<std::ptrdiff_t>(at + n));
    return r;
}

// The line to the module: every write comes back as an echo, then the module's reply two milliseconds later.
class FakeCiPort final : public LinePort {
public:
    FakeCiPort(FakeCiModule& module, VirtualClock& clock) : LinePort(clock), module_(module) {}

    bool Write(std::span<const std::uint8_t> bytes) override {
        const Bytes frame(bytes.begin(), bytes.end());
        line.Arrive(frame, 0);
        line.Arrive(module_.Answer(frame), 2);
        return true;
    }

private:
    FakeCiModule& module_;
};

}  // namespace

std::unique_ptr<SerialPort> FakeCiModule::Open(std::uint8_t) { return std::make_unique<FakeCiPort>(*this, clock_); }

Bytes FakeCiModule::Answer(const Bytes& frame) {
    const Request r = Decode(frame);
    switch (r.command) {
    case 0x10: return ReplyFrame(kAccepted, {0x77, 0x00, 10}, r.destination);
    case 0x40: ++statusPolls; return answerStatus ? ReplyFrame(kAccepted, {status}, r.destination) : Bytes{};
    case 0x50:
        if (refuseSends) return ReplyFrame(kRefused, {}, r.destination);
        sent.push_back({clock_.SystemSeconds(), r.payload});
        if (onSent) onSent(r.payload);
        return ReplyFrame(kAccepted, {}, r.destination);
    case 0x60: {
        if (r.destination == 0) return ReplyFrame(kAccepted, moduleList, 0);
        ++reads;
        Bytes data;
        if (!mmiData.empty()) {
            data = std::move(mmiData.front());
            mmiData.pop_front();
        }
        return ReplyFrame(kAccepted, data, r.destination);
    }
    default: return {};
    }
}

}  // namespace kelvane::test
