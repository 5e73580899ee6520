#include "panel/NetworkSection.h"

#include "panel/EditSequence.h"
#include "panel/OutputConfigCodec.h"
#include "panel/PairModel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// libdvbpsi, written independently of us, reads the sections back.
extern "C" {
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/nit.h>
#include <dvbpsi/dr_40.h>
#include <dvbpsi/dr_41.h>
#include <dvbpsi/dr_5a.h>
#include <dvbpsi/dr_83.h>
}

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Pairs = std::vector<std::pair<unsigned, unsigned>>;

struct DecodedStream {
    unsigned streamId = 0;
    unsigned originalNetworkId = 0;
    std::vector<std::pair<int, Bytes>> descriptors;  // tag, body
    Pairs lcns;  // service id, number, as libdvbpsi reads 0x83
    Pairs services;  // service id, type
    std::uint32_t centre = 0;  // 10 Hz units
    std::vector<int> delivery;  // bandwidth, constellation, hierarchy, HP and LP code rates, guard, mode, other

    std::vector<int> Tags() const {
        std::vector<int> tags;
        for (const auto& d : descriptors) tags.push_back(d.first);
        return tags;
    }
    Bytes Body(int tag) const {
        for (const auto& d : descriptors) {
            if (d.first == tag) return d.second;
        }
        return {};
    }
};

struct DecodedNit {
    int tables = 0;
    unsigned networkId = 0;
    int version = -1;
    std::string name;
    std::vector<DecodedStream> streams;
};

void ReadDescriptor(dvbpsi_descriptor_t* d, DecodedStream& stream) {
    stream.descriptors.emplace_back(d->i_tag, Bytes(d->p_data, d->p_data + d->i_length));
    if (d->i_tag == 0x83) {
        if (const dvbpsi_lcn_dr_t* lcn = dvbpsi_DecodeLCNDr(d)) {
            for (int i = 0; i < lcn->i_number_of_entries; ++i) {
                stream.lcns.emplace_back(lcn->p_entries[i].i_service_id, lcn->p_entries[i].i_logical_channel_number);
            }
        }
    } else if (d->i_tag == 0x41) {
        if (const dvbpsi_service_list_dr_t* list = dvbpsi_DecodeServiceListDr(d)) {
            for (int i = 0; i < list->i_service_count; ++i) {
                stream.services.emplace_back(list->i_service[i].i_service_id, list->i_service[i].i_service_type);
            }
        }
    } else if (d->i_tag == 0x5A) {
        if (const dvbpsi_terr_deliv_sys_dr_t* t = dvbpsi_DecodeTerrDelivSysDr(d)) {
            stream.centre = t->i_centre_frequency;
            stream.delivery = {t->i_bandwidth,           t->i_constellation,       t->i_hierarchy_information,
                               t->i_code_rate_hp_stream, t->i_code_rate_lp_stream, t->i_guard_interval,
                               t->i_transmission_mode,   t->i_other_frequency_flag};
        }
    }
}

void OnNit(void* data, dvbpsi_nit_t* nit) {
    auto& decoded = *static_cast<DecodedNit*>(data);
    ++decoded.tables;
    decoded.networkId = nit->i_network_id;
    decoded.version = nit->i_version;
    for (dvbpsi_descriptor_t* d = nit->p_first_descriptor; d != nullptr; d = d->p_next) {
        const dvbpsi_network_name_dr_t* name = d->i_tag == 0x40 ? dvbpsi_DecodeNetworkNameDr(d) : nullptr;
        if (name != nullptr) decoded.name.assign(name->i_name_byte, name->i_name_byte + name->i_name_length);
    }
    for (dvbpsi_nit_ts_t* ts = nit->p_first_ts; ts != nullptr; ts = ts->p_next) {
        DecodedStream stream{ts->i_ts_id, ts->i_orig_network_id, {}, {}, {}, 0, {}};
        for (dvbpsi_descriptor_t* d = ts->p_first_descriptor; d != nullptr; d = d->p_next) ReadDescriptor(d, stream);
        decoded.streams.push_back(stream);
    }
    dvbpsi_nit_delete(nit);
}

void OnNewSubtable(dvbpsi_t* handle, std::uint8_t tableId, std::uint16_t extension, void* data) {
    if (tableId == 0x40) dvbpsi_nit_attach(handle, tableId, extension, OnNit, data);
}

