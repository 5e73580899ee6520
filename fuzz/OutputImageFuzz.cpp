// The output image decoder, followed by encode and decode again: what the second decode reads must be what the
// first one read (a round trip is a fixed point), and encoding that again must give the same bytes. Then an edit
// of the pair as the panel applies it, which also reads the image's own section before replacing it.

#include "fuzz/ImageRoundTrip.h"
#include "panel/EditSequence.h"
#include "panel/NetworkSection.h"
#include "panel/OutputConfigCodec.h"
#include "panel/PairModel.h"

#include <array>

namespace kelvane::fuzz {
namespace {

constexpr std::array<std::uint8_t, 4> kOutputTypes{2, 5, 6, 8};
// Parameters are read only from an image longer than this; a shorter one leaves the model's own.
constexpr std::size_t kParameterBytes = 7;

bool SameParameters(const PanelModel& a, const PanelModel& b, bool frequencyRead) {
    return (!frequencyRead || a.OutputFreqKHz == b.OutputFreqKHz) && a.Bandwidth == b.Bandwidth &&
           a.CodeRate == b.CodeRate && a.Constellation == b.Constellation && a.TransmissionMode == b.TransmissionMode &&
           a.GuardInterval == b.GuardInterval && a.LevelStep == b.LevelStep;
}

bool SameNetwork(const PanelModel& a, const PanelModel& b) {
    return a.NetworkId == b.NetworkId && a.TransportStreamId == b.TransportStreamId && a.NitVersion == b.NitVersion &&
           a.NetworkName == b.NetworkName && a.RemoveCatEmm == b.RemoveCatEmm;
}

bool SameServices(const PanelModel& a, const PanelModel& b) {
    if (a.OutputServiceCount != b.OutputServiceCount) return false;
    for (int k = 0; k < a.OutputServiceCount; ++k) {
        const OutputService& x = a.OutputServices[k];
        const OutputService& y = b.OutputServices[k];
        if (x.ServiceId != y.ServiceId || x.Lcn != y.Lcn || x.HdLcn != y.HdLcn || x.OutputChannel != y.OutputChannel ||
            x.Activated != y.Activated) {
            return false;
        }
    }
    return true;
}

void Check(const PanelModel& m) {
    Require(m.OutputServiceCount >= 0 && m.OutputServiceCount <= kMaxOutputServices, "at most 64 output services");
    Require(IsUtf8(m.NetworkName), "the network name is UTF-8");
}

// The network section built from whatever an image held is still one a receiver takes: it fits the module's
// buffer, its length field counts what follows it, and its CRC checks (the CRC over a whole section is zero).
void CheckSection(const PanelModel& m) {
    const std::vector<std::uint8_t> section = BuildNetworkSection(m);
    Require(section.size() >= 3 && section.size() <= kNitBufferSize, "the network section fits its buffer");
    const std::size_t length = (std::size_t{section[1]} & 0x0F) << 8 | section[2];
    Require(length + 3 == section.size(), "the section length counts the section");
    Require(MpegCrc32(section) == 0, "the section's CRC checks");
}

// A tuner with one row and no services: an image the edit may rebuild.
const std::vector<std::uint8_t> kTunerImage{0x06, 0xA4, 0x6B, 0x6C, 16, 0};

// The output image as the rack gave it, next to a tuner, edited by the panel: a new frequency (from the
// fuzzer's first byte) and a new name. Written or refused, the table holds whole images, and a written output
// carries a section a receiver takes.
void CheckEdit(const SlotRecord& read, std::uint8_t pick) {
    SlotTable slots;
    slots.ModuleCount = 3;
    slots[1] = RecordOf(1, kTunerImage);
    slots[1].Address = 1;
    slots[2] = read;
    slots[2].Address = 2;
    const SlotTable before = slots;
    PanelModel m = ModelOfPair(0, slots[1], &slots[2]);
    m.OutputFreqKHz = kOutFreqMinKHz + 8000 * (pick % 32);
    m.NetworkName = "Edited";
    if (!EncodePair(m, slots, slots[1], &slots[2]).Written()) {
        Require(SameImage(slots[1], before[1]) && SameImage(slots[2], before[2]), "a refused edit changes nothing");
        return;
    }
    const auto section = NetworkSectionOf(slots[2]);
    Require(section.size() > 3 && MpegCrc32(section) == 0, "an edited output carries a whole section");
}

void CheckImage(Bytes input) {
    if (input.empty()) return;
    const SlotRecord tuner = RecordOf(1, {});
    const SlotRecord read = PickedRecord(kOutputTypes, input);
    const PanelModel first = ModelOfPair(0, tuner, &read);
    Check(first);
    CheckSection(first);
    CheckEdit(read, input[0]);

    const bool frequencyRead = input.size() - 1 > kParameterBytes;
    RoundTrip(
        read, first, EncodeOutputConfig, [&](const SlotRecord& written) { return ModelOfPair(0, tuner, &written); },
        [&](const PanelModel& a, const PanelModel& b) {
            Require(SameParameters(a, b, frequencyRead), "the parameters survive a round trip");
            Require(SameNetwork(a, b), "the network fields survive a round trip");
            Require(SameServices(a, b), "the output services survive a round trip");
        });
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return kelvane::fuzz::CheckAll(data, size, {kelvane::fuzz::CheckImage});
}
