// What watch writes, read back by independent parsers: the Prometheus file by Debian's prometheus_client, the
// JSON lines by Python's json module; and the table, the lines, the time stamps and the options.

#include "tests/watch/ReadBack.h"
#include "tools/common/UtcTime.h"
#include "tools/watch/WatchJson.h"
#include "tools/watch/WatchOptions.h"
#include "tools/watch/WatchPrometheus.h"
#include "tools/watch/WatchText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

// A rack seen in one round: a tuner locked, a player with one input searching and one not tuned, a silent
// output, and an output whose second channel overflows, with names that need escaping in both formats.
WatchRound SampleRound() {
    WatchRound r;
    r.time = 1'796'644'070;  // 2026-12-07T11:47:50Z
    r.rackFound = true;
    r.rack = "R";
    r.port = "/dev/serial/by-id/usb-\"KXR\"\\rack\xff";  // quotes, a backslash and a byte that is no UTF-8
    r.modules = {{1, "KXB200", true}, {3, "KXD410", true}, {4, "KXC300", true}, {5, "KXD420", false}};
    r.inputs = {{1, "KXB200", 0, true, true, 2, 71, 64, 5},
                {4, "KXC300", 0, true, true, 1, 60, 30, 0},
                {4, "KXC300", 2, false, true, 0, 6, 2, 0}};
    const ChannelReading first{
        3, "KXD410", 1, true, 12'345'678, 24'128'342, {{1101, "Caf\xc3\xa9 \"Noir\" \\ 1", 3238}, {1150, "", 195}}};
    const ChannelReading second{3, "KXD410", 2, true, 25'000'001, 24'128'342, {}};
    r.channels = {first, second, {5, "KXD420", 1, false, 0, 0, {}}};
    r.pollFailures = 7;
    return r;
}

TEST(WatchPrometheus, EveryFamilyParsesWithHelpAndTypeAndTheFiguresComeBack) {
    const ReadBack read = ReadWithPython("prometheus", PrometheusText(SampleRound()));
    ASSERT_TRUE(read.parsed) << read.complaint << "\n" << PrometheusText(SampleRound());
    for (const char* family :
         {"kelvane_rack_up gauge", "kelvane_module_up gauge", "kelvane_input_locked gauge", "kelvane_input_level gauge",
          "kelvane_input_snr gauge", "kelvane_channel_bits_per_second gauge",
          "kelvane_channel_capacity_bits_per_second gauge", "kelvane_poll_failures counter",
          "kelvane_service_rate gauge"}) {
        EXPECT_TRUE(HasFact(read, "family " + std::string(family) + " help")) << family << "\n" << read.facts;
    }
    const char* samples[] = {
        "sample kelvane_rack_up{rack=\"R\"} 1.0",
        "sample kelvane_module_up{model=\"KXB200\",rack=\"R\",row=\"1\"} 1.0",
        "sample kelvane_module_up{model=\"KXD420\",rack=\"R\",row=\"5\"} 0.0",
        "sample kelvane_input_locked{input=\"A\",rack=\"R\",row=\"1\"} 1.0",
        "sample kelvane_input_locked{input=\"A\",rack=\"R\",row=\"4\"} 0.0",
        "sample kelvane_input_lock_state{input=\"A\",rack=\"R\",row=\"4\"} 1.0",
        "sample kelvane_input_level{input=\"A\",rack=\"R\",row=\"1\"} 71.0",
        "sample kelvane_input_snr{input=\"A\",rack=\"R\",row=\"1\"} 64.0",
        "sample kelvane_channel_bits_per_second{channel=\"1\",rack=\"R\",row=\"3\"} 12345678.0",
        "sample kelvane_channel_capacity_bits_per_second{channel=\"1\",rack=\"R\",row=\"3\"} 24128342.0",
        "sample kelvane_channel_bits_per_second{channel=\"2\",rack=\"R\",row=\"3\"} 25000001.0",
        // The name comes back exactly, quotes and backslash included.
        "sample kelvane_service_rate{channel=\"1\",name=\"Café \\\"Noir\\\" \\\\ "
        "1\",rack=\"R\",row=\"3\",service=\"1101\"} 3238.0",
        "sample kelvane_poll_failures_total{rack=\"R\"} 7.0",
        "sample kelvane_last_round_timestamp_seconds{rack=\"R\"} 1796644070.0",
    };
    for (const char* sample : samples) EXPECT_TRUE(HasFact(read, sample)) << sample << "\n" << read.facts;
    // Not tuned, or not answering: no figures that could be taken for readings.
    EXPECT_EQ(read.facts.find("input=\"C\""), std::string::npos) << read.facts;
    EXPECT_EQ(read.facts.find("kelvane_channel_bits_per_second{channel=\"1\",row=\"5\""), std::string::npos)
        << "a silent output has no rates\n"
        << read.facts;
}