// Carries the section in 188-byte transport packets on the NIT's PID 0x0010, as a multiplexer would.
DecodedNit Decode(const Bytes& section) {
    DecodedNit decoded;
    dvbpsi_t* handle = dvbpsi_new(nullptr, DVBPSI_MSG_NONE);
    if (handle == nullptr || !dvbpsi_AttachDemux(handle, OnNewSubtable, &decoded)) {
        ADD_FAILURE() << "libdvbpsi did not start";
        return decoded;
    }
    std::size_t sent = 0;
    for (unsigned counter = 0; sent < section.size(); ++counter) {
        Bytes packet(188, 0xFF);
        packet[0] = 0x47;
        packet[1] = sent == 0 ? 0x40 : 0x00;
        packet[2] = 0x10;
        packet[3] = static_cast<std::uint8_t>(0x10 | (counter & 0x0F));
        std::size_t at = 4;
        if (sent == 0) packet[at++] = 0x00;  // pointer field
        while (at < packet.size() && sent < section.size()) packet[at++] = section[sent++];
        dvbpsi_packet_push(handle, packet.data());
    }
    dvbpsi_DetachDemux(handle);  // also detaches the table decoders it attached
    dvbpsi_delete(handle);
    return decoded;
}

PanelModel Network() {
    PanelModel m;
    m.OutputChannelCount = 4;
    m.NetworkId = 0x20FA;
    m.NitVersion = 17;
    m.NetworkName = "Kelvane";
    m.TransportStreamId = {401, 402, 403, 404};
    m.Bandwidth = 1;  // 7 MHz
    m.Constellation = 1;  // 16-QAM
    m.CodeRate = 2;  // 3/4
    m.GuardInterval = 2;  // 1/8
    m.TransmissionMode = 0;  // 2K
    return m;
}

void AddService(PanelModel& m, int id, int channel, int lcn = 0, int hdLcn = 0) {
    m.OutputServices[m.OutputServiceCount++] = {id, static_cast<std::uint16_t>(lcn), static_cast<std::uint16_t>(hdLcn),
                                                static_cast<std::uint8_t>(channel), 0};
}

TEST(NetworkSection, WithoutServicesOnlyTheHeaderNameAndCrcRemain) {
    PanelModel m = Network();
    m.NetworkName.clear();
    const Bytes section = BuildNetworkSection(m);
    ASSERT_EQ(section.size(), 18u);
    EXPECT_EQ(Bytes(section.begin(), section.end() - 4),
              (Bytes{0x40, 0xF0, 0x0F, 0x20, 0xFA, 0xC1 + 2 * 17, 0, 0, 0xF0, 0x02, 0x40, 0x00, 0xF0, 0x00}));
    EXPECT_EQ(MpegCrc32(section), 0u);
    const DecodedNit nit = Decode(section);
    ASSERT_EQ(nit.tables, 1);
    EXPECT_EQ(nit.networkId, 0x20FAu);
    EXPECT_EQ(nit.version, 17);
    EXPECT_TRUE(nit.streams.empty());
}

TEST(NetworkSection, ChannelsComeHighestFirstWithTheirOwnDescriptors) {
    PanelModel m = Network();
    AddService(m, 0x0A01, 1, 1);
    AddService(m, 0x0B01, 2, 0x123, 0x3FF);
    AddService(m, 0x0A02, 1, 0, 5);
    AddService(m, 0x0D01, 4);
    AddService(m, 0x0E01, 0);  // on no channel
    const DecodedNit nit = Decode(BuildNetworkSection(m));
    ASSERT_EQ(nit.tables, 1);
    EXPECT_EQ(nit.name, "Kelvane");
    ASSERT_EQ(nit.streams.size(), 3u);  // channel 3 carries nothing
    EXPECT_EQ(nit.streams[0].streamId, 404u);
    EXPECT_EQ(nit.streams[1].streamId, 402u);
    EXPECT_EQ(nit.streams[2].streamId, 401u);

    const DecodedStream& first = nit.streams[2];
    EXPECT_EQ(first.originalNetworkId, 0x20FAu);
    EXPECT_EQ(first.Tags(), (std::vector<int>{0x5F, 0x83, 0x88, 0x5A, 0x41}));
    EXPECT_EQ(first.Body(0x5F), (Bytes{0x00, 0x00, 0x00, 0x28}));
    EXPECT_EQ(first.Body(0x83), (Bytes{0x0A, 0x01, 0xFC, 0x01}));
    EXPECT_EQ(first.Body(0x88), (Bytes{0x0A, 0x02, 0xFC, 0x05}));
    EXPECT_EQ(first.lcns, (Pairs{{0x0A01, 1}}));
    EXPECT_EQ(first.services, (Pairs{{0x0A01, 1}, {0x0A02, 1}}));
    EXPECT_EQ(nit.streams[1].Body(0x83), (Bytes{0x0B, 0x01, 0xFD, 0x23}));
    EXPECT_EQ(nit.streams[1].Body(0x88), (Bytes{0x0B, 0x01, 0xFF, 0xFF}));
    // Without numbers only the specifier, the delivery and the service list remain.
    EXPECT_EQ(nit.streams[0].Tags(), (std::vector<int>{0x5F, 0x5A, 0x41}));

    m.OutputChannelCount = 2;  // services on channels the output lacks are in no entry
    EXPECT_EQ(Decode(BuildNetworkSection(m)).streams.size(), 2u);
}

