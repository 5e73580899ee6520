#include "sim/DefaultRack.h"

#include "sim/ConfigImages.h"
#include "sim/ModuleModels.h"

namespace kelvane::sim {
namespace {

ModuleDescription Described(std::uint8_t type, std::uint8_t address, std::uint8_t version,
                            std::vector<std::uint8_t> config = {}) {
    return ModuleDescription{type, address, version, true, std::move(config)};
}

std::vector<std::uint8_t> OneRowImage(const InputRow& row) { return InputImage({&row, 1}); }

// A tuner on 11362 MHz passing four television services and a radio (numbered x50 and up); the first and
// third are scrambled and go through the CI module that follows it.
std::vector<std::uint8_t> TunerImage() {
    return OneRowImage({11362, 27500, FecByte(2), {{1101, 1}, {1102, 0}, {1103, 1}, {1104, 0}, {1150, 0}}});
}

// The KXB210 offers no FEC choice; its byte holds the first code.
std::vector<std::uint8_t> PlainTunerImage() {
    return OneRowImage({12515, 29900, FecByte(0), {{3001, 0}, {3002, 0}, {3050, 0}}});
}

OutputSettings TwoChannelOutput() {
    return {.type = kKXD410,
            .frequencyKHz = 474000,
            .levelStep = 28,
            .services = {{1101, 1, true, 1, 0},
                         {1102, 1, true, 2, 0},
                         {1150, 1, true, 30, 0},
                         {1103, 2, true, 3, 101},
                         {1104, 2, true, 4, 0}},
            .transportStreamIds = {1025, 1026, 1027, 1028},
            .nitVersion = 3,
            .networkName = "Kelvane A"};
}

// Two satellite rows feeding the player, an empty pass-through row, and a two-window schedule.
std::vector<std::uint8_t> PlayerImageOfRack() {
    const InputRow rows[] = {{10788, 22000, PolarityByte(0), {{2001, 0}, {2002, 0}}},
                             {12188, 27500, PolarityByte(1), {{2101, 0}}},
                             {9750, 0, PolarityByte(0), {}}};
    // The scheduled files are among those the player stores.
    const PlayerTail tail{2201, {{480, 600, "journal_0800.ts"}, {720, 780, "promo_hiver.ts"}}, 4, "Kelvane Play"};
    return PlayerImage(rows, tail);
}

OutputSettings FourChannelOutput() {
    return {
        .type = kKXD420,
        .frequencyKHz = 506000,
        .codeRate = 2,
        .guard = 1,
        .services = {{2001, 1, true, 10, 0}, {2002, 2, true, 11, 0}, {2101, 3, true, 12, 0}, {2201, 4, true, 13, 113}},
        .transportStreamIds = {1281, 1282, 1283, 1284},
        .nitVersion = 4,
        .networkName = "Kelvane B",
        .removeCatEmm = true};
}

OutputSettings OneChannelOutput() {
    // 16-QAM 2/3 1/8 in 7 MHz: some 12.9 Mbit/s, room for its two programmes and the radio.
    return {.type = kKXD400,
            .frequencyKHz = 522000,
            .bandwidth = 1,
            .codeRate = 1,
            .constellation = 1,
            .mode = 0,
            .guard = 2,
            .levelStep = 20,
            .services = {{3001, 1, true, 20, 0}, {3002, 1, false, 21, 0}, {3050, 1, true, 40, 0}},
            .transportStreamIds = {1537},
            .nitVersion = 2,
            .networkName = "Kelvane C"};
}

}  // namespace

RackDescription DefaultRack() {
    RackDescription rack;
    rack.controllerVersion = 14;
    rack.modules = {
        Described(kKXB200, 1, 12, TunerImage()),
        Described(kKXF600, 2, 10),
        Described(kKXD410, 3, 21, OutputImage(TwoChannelOutput())),
        Described(kKXC300, 4, 11, PlayerImageOfRack()),
        Described(kKXD420, 5, 20, OutputImage(FourChannelOutput())),
        Described(kKXB210, 6, 13, PlainTunerImage()),
        Described(kKXD400, 7, 18, OutputImage(OneChannelOutput())),
    };
    return rack;
}

}  // namespace kelvane::sim
