#pragma once

#include "panel/PanelModel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kelvane {

// What an input's lock byte says. Modules define three states, the lamp's red, amber and green; any other byte
// is no lock either, though those who show the byte keep it as it came.
enum class LockState { NoLock, Carrier, Locked, Undefined };
LockState ReadLockState(std::uint8_t lock);

// The input module's status reply: per input row its lock byte (see LockState), S.N.R. and level, and the player's
// state byte after the rows. `rows` counts the rows the reply holds whole; the player byte is there only when the
// reply reaches it.
struct InputStatus {
    int rows = 0;
    std::array<std::uint8_t, 3> lock{};
    std::array<std::uint8_t, 3> snr{};
    std::array<std::uint8_t, 3> level{};
    std::optional<std::uint8_t> player;
};

InputStatus ParseInputStatus(std::span<const std::uint8_t> reply, int inputCount);

// Bits per second in use on an output channel and its capacity.
struct ChannelRate {
    std::uint32_t inUse = 0;
    std::uint32_t capacity = 0;
    bool operator==(const ChannelRate&) const = default;
};

// The output module's rate reply: the channels it holds whole, and (service id, rate) pairs.
struct OutputRates {
    std::vector<ChannelRate> channels;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> services;
};

OutputRates ParseOutputRates(std::span<const std::uint8_t> reply, int outputChannelCount, std::uint8_t outputType);

// "%d/%d Kbit/s" of both rates in thousands, truncated.
std::string ChannelRateLabel(const ChannelRate& rate);

// Every row's Rate from the reply's pairs: 0 for a row the reply does not name. Pass no pairs to clear them all.
void ApplyServiceRates(PanelModel& m, const std::vector<std::pair<std::uint16_t, std::uint16_t>>& services);

}  // namespace kelvane
