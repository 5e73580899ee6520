#pragma once

#include <cstdint>

namespace kelvane {

// The commands the rack understands, the high nibble of a request's code byte. What a command asks depends on
// the module it goes to.
enum RequestCommand : std::uint8_t {
    kIdentityCommand = 0x10,  // the controller's identity: who is on the line
    kStatusCommand = 0x40,  // an input's lock; whether a common-interface slot holds a CAM
    kWriteCommand = 0x50,  // a configuration image; an MMI packet for a common-interface module
    kListCommand = 0x60,  // the module list, an input's service names, an output's rates, a CAM's MMI packets
    kReadConfigCommand = 0x70,  // a module's configuration image
    kRestartOutputCommand = 0x80,  // restarts the outputs of an input, or every output of the rack
    kFileListCommand = 0x90,  // the player's files
    kFirmwareCommand = 0xC0,  // one step of a firmware upgrade
};

// How long the answer to each command may take, in 10 ms units.
constexpr int kIdentityTimeout = 10;
constexpr int kStatusTimeout = 10;
constexpr int kWriteTimeout = 100;
constexpr int kListTimeout = 100;
constexpr int kReadConfigTimeout = 10;
constexpr int kRestartOutputTimeout = 100;
constexpr int kFileListTimeout = 100;

// The steps of a firmware upgrade, named by the payload's first byte: start (the module erases its flash), one
// block of the image, write, and the rack's restart, which nobody answers.
enum FirmwareStep : std::uint8_t {
    kFirmwareStartStep = 0x00,
    kFirmwareBlockStep = 0x01,
    kFirmwareWriteStep = 0x02,
    kFirmwareRestartStep = 0x03,
};
constexpr int kFirmwareStartTimeout = 200;
constexpr int kFirmwareBlockTimeout = 300;
constexpr int kFirmwareWriteTimeout = 10000;
constexpr int kFirmwareRestartTimeout = 1;

}  // namespace kelvane
