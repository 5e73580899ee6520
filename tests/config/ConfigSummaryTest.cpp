// The summary of a loaded configuration: the match check and the description of every record type.

#include "config/ConfigSummary.h"
#include "config/OutputLevel.h"

#include "app/MessageCatalogue.h"
#include "sim/ConfigImages.h"
#include "sim/ModuleModels.h"
#include "tests/config/SlotTables.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Record;

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

LoadedConfig LoadedOf(std::initializer_list<SlotRecord> records) {
    LoadedConfig loaded;
    for (const SlotRecord& record : records) loaded.LoadedTable[loaded.LoadedCount++] = record;
    return loaded;
}

// A slot table with the same types as `loaded`, at other addresses and with other images.
SlotTable InstallationFor(const LoadedConfig& loaded) {
    SlotTable slots;
    for (std::size_t k = 0; k < loaded.LoadedCount; ++k) {
        slots[k] = Record(loaded.LoadedTable[k].Type, static_cast<std::uint8_t>(0x40 + k), {0xEE});
    }
    slots.ModuleCount = loaded.LoadedCount;
    return slots;
}

Bytes TunerImage(int frequencyMHz, std::uint16_t rate, std::vector<sim::InputService> services) {
    const sim::InputRow row{frequencyMHz, rate, sim::FecByte(2), std::move(services)};
    return sim::InputImage({&row, 1});
}

Bytes PlayerImage(std::vector<sim::ScheduleEntry> schedule) {
    const sim::InputRow rows[] = {{10788, 22000, sim::PolarityByte(0), {{2001, 1}, {2002, 0}}},
                                  {12188, 27500, sim::PolarityByte(1), {{2101, 2}}},
                                  {9750, 0, sim::PolarityByte(0), {{2201, 0}}}};
    return sim::PlayerImage(rows, {2201, std::move(schedule), 4, "Play"});
}

Bytes OutputImage(std::uint8_t type, std::uint32_t frequencyKHz, std::array<std::uint8_t, 5> modulation, int levelStep,
                  std::vector<sim::OutputService> services) {
    sim::OutputSettings s;
    s.type = type;
    s.frequencyKHz = frequencyKHz;
    s.bandwidth = modulation[0];
    s.codeRate = modulation[1];
    s.constellation = modulation[2];
    s.mode = modulation[3];
    s.guard = modulation[4];
    s.levelStep = levelStep;
    s.services = std::move(services);
    return sim::OutputImage(s);
}

// A rack with every kind of record: controller, tuners, CI module, player, the output types, an unknown code.
LoadedConfig EveryKind() {
    return LoadedOf({
        Record(0, 0),
        Record(sim::kKXB200, 0, TunerImage(11362, 27500, {{1101, 1}, {1102, 0}})),
        Record(sim::kKXF600, 0, {0x01, 0x02}),
        Record(sim::kKXC300, 0, PlayerImage({{570, 635, "film.ts"}, {1380, 1439, "nuit \xE9t\xE9.ts"}})),
        Record(
            sim::kKXD400, 0,
            OutputImage(sim::kKXD400, 522000, {1, 0, 1, 0, 2}, 20, {{3001, 1, true, 20, 0}, {3002, 1, false, 0, 0}})),
        Record(sim::kKXB210, 0, TunerImage(12515, 29900, {})),
        Record(
            sim::kKXE500, 0,
            OutputImage(sim::kKXE500, 858000, {0, 4, 0, 1, 3}, 1, {{4001, 2, false, 0, 101}, {4002, 3, true, 7, 107}})),
        Record(sim::kKXD420, 0, OutputImage(sim::kKXD420, 474000, {2, 1, 2, 1, 0}, 30, {})),
        Record(9, 0, {0x55}),
    });
}

class ConfigSummaryTest : public ::testing::Test {
protected:
    void SetUp() override { SetLanguageIndex(kEnglish); }
    void TearDown() override { SetLanguageIndex(kEnglish); }
};