TEST(WatchPrometheus, LabelValuesEscapeBackslashQuoteAndLineFeedOnly) {
    EXPECT_EQ(PrometheusLabelValue("a\\b\"c\nd\xc3\xa9\xe9"), "a\\\\b\\\"c\\nd\xc3\xa9\xef\xbf\xbd");
    WatchRound r;
    r.rack = "R";
    r.rackFound = true;
    r.channels = {{3, "", 1, true, 0, 0, {{7, "line\nbreak", 1}}}};
    const ReadBack read = ReadWithPython("prometheus", PrometheusText(r));
    ASSERT_TRUE(read.parsed) << read.complaint;
    EXPECT_TRUE(HasFact(
        read,
        "sample kelvane_service_rate{channel=\"1\",name=\"line\\nbreak\",rack=\"R\",row=\"3\",service=\"7\"} 1.0"))
        << read.facts;
}

// Many racks in one text, as one watcher writes them: each family once, every rack's series told apart by its
// label, a lost rack beside one that answers.
TEST(WatchPrometheus, RacksShareOneTextByTheirLabel) {
    WatchRound r;
    r.rack = "R";
    r.time = 5;
    r.modules = {{1, "KXB200", false}};
    r.pollFailures = 3;
    WatchRound other = SampleRound();
    other.rack = "Mont \"Aigoual\"";
    const std::vector<WatchRound> rounds{r, other};
    const std::string text = PrometheusText(rounds);
    EXPECT_EQ(text.find("# TYPE kelvane_rack_up"), text.rfind("# TYPE kelvane_rack_up")) << text;
    const ReadBack read = ReadWithPython("prometheus", text);
    ASSERT_TRUE(read.parsed) << read.complaint;
    EXPECT_TRUE(HasFact(read, "sample kelvane_rack_up{rack=\"Mont \\\"Aigoual\\\"\"} 1.0")) << read.facts;
    EXPECT_TRUE(HasFact(read, "sample kelvane_module_up{model=\"KXB200\",rack=\"Mont \\\"Aigoual\\\"\",row=\"1\"} 1.0"))
        << read.facts;
    EXPECT_TRUE(HasFact(read, "sample kelvane_rack_up{rack=\"R\"} 0.0")) << read.facts;
    EXPECT_TRUE(HasFact(read, "sample kelvane_module_up{model=\"KXB200\",rack=\"R\",row=\"1\"} 0.0")) << read.facts;
    EXPECT_TRUE(HasFact(read, "sample kelvane_poll_failures_total{rack=\"R\"} 3.0")) << read.facts;
}

