// How long the link's byte work and the panel's section building take: the frame encoder and receiver run for
// every request, the section for every output edit.

#include "link/FrameEncoder.h"
#include "link/ReplyReceiver.h"
#include "panel/NetworkSection.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace kelvane {
namespace {

std::vector<std::uint8_t> Payload(std::size_t size) {
    std::vector<std::uint8_t> payload(size);
    for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i * 31);  // some 0x02 among them
    return payload;
}

void EncodeConfigurationWrite(benchmark::State& state) {
    const auto payload = Payload(static_cast<std::size_t>(state.range(0)));
    FrameEncoder encoder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(encoder.Encode(0x05, 0x50, payload));
        benchmark::DoNotOptimize(encoder.Bytes().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(EncodeConfigurationWrite)->Arg(16)->Arg(1024)->Arg(4000);

void ReceiveReply(benchmark::State& state) {
    const auto payload = Payload(static_cast<std::size_t>(state.range(0)));
    // A reply on the line is laid out like a request; the encoder builds one, then the first bytes are made
    // those of a reply.
    FrameEncoder encoder;
    encoder.Encode(0xFD, 0xF0, payload);
    std::vector<std::uint8_t> line(encoder.Bytes().begin(), encoder.Bytes().end());
    line[2] = 0x05;
    ReplyReceiver receiver;
    for (auto _ : state) {
        receiver.Restart();
        for (const std::uint8_t b : line) receiver.Feed(b);
        benchmark::DoNotOptimize(receiver.Valid());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(ReceiveReply)->Arg(16)->Arg(1024)->Arg(8000);

void BuildSectionOfAFullOutput(benchmark::State& state) {
    PanelModel m;
    m.OutputChannelCount = 4;
    m.NetworkName = "Kelvane Nord";
    m.OutputServiceCount = kMaxOutputServices;
    for (int k = 0; k < kMaxOutputServices; ++k) {
        m.OutputServices[k] = {1000 + k, static_cast<std::uint16_t>(k + 1), static_cast<std::uint16_t>(k + 100),
                               static_cast<std::uint8_t>(k % 4 + 1), 1};
    }
    for (auto _ : state) benchmark::DoNotOptimize(BuildNetworkSection(m));
}
BENCHMARK(BuildSectionOfAFullOutput);

}  // namespace
}  // namespace kelvane

BENCHMARK_MAIN();