TEST(NetworkSection, DeliveryDescriptorCodesTheModulation) {
    PanelModel m = Network();
    AddService(m, 1, 1);
    EXPECT_EQ(Decode(BuildNetworkSection(m)).streams.at(0).delivery, (std::vector<int>{1, 1, 0, 2, 2, 2, 0, 0}));
    m.Constellation = 2;  // 64-QAM
    m.CodeRate = 4;  // 7/8
    m.GuardInterval = 3;  // 1/4
    m.TransmissionMode = 1;  // 8K
    const std::uint8_t bandwidthByte[] = {0x5F, 0x3F, 0x1F};  // 6, 7 and 8 MHz
    for (int bandwidth = 0; bandwidth < 3; ++bandwidth) {
        m.Bandwidth = bandwidth;
        EXPECT_EQ(Decode(BuildNetworkSection(m)).streams.at(0).Body(0x5A),
                  (Bytes{0xFF, 0xFF, 0xFF, 0xFF, bandwidthByte[bandwidth], 0x84, 0x9A, 0xFF, 0xFF, 0xFF, 0xFF}));
    }
    // Indexes beyond their fields do not spill into the neighbouring bits.
    m.Constellation = 7;
    m.GuardInterval = 9;
    const Bytes body = Decode(BuildNetworkSection(m)).streams.at(0).Body(0x5A);
    ASSERT_EQ(body.size(), 11u);
    EXPECT_EQ(body[5], 0xC4);
    EXPECT_EQ(body[6], 0x8A);
}

TEST(NetworkSection, LongNamesAndFullTablesStayInTheirFields) {
    PanelModel m = Network();
    m.NitVersion = 31;
    m.NetworkName = "Cha\xC3\xAEne " + std::string(40, 'x');  // î, and more than 30 characters
    for (int k = 0; k < kMaxOutputServices; ++k) AddService(m, 0x1000 + k, 1, 1 + k, 1 + k);
    const Bytes section = BuildNetworkSection(m);
    EXPECT_LE(section.size(), kNitBufferSize);
    EXPECT_EQ(MpegCrc32(section), 0u);
    const DecodedNit nit = Decode(section);  // spans several transport packets
    ASSERT_EQ(nit.tables, 1);
    EXPECT_EQ(nit.version, 31);
    EXPECT_EQ(nit.name, "Cha\xEEne " + std::string(23, 'x'));
    ASSERT_EQ(nit.streams.size(), 1u);
    EXPECT_EQ(nit.streams[0].Body(0x83).size(), 4u * kMaxLcnEntries);
    EXPECT_EQ(nit.streams[0].Body(0x88).size(), 4u * kMaxLcnEntries);
    EXPECT_EQ(nit.streams[0].services.size(), 64u);
}

TEST(NetworkSection, MpegCrcAndARefusedSection) {
    const std::string check = "123456789";
    EXPECT_EQ(MpegCrc32(Bytes(check.begin(), check.end())), 0x0376E6E7u);

    PanelModel m = Network();
    AddService(m, 7, 3, 7);
    Bytes section = BuildNetworkSection(m);
    EXPECT_EQ(MpegCrc32(section), 0u);
    section.back() ^= 0x40;
    EXPECT_NE(MpegCrc32(section), 0u);
    EXPECT_EQ(Decode(section).tables, 0);
}