TEST(WatchJson, ARoundIsOneLineThatParsesBackToItsFigures) {
    const std::string line = WatchJson(SampleRound());
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const ReadBack read = ReadWithPython("json", line + "\n");
    ASSERT_TRUE(read.parsed) << read.complaint << "\n" << line;
    const char* facts[] = {
        "0:time=\"2026-12-07T11:47:50Z\"",
        "0:unix_time=1796644070",
        "0:rack.name=\"R\"",
        "0:rack.found=true",
        "0:rack.port=\"/dev/serial/by-id/usb-\\\"KXR\\\"\\\\rack\xef\xbf\xbd\"",
        "0:modules#=4",
        "0:modules[3].answering=false",
        "0:inputs#=3",
        "0:inputs[0].lock=\"locked\"",
        "0:inputs[0].level=71",
        "0:inputs[0].snr=64",
        "0:inputs[0].services=5",
        "0:inputs[1].lock=\"carrier\"",
        "0:inputs[2].tuned=false",
        "0:channels#=3",
        "0:channels[0].bitrate_kbps=12345",
        "0:channels[0].capacity_kbps=24128",
        "0:channels[0].bitrate_bps=12345678",
        "0:channels[0].services#=2",
        "0:channels[0].services[0].id=1101",
        "0:channels[0].services[0].name=\"Café \\\"Noir\\\" \\\\ 1\"",
        "0:channels[0].services[0].rate=3238",
        "0:channels[1].over_capacity=true",
        "0:channels[2].answering=false",
        "0:poll_failures=7",
        "0:all_well=false",
    };
    for (const char* fact : facts) EXPECT_TRUE(HasFact(read, fact)) << fact << "\n" << read.facts;
    EXPECT_EQ(read.facts.find("0:channels[2].bitrate"), std::string::npos) << "no rates from a silent output";
}

TEST(WatchJson, ControlCharactersAndBrokenUtf8StayValid) {
    EXPECT_EQ(JsonString("a\x01\tb"), "\"a\\u0001\\u0009b\"");
    EXPECT_EQ(JsonString("\xc3"), "\"\xef\xbf\xbd\"") << "a sequence cut short";
    EXPECT_EQ(JsonString("\xc0\xaf"), "\"\xef\xbf\xbd\xef\xbf\xbd\"") << "an overlong form";
    EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"") << "a surrogate";
    EXPECT_EQ(JsonString("\xf0\x9f\x93\xba"), "\"\xf0\x9f\x93\xba\"");
}

TEST(WatchVerdict, AllWellNeedsEveryModuleEveryTunedInputAndEveryChannel) {
    WatchRound r = SampleRound();
    EXPECT_FALSE(AllWell(r));
    r.modules[3].answered = true;
    r.inputs[1].lock = 2;
    r.channels[1].inUse = r.channels[1].capacity;  // full is not over
    r.channels[2].answered = true;
    EXPECT_TRUE(AllWell(r)) << "the untuned input C does not count";
    r.inputs[0].answered = false;
    EXPECT_FALSE(AllWell(r)) << "an input not heard is not known to be locked";
    r.inputs[0].answered = true;
    r.inputs[0].lock = 3;
    EXPECT_FALSE(AllWell(r)) << "a state modules do not define is no lock";
    r.inputs[0].lock = 2;
    r.rackFound = false;
    EXPECT_FALSE(AllWell(r));
}

TEST(WatchText, TableHasALinePerInputAndChannelAndTheLatestAlarms) {
    const std::string table = WatchTable(SampleRound(), {"2026-12-07T11:47:49Z row 1 KXB200 input A: lock lost"});
    const auto lines = Lines(table);
    const auto has = [&](const std::string& start, std::initializer_list<const char*> parts) {
        for (const std::string& line : lines) {
            if (line.rfind(start, 0) != 0) continue;
            bool all = true;
            for (const char* part : parts) all = all && line.find(part) != std::string::npos;
            if (all) return true;
        }
        return false;
    };
    EXPECT_NE(lines.at(0).find("2026-12-07T11:47:50Z"), std::string::npos) << table;
    EXPECT_NE(lines.at(0).find("poll failures 7"), std::string::npos) << table;
    EXPECT_TRUE(has("  1  KXB200", {"input A", "locked", "71", "64", " 5"})) << table;
    EXPECT_TRUE(has("  4  KXC300", {"input A", "carrier", "60", "30"})) << table;
    EXPECT_TRUE(has("  4  KXC300", {"input C", "not tuned"})) << table;
    EXPECT_TRUE(has("  3  KXD410", {"channel 1", "12345/24128 Kbit/s", " 2"})) << table;
    EXPECT_TRUE(has("  3  KXD410", {"channel 2", "25000/24128 Kbit/s OVER"})) << table;
    EXPECT_TRUE(has("  5  KXD420", {"channel 1", "no answer"})) << table;
    EXPECT_TRUE(has("  2026-12-07T11:47:49Z row 1 KXB200 input A: lock lost", {})) << table;
}