TEST_F(ConfigSummaryTest, EveryRecordTypeInEnglish) {
    const LoadedConfig loaded = EveryKind();
    EXPECT_EQ(ConfigSummaryText(InstallationFor(loaded), loaded),
              Lines({"Loaded configuration matches current installation.",
                     "",
                     "Short Description :",
                     "Slot 0 : KXA100",
                     "  No configuration required",
                     "",
                     "Slot 1 : KXB200",
                     "Slot 1 : ",
                     "  B.I.S. Frequency : 1612MHz",
                     "  Symbol rate : 27500",
                     "  Decryption on service(s) : 1101(1) - 1102(0) ",
                     "",
                     "Slot 2 : KXF600",
                     "  No configuration required",
                     "",
                     "Slot 3 : KXC300",
                     "Sat. : A",
                     "  B.I.S. Frequency : 1038MHz",
                     "  Symbol rate : 22000",
                     "  Band : Low",
                     "  Polarity : Vertical",
                     "  Activation(Decryption) of service(s) : 2001(1) - 2002(0) ",
                     "Sat. : B",
                     "  B.I.S. Frequency : 1588MHz",
                     "  Symbol rate : 27500",
                     "  Band : High",
                     "  Polarity : Horizontal",
                     "  Activation(Decryption) of service(s) : 2101(2) ",
                     "Sat. : C",
                     "  Activation(Decryption) of service(s) : 2201(0) ",
                     "Movie(s) played on service 2201 :",
                     "09:30 - 10:35 film.ts",
                     "23:00 - 23:59 nuit \u00e9t\u00e9.ts",
                     "",
                     "Slot 4 : KXD400",
                     "  Frequency : 522MHz (16-QAM - 2K - 7 MHz - F.E.C. 1/2 - Guard Int.  1/8)",
                     "  Attenuation : -10dB",
                     "  Services :  1:3001 (SD20 )- 1:3002 ",
                     "",
                     "Slot 5 : KXB210",
                     "Slot 5 : ",
                     "  B.I.S. Frequency : 1915MHz",
                     "  Symbol rate : 29900",
                     "",
                     "Slot 6 : KXE500",
                     "  Frequency : 858MHz (QPSK - 8K - 6 MHz - F.E.C. 7/8 - Guard Int.  1/4)",
                     "  Attenuation : -29dB",
                     "  Services :  2:4001 (HD101 )- 83:4002 (SD7 HD107 )",
                     "",
                     "Slot 7 : KXD420",
                     "  Frequency : 474MHz (64-QAM - 8K - 8 MHz - F.E.C. 2/3 - Guard Int.  1/32)",
                     "  Attenuation : 0dB",
                     "  Services : ",
                     "",
                     "Slot 8 : ",
                     "  No configuration required",
                     ""}));
}

