#include "platform/TelnetComPort.h"

#include <utility>

namespace kelvane {
namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kNul = 0x00;
constexpr unsigned kAllSettings = (1u << TelnetComPort::kSetBaudRate) | (1u << TelnetComPort::kSetDataSize) |
                                  (1u << TelnetComPort::kSetParity) | (1u << TelnetComPort::kSetStopSize) |
                                  (1u << TelnetComPort::kSetControl);

const char* SettingName(std::uint8_t setting) {
    switch (setting) {
    case TelnetComPort::kSetBaudRate: return "baud rate";
    case TelnetComPort::kSetDataSize: return "data size";
    case TelnetComPort::kSetParity: return "parity";
    case TelnetComPort::kSetStopSize: return "stop bits";
    default: return "flow control";
    }
}

}  // namespace

bool TelnetComPort::WeAccept(std::uint8_t option) {
    return option == kBinaryOption || option == kSuppressGoAheadOption || option == kComPortOption;
}

bool TelnetComPort::HeMayUse(std::uint8_t option) {
    return option == kBinaryOption || option == kSuppressGoAheadOption;
}

std::vector<std::uint8_t> TelnetComPort::Greeting() {
    // Binary both ways, so that no byte of a frame is taken for a line end; then the COM port option, whose
    // settings follow once the server agreed to it.
    Send(kWill, kBinaryOption);
    us_[kBinaryOption].asked = true;
    Send(kDo, kBinaryOption);
    him_[kBinaryOption].asked = true;
    Send(kWill, kComPortOption);
    us_[kComPortOption].asked = true;
    return TakeReplies();
}

std::vector<std::uint8_t> TelnetComPort::TakeReplies() { return std::exchange(replies_, {}); }

void TelnetComPort::Send(std::uint8_t verb, std::uint8_t option) {
    replies_.insert(replies_.end(), {kIac, verb, option});
}

void TelnetComPort::Escape(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) const {
    const bool binary = us_[kBinaryOption].enabled;
    for (const std::uint8_t b : data) {
        out.push_back(b);
        if (b == kIac) out.push_back(kIac);
        // Outside binary transmission a bare CR is CR NUL on the wire.
        if (b == kCr && !binary) out.push_back(kNul);
    }
}

std::size_t TelnetComPort::Receive(std::span<const std::uint8_t> from, std::span<std::uint8_t> data) {
    std::size_t count = 0;
    const auto emit = [&](std::uint8_t b) {
        if (count < data.size()) data[count++] = b;
    };
    const auto storeSub = [&](std::uint8_t b) {
        if (subLength_ < sub_.size()) {
            sub_[subLength_++] = b;
        } else {
            subOverflow_ = true;
        }
    };
    for (std::size_t i = 0; i < from.size(); ++i) {
        const std::uint8_t b = from[i];
        switch (input_) {
        case Input::DataCr:
            input_ = Input::Data;
            if (b == kNul) break;  // the NUL of CR NUL
            [[fallthrough]];
        case Input::Data:
            if (b == kIac) {
                input_ = Input::Iac;
            } else {
                emit(b);
                if (b == kCr && !him_[kBinaryOption].enabled) input_ = Input::DataCr;
            }
            break;
        case Input::Iac:
            if (b == kIac) {
                emit(kIac);
                input_ = Input::Data;
            } else if (b >= kWill) {  // WILL, WONT, DO, DONT
                verb_ = b;
                input_ = Input::Command;
            } else if (b == kSb) {
                subLength_ = 0;
                subOverflow_ = false;
                input_ = Input::Sub;
            } else {
                input_ = Input::Data;  // NOP, GA, AYT and the like carry nothing for the rack
            }
            break;
        case Input::Command:
            Command(verb_, b);
            input_ = Input::Data;
            break;
        case Input::Sub:
            if (b == kIac) {
                input_ = Input::SubIac;
            } else {
                storeSub(b);
            }
            break;
        case Input::SubIac:
            if (b == kSe) {
                Subnegotiation();
                input_ = Input::Data;
            } else if (b == kIac) {
                storeSub(kIac);
                input_ = Input::Sub;
            } else {
                // A command inside a subnegotiation ends it unread; the command itself counts.
                input_ = Input::Iac;
                --i;
            }
            break;
        }
    }
    return count;
}

void TelnetComPort::Command(std::uint8_t verb, std::uint8_t option) {
    switch (verb) {
    case kWill: OnWill(option); break;
    case kWont: OnWont(option); break;
    case kDo: OnDo(option); break;
    default: OnDont(option); break;
    }
}