TEST(WatchText, LinesStartWithTheTimeAndNameWhatTheyShow) {
    const auto lines = Lines(WatchLines(SampleRound()));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "2026-12-07T11:47:50Z row 1 KXB200 input A: locked, level 71, S.N.R. 64, 5 services");
    EXPECT_EQ(lines[1], "2026-12-07T11:47:50Z row 3 KXD410 channel 1: 12345/24128 Kbit/s, 2 services")
        << "in row order: each input followed by its output's channels";
    EXPECT_EQ(lines[4], "2026-12-07T11:47:50Z row 4 KXC300 input C: not tuned, level 6, S.N.R. 2, 0 services");
    EXPECT_EQ(lines[5], "2026-12-07T11:47:50Z row 5 KXD420 channel 1: no answer, 0 services");
    WatchRound lost;
    lost.time = 0;
    EXPECT_EQ(WatchLines(lost), "1970-01-01T00:00:00Z rack lost: searching\n");
    lost.rack = "Mont Aigoual";
    EXPECT_EQ(WatchLines(lost, true), "1970-01-01T00:00:00Z [Mont Aigoual] rack lost: searching\n");
}

TEST(WatchTime, UtcStampsCountDaysAndLeapYearsRight) {
    EXPECT_EQ(UtcTimestamp(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(UtcTimestamp(951'782'400), "2000-02-29T00:00:00Z");
    EXPECT_EQ(UtcTimestamp(1'709'251'199), "2024-02-29T23:59:59Z");
    EXPECT_EQ(UtcTimestamp(1'796'644'070), "2026-12-07T11:47:50Z");
}

TEST(WatchOptionsParsing, TakesEveryOptionInBothForms) {
    WatchOptions o;
    std::string error;
    ASSERT_TRUE(ParseWatchOptions(
        {"--interval", "2.5", "--json", "--prometheus=/tmp/k.prom", "--once", "--rows", "1,3,5"}, o, error))
        << error;
    EXPECT_EQ(o.intervalMs, 2500u);
    EXPECT_TRUE(o.json);
    EXPECT_TRUE(o.once);
    EXPECT_EQ(o.prometheusFile, "/tmp/k.prom");
    EXPECT_EQ(o.rows, (std::vector<int>{1, 3, 5}));
    WatchOptions defaults;
    ASSERT_TRUE(ParseWatchOptions({}, defaults, error));
    EXPECT_EQ(defaults.intervalMs, 1000u) << "the panel's own period";
    EXPECT_FALSE(defaults.json || defaults.once);
}

TEST(WatchOptionsParsing, RefusesBadValuesWithAReasonAndKeepsWhatItHad) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--interval", "0"}, "--interval wants seconds from 0.1 to 86400, not '0'"},
        {{"--interval", "0.05"}, "--interval wants seconds from 0.1 to 86400, not '0.05'"},
        {{"--interval", "1s"}, "--interval wants seconds from 0.1 to 86400, not '1s'"},
        {{"--interval", "nan"}, "--interval wants seconds from 0.1 to 86400, not 'nan'"},
        {{"--interval"}, "option --interval needs a value"},
        {{"--rows", "1,,3"}, "--rows wants row numbers from 1 to 14 separated by commas, not '1,,3'"},
        {{"--rows", "0"}, "--rows wants row numbers from 1 to 14 separated by commas, not '0'"},
        {{"--rows", "15"}, "--rows wants row numbers from 1 to 14 separated by commas, not '15'"},
        {{"--rows", "3,"}, "--rows wants row numbers from 1 to 14 separated by commas, not '3,'"},
        {{"--prometheus="}, "--prometheus wants a file"},
        {{"--once=yes"}, "option --once takes no value"},
        {{"--loud"}, "unknown option '--loud'"},
    };
    for (const auto& [args, expected] : cases) {
        WatchOptions o;
        o.intervalMs = 42;
        std::string error;
        EXPECT_FALSE(ParseWatchOptions(args, o, error)) << expected;
        EXPECT_EQ(error, expected);
        EXPECT_EQ(o.intervalMs, 42u);
    }
}

}  // namespace
}  // namespace kelvane::test