TEST_F(ConfigSummaryTest, EveryRecordTypeInFrench) {
    SetLanguageIndex(kFrench);
    const LoadedConfig loaded = EveryKind();
    SlotTable other = InstallationFor(loaded);
    other.ModuleCount = 3;
    EXPECT_EQ(ConfigSummaryText(other, loaded),
              Lines({"LA CONFIGURATION CHARG\u00c9E NE CORRESPOND PAS \u00c0 L'INSTALLATION ACTUELLE !",
                     "",
                     "Description succincte :",
                     "Emplacement 0 : KXA100",
                     "  Aucune configuration requise",
                     "",
                     "Emplacement 1 : KXB200",
                     "Emplacement 1 : ",
                     "  Fr\u00e9quence B.I.S. : 1612MHz",
                     "  D\u00e9bit symbole : 27500",
                     "  D\u00e9cryptage sur service(s) : 1101(1) - 1102(0) ",
                     "",
                     "Emplacement 2 : KXF600",
                     "  Aucune configuration requise",
                     "",
                     "Emplacement 3 : KXC300",
                     "Sat. : A",
                     "  Fr\u00e9quence B.I.S. : 1038MHz",
                     "  D\u00e9bit symbole : 22000",
                     "  Bande : Basse",
                     "  Polarit\u00e9 : Verticale",
                     "  Activation(D\u00e9cryptage) des service(s) : 2001(1) - 2002(0) ",
                     "Sat. : B",
                     "  Fr\u00e9quence B.I.S. : 1588MHz",
                     "  D\u00e9bit symbole : 27500",
                     "  Bande : Haute",
                     "  Polarit\u00e9 : Horizontale",
                     "  Activation(D\u00e9cryptage) des service(s) : 2101(2) ",
                     "Sat. : C",
                     "  Activation(D\u00e9cryptage) des service(s) : 2201(0) ",
                     "Film(s) diffus\u00e9(s) sur le service 2201 :",
                     "09:30 - 10:35 film.ts",
                     "23:00 - 23:59 nuit \u00e9t\u00e9.ts",
                     "",
                     "Emplacement 4 : KXD400",
                     "  Fr\u00e9quence : 522MHz (16-QAM - 2K - 7 MHz - F.E.C. 1/2 - Int. de garde  1/8)",
                     "  Att\u00e9nuation : -10dB",
                     "  Services :  1:3001 (SD20 )- 1:3002 ",
                     "",
                     "Emplacement 5 : KXB210",
                     "Emplacement 5 : ",
                     "  Fr\u00e9quence B.I.S. : 1915MHz",
                     "  D\u00e9bit symbole : 29900",
                     "",
                     "Emplacement 6 : KXE500",
                     "  Fr\u00e9quence : 858MHz (QPSK - 8K - 6 MHz - F.E.C. 7/8 - Int. de garde  1/4)",
                     "  Att\u00e9nuation : -29dB",
                     "  Services :  2:4001 (HD101 )- 83:4002 (SD7 HD107 )",
                     "",
                     "Emplacement 7 : KXD420",
                     "  Fr\u00e9quence : 474MHz (64-QAM - 8K - 8 MHz - F.E.C. 2/3 - Int. de garde  1/32)",
                     "  Att\u00e9nuation : 0dB",
                     "  Services : ",
                     "",
                     "Emplacement 8 : ",
                     "  Aucune configuration requise",
                     ""}));
}

TEST_F(ConfigSummaryTest, TheOutputExampleToTheCharacter) {
    const SlotRecord record =
        Record(sim::kKXD410, 0, OutputImage(sim::kKXD410, 3792 * 125, {2, 1, 2, 1, 0}, 30, {{1001, 1, true, 5, 0}}));
    EXPECT_EQ(DescribeRecord(2, record),
              "Slot 2 : KXD410\r\n"
              "  Frequency : 474MHz (64-QAM - 8K - 8 MHz - F.E.C. 2/3 - Guard Int.  1/32)\r\n"
              "  Attenuation : 0dB\r\n"
              "  Services :  81:1001 (SD5 )\r\n");
}

TEST_F(ConfigSummaryTest, UnlistedValuesEmptySchedulesAndLevels) {
    const Bytes unlisted = OutputImage(sim::kKXD410, 474000, {3, 5, 3, 2, 4}, 30, {});
    EXPECT_EQ(DescribeRecord(1, Record(sim::kKXD410, 0, unlisted)),
              Lines({"Slot 1 : KXD410", "  Frequency : 474MHz (Guard Int.   Attenuation : 0dB", "  Services : "}));

    const std::string player = DescribeRecord(3, Record(sim::kKXC300, 0, PlayerImage({})));
    EXPECT_EQ(player.find("2201 :"), std::string::npos) << "no schedule, no played service";
    EXPECT_TRUE(player.ends_with("Sat. : C\r\n  Activation(Decryption) of service(s) : 2201(0) \r\n"));

    for (const auto& [level, shown] : std::vector<std::pair<std::uint8_t, std::string>>{
             {0, "-29dB"}, {9, "-29dB"}, {10, "-28dB"}, {25, "-20dB"}, {26, "-19dB"}, {255, "0dB"}}) {
        Bytes image = unlisted;
        image[7] = level;
        EXPECT_NE(DescribeRecord(1, Record(sim::kKXD410, 0, image)).find("  Attenuation : " + shown + "\r\n"),
                  std::string::npos)
            << int{level};
    }
}

