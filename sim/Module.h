#pragma once

#include "sim/FirmwareStore.h"
#include "sim/Frame.h"
#include "sim/RackDescription.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelvane::sim {

// What every unit of the rack answers: the identity probe, configuration read and write, and restart.
// Model families add their own commands (HandleOwn) and what they do once a common command is accepted
// (AfterAccepted); anything nobody handles is refused.
class Module {
public:
    explicit Module(ModuleDescription description) : description_(std::move(description)) {}
    virtual ~Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // The answer to a request for this module (addressed to it or broadcast); the rack drops it for a
    // broadcast, but the module acts all the same.
    Reply Handle(const Request& request);

    const ModuleDescription& Description() const { return description_; }
    std::uint8_t Address() const { return description_.address; }
    const std::vector<std::uint8_t>& Config() const { return description_.config; }
    std::size_t RestartCount() const { return restarts_; }
    std::size_t ConfigWrites() const { return configWrites_; }
    const FirmwareStore& Firmware() const { return firmware_; }
    // Whether this request restarts the whole rack (the firmware restart, sent to everyone).
    static bool IsRackRestart(const Request& request);

protected:
    // A model family's own commands, asked only of an active unit addressed by name: a poll sent to everyone
    // is never answered, so it does not count as one. No answer leaves the request to the common commands.
    virtual std::optional<Reply> HandleOwn(const Request& request);
    // What a model family does once the common commands have accepted `request`.
    virtual void AfterAccepted(const Request& request);

    Reply Accept(std::vector<std::uint8_t> payload = {}) const;
    Reply Refuse() const;

private:
    Reply HandleCommon(const Request& request);
    Reply Identity() const;
    Reply WriteConfig(const Request& request);
    Reply HandleFirmware(const Request& request);

    FirmwareStore firmware_;
    ModuleDescription description_;
    std::size_t restarts_ = 0;
    std::size_t configWrites_ = 0;
};

}  // namespace kelvane::sim