TEST(NetworkSection, ReceiversLearnEachChannelsFrequencyAndWhichServicesAreRadio) {
    PanelModel m = Network();
    m.OutputFreqKHz = 474000;  // 7 MHz channels: 474, 481, 488 and 495 MHz
    AddService(m, 0x0A01, 1);
    AddService(m, 0x0A02, 1);
    AddService(m, 0x0B01, 2);
    AddService(m, 0x0D01, 4);
    AddService(m, 0x0D02, 4);
    m.InputSiServices[0].count = 2;
    m.InputSiServices[0].entries[0] = {0x0A02, "Radio", 2, 0};
    m.InputSiServices[0].entries[1] = {0x0A01, "TV", 1, 0};
    m.SectionServiceTypes = {{0x0D01, 0x02}, {0x0A01, 0x02}};  // as the module's own section had them

    const DecodedNit nit = Decode(BuildNetworkSection(m));
    ASSERT_EQ(nit.streams.size(), 3u);
    EXPECT_EQ(nit.streams[0].centre, 49500000u);
    EXPECT_EQ(nit.streams[1].centre, 48100000u);
    EXPECT_EQ(nit.streams[2].centre, 47400000u);
    // Told by the input first, then by the module's section; television when nothing tells.
    EXPECT_EQ(nit.streams[2].services, (Pairs{{0x0A01, 1}, {0x0A02, 2}}));
    EXPECT_EQ(nit.streams[1].services, (Pairs{{0x0B01, 1}}));
    EXPECT_EQ(nit.streams[0].services, (Pairs{{0x0D01, 2}, {0x0D02, 1}}));

    // The frequency the image keeps when the field is out of range is the one the section tells.
    EXPECT_EQ(Decode(BuildNetworkSection(m, 858000)).streams.at(2).centre, 85800000u);
}

TEST(NetworkSection, NumbersBeyondTenBitsNeverGoOnAirAsOthers) {
    PanelModel m = Network();
    AddService(m, 1, 1, 1500, 1023);
    AddService(m, 2, 1, 1023, 4096);
    const DecodedNit nit = Decode(BuildNetworkSection(m));
    ASSERT_EQ(nit.streams.size(), 1u);
    EXPECT_EQ(nit.streams[0].lcns, (Pairs{{2, 1023}}));
    EXPECT_EQ(nit.streams[0].Body(0x88), (Bytes{0x00, 0x01, 0xFF, 0xFF}));
}

// A tuner and a four-channel output in a table, the output's image written from `m`.
SlotTable PairTable(const PanelModel& m) {
    SlotTable slots;
    slots.ModuleCount = 3;
    slots[1].Type = 1;
    slots[1].Address = 1;
    slots[1].ConfigLength = 6;
    slots[1].Config = {0x06, 0xA4, 0x6B, 0x6C, 16, 0};
    slots[2].Type = 6;
    slots[2].Address = 3;
    slots[2].ConfigLength = 8;
    EXPECT_TRUE(EncodeOutputConfig(m, slots[2]));
    return slots;
}

int ImageVersion(const SlotRecord& output) {
    const auto section = NetworkSectionOf(output);
    return Decode(Bytes(section.begin(), section.end())).version;
}

TEST(NetworkSection, ANewContentGoesOutUnderTheNextVersion) {
    PanelModel written = Network();
    written.OutputFreqKHz = 474000;
    written.NitVersion = 31;
    AddService(written, 0x0A01, 1, 1);
    SlotTable slots = PairTable(written);
    PanelModel m = ModelOfPair(0, slots[1], &slots[2]);
    ASSERT_EQ(m.NitVersion, 31);

    // Nothing new: the version stays.
    ASSERT_TRUE(EncodePair(m, slots, slots[1], &slots[2]).Written());
    EXPECT_EQ(ImageVersion(slots[2]), 31);

    // A new name under the version the module had: the next one, modulo 32, in the image and in the model.
    m.NetworkName = "Kelvane Nord";
    ASSERT_TRUE(EncodePair(m, slots, slots[1], &slots[2]).Written());
    EXPECT_EQ(ImageVersion(slots[2]), 0);
    EXPECT_EQ(m.NitVersion, 0);

    // A frequency is content too; a version the operator chose is kept.
    m.OutputFreqKHz = 482000;
    ASSERT_TRUE(EncodePair(m, slots, slots[1], &slots[2]).Written());
    EXPECT_EQ(ImageVersion(slots[2]), 1);
    m.OutputFreqKHz = 490000;
    m.NitVersion = 12;
    ASSERT_TRUE(EncodePair(m, slots, slots[1], &slots[2]).Written());
    EXPECT_EQ(ImageVersion(slots[2]), 12);
    ASSERT_TRUE(EncodePair(m, slots, slots[1], &slots[2]).Written());
    EXPECT_EQ(ImageVersion(slots[2]), 12);
}

}  // namespace
}  // namespace kelvane