TEST(LevelStepOfByte, InvertsTheLevelTable) {
    EXPECT_EQ(LevelStepOfByte(9), 1);
    EXPECT_EQ(LevelStepOfByte(10), 2);
    for (int level = 23; level <= 25; ++level)
        EXPECT_EQ(LevelStepOfByte(static_cast<std::uint8_t>(level)), 10) << level;
    for (int level = 228; level <= 255; ++level)
        EXPECT_EQ(LevelStepOfByte(static_cast<std::uint8_t>(level)), 30) << level;
    for (int step = 1; step <= 30; ++step) EXPECT_EQ(LevelStepOfByte(sim::LevelByte(step)), step) << step;
}

TEST_F(ConfigSummaryTest, MismatchesAreShownWithEveryRecordStillDescribed) {
    const LoadedConfig loaded = LoadedOf({Record(0, 0), Record(1, 0), Record(3, 0)});
    const SlotTable slots = InstallationFor(loaded);
    EXPECT_TRUE(ConfigMatches(slots, loaded)) << "addresses and images do not count";
    SlotTable swapped = slots;
    std::swap(swapped[1], swapped[2]);
    EXPECT_FALSE(ConfigMatches(swapped, loaded));
    EXPECT_TRUE(ConfigMatches(SlotTable{}, LoadedConfig{}));

    SlotTable fewer = slots;
    fewer.ModuleCount = 2;
    EXPECT_EQ(ConfigSummaryText(fewer, loaded),
              Lines({"LOADED CONFIGURATION DOES NOT MATCH CURRENT INSTALLATION !", "",
                     "Short Description :", "Slot 0 : KXA100", "  No configuration required", "", "Slot 1 : KXB200", "",
                     "Slot 2 : KXF600", "  No configuration required", ""}));
}

// The description of `record` with its buffer beyond the image filled two ways: it may depend on the image only.
std::string DescribedAlone(std::size_t row, SlotRecord record, std::size_t length) {
    record.ConfigLength = static_cast<std::uint16_t>(length);
    std::fill(record.Config.begin() + record.ConfigLength, record.Config.end(), 0x00);
    const std::string zeros = DescribeRecord(row, record);
    std::fill(record.Config.begin() + record.ConfigLength, record.Config.end(), 0xFF);
    EXPECT_EQ(DescribeRecord(row, record), zeros) << "read beyond the image";
    return zeros;
}

TEST_F(ConfigSummaryTest, ShortImagesShowOnlyWhatTheyHold) {
    const SlotRecord output =
        Record(sim::kKXD410, 0,
               OutputImage(sim::kKXD410, 474000, {2, 1, 2, 1, 0}, 30, {{1001, 1, true, 5, 6}, {1002, 1, true, 7, 8}}));
    EXPECT_EQ(DescribedAlone(1, output, 6), Lines({"Slot 1 : KXD410"}));
    EXPECT_EQ(DescribedAlone(1, output, 8),
              Lines({"Slot 1 : KXD410", "  Frequency : 474MHz (64-QAM - 8K - 8 MHz - F.E.C. 2/3 - Guard Int.  1/32)",
                     "  Attenuation : 0dB"}));
    // The entries end at 15; the LCNs lie at 15-18 and the HD LCNs at 19-22.
    EXPECT_TRUE(DescribedAlone(1, output, 13).ends_with("  Services :  81:1001 \r\n"));
    EXPECT_TRUE(DescribedAlone(1, output, 19).ends_with("  Services :  81:1001 (SD5 )- 81:1002 (SD7 )\r\n"));

    const SlotRecord player = Record(sim::kKXC300, 0, PlayerImage({{570, 635, "film.ts"}}));
    // Block A is 12 bytes; block B's single service id lies at 18-19 and its CI module at 20.
    EXPECT_TRUE(DescribedAlone(3, player, 20)
                    .ends_with("  Polarity : Horizontal\r\n  Activation(Decryption) of service(s) :\r\n"));
    // The schedule entry's name runs to the end of the image (".ts", its NUL and the tail cut off).
    EXPECT_TRUE(DescribedAlone(3, player, player.ConfigLength - 10)
                    .ends_with("played on service 2201 :\r\n09:30 - 10:35 film\r\n"));
    EXPECT_TRUE(DescribedAlone(3, player, 30 + 3 + 6).ends_with("played on service 2201 :\r\n"));
}

}  // namespace
}  // namespace kelvane
