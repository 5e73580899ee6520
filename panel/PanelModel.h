#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kelvane {

constexpr int kMaxInputRows = 3;
constexpr int kMaxServicesPerRow = 64;
constexpr int kMaxOutputServices = 64;
constexpr int kMaxServiceRows = 192;
constexpr int kMaxScheduleEntries = 10;
constexpr int kMaxOutputChannels = 4;
constexpr std::size_t kMaxNetworkNameLength = 30;

constexpr int kOutFreqMinKHz = 174000;
constexpr int kOutFreqMaxKHz = 862999;
constexpr int kSatFreqMinMHz = 10700;
constexpr int kSatFreqMaxMHz = 12750;

// A service an input passes on, with the CI module (1-4) that descrambles it, 0 for none.
struct InputService {
    int ServiceId = 0;
    std::uint8_t Cam = 0;
};

struct InputServiceTable {
    int count = 0;
    std::array<InputService, kMaxServicesPerRow> entries{};
};

// A service placed on the output, on channel 1-4 (0 none), with its logical channel numbers.
struct OutputService {
    int ServiceId = 0;
    std::uint16_t Lcn = 0;
    std::uint16_t HdLcn = 0;
    std::uint8_t OutputChannel = 0;
    std::uint8_t Activated = 0;
};

// Service kinds as the inputs report them.
constexpr std::uint8_t kTelevision = 1;
constexpr std::uint8_t kRadio = 2;

// A service an input announces (from its service-names reply). Names are UTF-8.
struct SiService {
    int ServiceId = 0;
    std::string Name;
    std::uint8_t ServiceKind = 0;  // kTelevision or kRadio
    std::uint8_t Scrambled = 0;
};

struct SiServiceTable {
    int count = 0;
    std::array<SiService, kMaxServicesPerRow> entries{};
};

// Where a row of the service list comes from: inputs A-C are 0-2, the player's own files 3, or no input at all.
constexpr std::uint8_t kPlayerSource = 3;
constexpr std::uint8_t kUnannouncedSource = 255;

// One row of the service list.
struct ServiceRow {
    std::uint8_t Source = kUnannouncedSource;
    std::uint16_t ServiceId = 0;
    std::string Name;
    std::uint8_t ServiceKind = 0;
    std::uint8_t Scrambled = 0;
    std::uint8_t Cam = 0;
    std::uint8_t OutputChannel = 0;
    std::uint16_t Lcn = 0;
    std::uint16_t HdLcn = 0;
    std::uint16_t Rate = 0;
};

struct ScheduleEntry {
    std::uint32_t start = 0;  // minutes of the day
    std::uint32_t end = 0;
    std::string file;  // UTF-8
};

// What the module panel knows of its pair: the fields its controls show, the service tables and the schedule.
// The configuration images are decoded into it and encoded from it.
struct PanelModel {
    // The pair.
    std::uint8_t InputType = 0;
    std::uint8_t OutputType = 0;  // meaningful only when OutputChannelCount >= 1
    int CamCount = 0;
    int OutputChannelCount = 0;
    int InputCount = 1;

    // Services.
    std::array<InputServiceTable, kMaxInputRows> InputServices{};
    int OutputServiceCount = 0;
    std::array<OutputService, kMaxOutputServices> OutputServices{};
    std::array<SiServiceTable, kMaxInputRows> InputSiServices{};
    int ServiceRowCount = 0;
    std::array<ServiceRow, kMaxServiceRows> ServiceRows{};

    // Input parameters, per input row.
    std::array<int, kMaxInputRows> InputFreqMHz{};
    std::array<int, kMaxInputRows> InputSymbolRate{};
    std::array<int, kMaxInputRows> InputFecOrPolarity{};

    // Output parameters.
    int OutputFreqKHz = 0;
    int Constellation = 0;
    int TransmissionMode = 0;
    int GuardInterval = 0;
    int CodeRate = 0;
    int Bandwidth = 0;
    int LevelStep = 1;
    int NetworkId = 0;
    std::array<int, kMaxOutputChannels> TransportStreamId{};
    std::uint8_t NitVersion = 0;
    std::string NetworkName;  // UTF-8, at most 30 characters
    bool RemoveCatEmm = false;
    // Service id and service type as the output's own section lists them, for the services whose kind no
    // input has told.
    std::vector<std::pair<std::uint16_t, std::uint8_t>> SectionServiceTypes;

    // The player (KXC300).
    int PlayerRateIndex = 0;
    unsigned PlayerServiceId = 0;
    int PlayerServiceSource = 3;
    std::string PlayerServiceName;
    int ScheduleCount = 0;
    std::array<ScheduleEntry, kMaxScheduleEntries> Schedule{};

    // Whether InputSiServices holds a names reply read whole since the pair was loaded: the service tables are
    // reconciled only with names actually read.
    bool NamesRead = false;
    // A channel or CAM was chosen since the last apply: such a change needs the names.
    bool ServicesEdited = false;

    // What must be rebuilt and sent.
    bool InputDirty = false;
    bool OutputDirty = false;
    bool RestartOutputs = false;
};

}  // namespace kelvane