// The far side asks to turn an option on: its WILL for its own side, its DO for ours. One we do not take is
// refused once and never again; one we asked for is not acknowledged twice. True when it has just come into force.
bool TelnetComPort::Agree(OptionState& o, bool acceptable, std::uint8_t option, std::uint8_t no, std::uint8_t yes) {
    if (!acceptable) {
        if (!o.refused) Send(no, option);
        o.refused = true;
        return false;
    }
    if (o.enabled) return false;  // a mode already in force is not acknowledged again
    o.enabled = true;
    if (!o.asked) Send(yes, option);
    o.asked = false;
    return true;
}

// The far side turns an option off: only a mode that was in force is acknowledged, so that no loop of answers
// begins.
void TelnetComPort::Withdraw(OptionState& o, std::uint8_t option, std::uint8_t acknowledgement) {
    const bool wasEnabled = o.enabled;
    o.asked = false;
    o.enabled = false;
    if (wasEnabled) Send(acknowledgement, option);
}

void TelnetComPort::OnWill(std::uint8_t option) { Agree(him_[option], HeMayUse(option), option, kDont, kDo); }

void TelnetComPort::OnWont(std::uint8_t option) { Withdraw(him_[option], option, kDont); }

void TelnetComPort::OnDo(std::uint8_t option) {
    if (Agree(us_[option], WeAccept(option), option, kWont, kWill) && option == kComPortOption) SendLineSettings();
}

void TelnetComPort::SendLineSettings() {
    const std::uint8_t baud[] = {static_cast<std::uint8_t>(kBaudRate >> 24), static_cast<std::uint8_t>(kBaudRate >> 16),
                                 static_cast<std::uint8_t>(kBaudRate >> 8), static_cast<std::uint8_t>(kBaudRate)};
    const std::pair<std::uint8_t, std::span<const std::uint8_t>> settings[] = {
        {kSetBaudRate, baud},
        {kSetDataSize, {&kDataBits, 1}},
        {kSetParity, {&kNoParity, 1}},
        {kSetStopSize, {&kOneStopBit, 1}},
        {kSetControl, {&kNoFlowControl, 1}},
    };
    for (const auto& [command, value] : settings) {
        replies_.insert(replies_.end(), {kIac, kSb, kComPortOption, command});
        for (const std::uint8_t b : value) {
            replies_.push_back(b);
            if (b == kIac) replies_.push_back(kIac);
        }
        replies_.insert(replies_.end(), {kIac, kSe});
    }
}

void TelnetComPort::OnDont(std::uint8_t option) {
    Withdraw(us_[option], option, kWont);
    if (option == kComPortOption) Refuse("the server does not offer the COM port option (RFC 2217)");
}

void TelnetComPort::Subnegotiation() {
    if (subOverflow_ || subLength_ < 2 || sub_[0] != kComPortOption) return;
    const std::uint8_t code = sub_[1];
    if (code <= kServerOffset || code > kServerOffset + kSetControl) return;  // signature, line states, purges
    CheckAnswer(static_cast<std::uint8_t>(code - kServerOffset),
                std::span<const std::uint8_t>(sub_).subspan(2, subLength_ - 2));
}

void TelnetComPort::CheckAnswer(std::uint8_t setting, std::span<const std::uint8_t> value) {
    std::uint32_t got = 0;
    for (const std::uint8_t b : value) got = (got << 8) | b;
    const bool isBaud = setting == kSetBaudRate;
    const std::uint32_t wanted = isBaud                    ? kBaudRate
                                 : setting == kSetDataSize ? kDataBits
                                 : setting == kSetParity   ? kNoParity
                                 : setting == kSetStopSize ? kOneStopBit
                                                           : kNoFlowControl;
    if (value.size() != (isBaud ? 4u : 1u) || got != wanted) {
        Refuse(std::string("the server set the ") + SettingName(setting) + " to " +
               (value.size() <= 4 ? std::to_string(got) : std::string("an unreadable value")) + " instead of " +
               std::to_string(wanted));
        return;
    }
    confirmed_ |= 1u << setting;
    if (state_ == State::Negotiating && confirmed_ == kAllSettings) state_ = State::Ready;
}

void TelnetComPort::Refuse(std::string reason) {
    if (state_ == State::Refused) return;
    state_ = State::Refused;
    reason_ = std::move(reason);
}

}  // namespace kelvane
