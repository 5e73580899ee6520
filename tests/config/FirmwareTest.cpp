#include "config/FirmwareFiles.h"
#include "config/FirmwareUpdate.h"

#include "app/MessageCatalogue.h"
#include "link/Xmit.h"
#include "tests/support/FirmwareFolder.h"
#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

using test::Bytes;
using test::ReplyFrame;

using test::FirmwareFolder;

Bytes Image(std::size_t blocks, std::uint8_t fill = 0x5A) { return Bytes(blocks * kFirmwareBlock, fill); }

TEST(FirmwareDecision, VersionsThatAreUpgraded) {
    FirmwareEntry entry;
    entry.BestVersion = 30;
    entry.MinUpgradableVersion = MinUpgradableVersion(1);  // KXB200: from V1.4
    EXPECT_FALSE(UpgradeDue(13, entry));
    EXPECT_TRUE(UpgradeDue(14, entry));
    EXPECT_TRUE(UpgradeDue(29, entry));
    EXPECT_FALSE(UpgradeDue(30, entry));  // same version
    EXPECT_FALSE(UpgradeDue(31, entry));
    for (std::uint8_t v = 0; v < 10; ++v) EXPECT_TRUE(UpgradeDue(v, entry)) << "V0." << int(v);

    FirmwareEntry controller;
    controller.BestVersion = 120;
    controller.MinUpgradableVersion = MinUpgradableVersion(0);
    for (std::uint8_t v = 10; v <= 98; ++v) EXPECT_FALSE(UpgradeDue(v, controller)) << int(v);
    EXPECT_TRUE(UpgradeDue(99, controller));
    EXPECT_TRUE(UpgradeDue(5, controller));

    FirmwareEntry none;  // no image found for the type
    EXPECT_FALSE(UpgradeDue(0, none));
    EXPECT_EQ(MinUpgradableVersion(9), 0);
}

TEST(FirmwareScan, KeepsTheNewestAndTheFirstListedOnTies) {
    FirmwareFolder folder;
    folder.Write("KXB200_a.bin", BuildFirmwareFile(1, 20, Image(2, 0x11)));
    folder.Write("KXB200_b.bin", BuildFirmwareFile(1, 20, Image(2, 0x22)));
    folder.Write("KXB200_c.bin", BuildFirmwareFile(1, 25, Image(2, 0x33)));
    folder.Write("KXD400.bin", BuildFirmwareFile(2, 30, Image(1)));
    folder.List("KXB200_a.bin\r\nKXB200_b.bin\nKXD400.bin\nKXB200_c.bin\n");

    const FirmwareScan scan = ScanFirmwareFiles(folder.Root());
    EXPECT_TRUE(scan.listFound);
    EXPECT_EQ(scan.FirmwareFilesFound, 3);  // a, then D400, then c replacing a
    EXPECT_EQ(scan.table[1].BestVersion, 25);
    EXPECT_EQ(scan.table[1].ImagePath.filename(), "KXB200_c.bin");
    EXPECT_EQ(scan.table[2].BestVersion, 30);
    ASSERT_EQ(scan.notes.size(), 4u);
    EXPECT_EQ(scan.notes[1].verdict, FirmwareVerdict::NotNewer);
    EXPECT_EQ(scan.table[0].MinUpgradableVersion, 99);
    EXPECT_EQ(scan.table[4].MinUpgradableVersion, 13);
}

TEST(FirmwareScan, TieKeepsTheImageListedFirst) {
    FirmwareFolder folder;
    folder.Write("KXD410-one", BuildFirmwareFile(5, 20, Image(1, 0x01)));
    folder.Write("KXD410-two", BuildFirmwareFile(5, 20, Image(1, 0x02)));
    folder.List("KXD410-one\nKXD410-two\n");
    const FirmwareScan scan = ScanFirmwareFiles(folder.Root());
    EXPECT_EQ(scan.table[5].ImagePath.filename(), "KXD410-one");
    EXPECT_EQ(scan.FirmwareFilesFound, 1);
}

TEST(FirmwareScan, RefusesWhatCannotBeTrusted) {
    FirmwareFolder folder;
    Bytes corrupt = BuildFirmwareFile(1, 20, Image(1));
    corrupt[100] ^= 0x01;
    folder.Write("KXB200-corrupt", corrupt);
    folder.Write("KXB200-type2", BuildFirmwareFile(2, 20, Image(1)));  // listed under another model's name
    folder.Write("KXB200-short", Bytes{1, 2, 3, 4, 5, 6});
    folder.Write("KXB200-ragged", BuildFirmwareFile(1, 20, Bytes(300, 0x10)));
    folder.Write("KXC300-ragged", BuildFirmwareFile(7, 20, Bytes(300, 0x10)));  // the player may end short
    folder.Write("kxb200-lower", BuildFirmwareFile(1, 20, Image(1)));
    folder.Write("KXX999", BuildFirmwareFile(9, 20, Image(1)));
    folder.List(
        "KXB200-missing\nKXB200-corrupt\nKXB200-type2\nKXB200-short\nKXB200-ragged\nKXC300-ragged\n"
        "kxb200-lower\nKXX999\n\n");

    const FirmwareScan scan = ScanFirmwareFiles(folder.Root());
    std::vector<FirmwareVerdict> verdicts;
    for (const auto& note : scan.notes) verdicts.push_back(note.verdict);
    EXPECT_EQ(verdicts, (std::vector<FirmwareVerdict>{
                            FirmwareVerdict::Missing, FirmwareVerdict::BadChecksum, FirmwareVerdict::NameMismatch,
                            FirmwareVerdict::TooShort, FirmwareVerdict::NotWholeBlocks, FirmwareVerdict::Chosen,
                            FirmwareVerdict::NameMismatch, FirmwareVerdict::NameMismatch, FirmwareVerdict::Missing}));
    EXPECT_EQ(scan.FirmwareFilesFound, 1);
    EXPECT_EQ(scan.table[1].BestVersion, 0);
    EXPECT_EQ(scan.table[7].BestVersion, 20);
}

std::vector<FirmwareVerdict> Verdicts(const FirmwareScan& scan) {
    std::vector<FirmwareVerdict> verdicts;
    for (const auto& note : scan.notes) verdicts.push_back(note.verdict);
    return verdicts;
}

TEST(FirmwareScan, FoldersDevicesAndLoopsAreLeftOutLikeMissingFiles) {
    FirmwareFolder folder;
    fs::create_directories(folder.Path("sub"));
    fs::create_directories(folder.Path("KXB200-folder"));
    ASSERT_EQ(mkfifo(folder.Path("KXB200-pipe").c_str(), 0600), 0);  // opening it would wait for a writer
    fs::create_symlink("KXB200-loop", folder.Path("KXB200-loop"));
    folder.Write("KXB200.bin", BuildFirmwareFile(1, 20, Image(1)));
    folder.List(".\n..\nsub\nKXB200-folder\n/dev/null\n/dev/zero\nKXB200-pipe\nKXB200-loop\nKXB200.bin\n");

    const FirmwareScan scan = ScanFirmwareFiles(folder.Root());
    using V = FirmwareVerdict;
    EXPECT_EQ(Verdicts(scan), (std::vector<V>{V::NotAFile, V::NotAFile, V::NotAFile, V::NotAFile, V::NotAFile,
                                              V::NotAFile, V::NotAFile, V::Unreadable, V::Chosen}));
    ASSERT_EQ(scan.notes.size(), 9u);
    EXPECT_TRUE(scan.notes[7].error) << "the system's reason is kept";
    EXPECT_EQ(scan.table[1].BestVersion, 20) << "the lines after them are still read";
    for (const auto& note : scan.notes) EXPECT_FALSE(ReportedInWindow(note.verdict)) << note.line;
}

TEST(FirmwareScan, ImagesLongerThanAModuleTakesAreRefusedUnread) {
    FirmwareFolder folder;
    // Sparse files: the scan must judge them by their length, never by reading a gigabyte.
    const auto sparse = [&](const std::string& name, std::uintmax_t length) {
        folder.Write(name, {});
        fs::resize_file(folder.Path(name), length);
    };
    sparse("KXB200-huge", std::uintmax_t{1} << 30);
    sparse("KXB200-over", kFirmwareHeader + kMaxFirmwareImage + kFirmwareBlock);
    // The largest image the 24-bit offset reaches is still taken.
    folder.Write("KXB200-largest", BuildFirmwareFile(1, 30, Bytes(kMaxFirmwareImage, 0)));
    folder.List("KXB200-huge\nKXB200-over\nKXB200-largest\n");

    const FirmwareScan scan = ScanFirmwareFiles(folder.Root());
    using V = FirmwareVerdict;
    EXPECT_EQ(Verdicts(scan), (std::vector<V>{V::TooLarge, V::TooLarge, V::Chosen}));
    EXPECT_TRUE(ReportedInWindow(FirmwareVerdict::TooLarge));
    EXPECT_EQ(scan.table[1].BestVersion, 30);
    EXPECT_EQ(scan.table[1].FileLength, kFirmwareHeader + kMaxFirmwareImage);

    EXPECT_EQ(ImageRefusal(1, kMaxFirmwareImage), std::nullopt);
    EXPECT_EQ(ImageRefusal(7, kMaxFirmwareImage + 1), FirmwareVerdict::TooLarge);
    EXPECT_EQ(ImageRefusal(7, 0), FirmwareVerdict::TooShort);
    EXPECT_EQ(ImageRefusal(7, 1), std::nullopt);
    EXPECT_EQ(ImageRefusal(2, 257), FirmwareVerdict::NotWholeBlocks);
}

TEST(FirmwareScan, TheListItselfIsReadWithinBounds) {
    FirmwareFolder folder;
    folder.Write("KXB200.bin", BuildFirmwareFile(1, 20, Image(1)));
    std::string list = std::string(100'000, 'K') + "\nKXB200.bin\n";
    for (std::size_t k = 0; k < kMaxFirmwareListLines; ++k) list += "KXB200-missing\n";
    folder.List(list);
    const FirmwareScan scan = ScanFirmwareFiles(folder.Root());
    ASSERT_EQ(scan.notes.size(), kMaxFirmwareListLines);
    EXPECT_TRUE(scan.listCut);
    EXPECT_EQ(scan.notes[0].verdict, FirmwareVerdict::LineTooLong);
    EXPECT_LE(scan.notes[0].line.size(), kMaxFirmwareListLine);
    EXPECT_EQ(scan.notes[1].verdict, FirmwareVerdict::Chosen);

    // A list of more bytes than any list holds is read up to the bound: its first names still count.
    FirmwareFolder huge;
    huge.Write("KXB200.bin", BuildFirmwareFile(1, 20, Image(1)));
    huge.List("KXB200.bin\n");
    fs::resize_file(huge.Path(kFirmwareListName), kMaxFirmwareListBytes + 1);
    const FirmwareScan cut = ScanFirmwareFiles(huge.Root());
    EXPECT_TRUE(cut.listFound);
    EXPECT_TRUE(cut.listCut);
    EXPECT_EQ(cut.table[1].BestVersion, 20);

    // A list that is a folder is no list.
    FirmwareFolder other;
    fs::create_directories(other.Path(kFirmwareListName));
    EXPECT_FALSE(ScanFirmwareFiles(other.Root()).listFound);
}

TEST(FirmwareScan, NoListMeansNoFirmware) {
    FirmwareFolder folder;
    const FirmwareScan scan = ScanFirmwareFiles(folder.Root());
    EXPECT_FALSE(scan.listFound);
    EXPECT_EQ(scan.FirmwareFilesFound, 0);
    EXPECT_EQ(ScanFirmwareFiles("/nonexistent/dir").FirmwareFilesFound, 0);
}

TEST(FirmwareFile, ChecksumCoversTypeVersionAndImageLittleEndian) {
    const Bytes file = BuildFirmwareFile(7, 0x15, {0xFF, 0xFF, 0x01});
    ASSERT_EQ(file.size(), 9u);
    const std::uint32_t sum = 7 + 0x15 + 0xFF + 0xFF + 0x01;
    EXPECT_EQ(file[0], sum & 0xFF);
    EXPECT_EQ(file[1], (sum >> 8) & 0xFF);
    EXPECT_EQ(file[2], 0);
    EXPECT_EQ(file[3], 0);
    EXPECT_EQ(file[4], 7);
    EXPECT_EQ(file[5], 0x15);
}

// Records what the upgrade shows, and answers every request of the module.
class RecordingFeedback final : public UpgradeFeedback {
public:
    void ShowText(const std::string& text, std::uint32_t) override { texts.push_back(text); }
    void Progress(int range, int position) override { progress.emplace_back(range, position); }
    void Beep(unsigned hz, unsigned ms) override { beeps.emplace_back(hz, ms); }
    void Pause(std::uint32_t) override {}
    std::vector<std::string> texts;
    std::vector<std::pair<int, int>> progress;
    std::vector<std::pair<unsigned, unsigned>> beeps;
};

class FirmwareUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        std::deque<test::ScriptedPort::Reaction> answers(200, {ReplyFrame(0xF0, {})});
        answers.push_front({ReplyFrame(0xF0, {0x77, 0, 14})});
        ports.Install(0, answers);
        ASSERT_TRUE(link.FindPort());
        port = ports.last;
        port->writes.clear();
    }

    void Offer(std::uint8_t type, std::uint8_t version, const Bytes& image) {
        const std::string name = std::string(type == 7 ? "KXC300" : "KXB200") + ".bin";
        folder.Write(name, BuildFirmwareFile(type, version, image));
        folder.List(name + "\n");
        update.ScanFirmwareFiles(folder.Root());
    }

    // (sub-command, offset, data length) of every firmware request written.
    std::vector<std::tuple<int, int, std::size_t>> Requests() const {
        std::vector<std::tuple<int, int, std::size_t>> out;
        for (const Bytes& frame : port->writes) {
            Bytes values;
            for (std::size_t i = 3; i < frame.size(); ++i) {
                values.push_back(frame[i]);
                if (frame[i] == 0x02) ++i;
            }
            const int form = values[0] & 0x0F;
            const std::size_t header = form == 8 ? 3 : form == 4 ? 2 : 1;
            const std::size_t length = values.size() - header - 1;
            const Bytes payload(values.begin() + static_cast<long>(header), values.end() - 1);
            const int offset = length >= 4 ? (payload[1] << 16 | payload[2] << 8 | payload[3]) : -1;
            out.emplace_back(payload[0], payload[0] == 1 ? offset : -1, payload[0] == 1 ? length - 4 : 0);
        }
        return out;
    }

    FirmwareFolder folder;
    VirtualClock clock;
    test::ScriptedPortOpener ports{clock};
    CXmit link{ports, clock};
    test::ScriptedPort* port = nullptr;
    FirmwareUpdate update;
    RecordingFeedback feedback;
    SlotRecord module{1, 0x09, 14};
};

TEST_F(FirmwareUpgradeTest, BlocksGoBackwardsAndBlankBlocksAreSkipped) {
    Bytes image = Image(4);
    std::fill(image.begin() + 256, image.begin() + 512, 0xFF);  // block 1 is blank
    Offer(1, 20, image);
    EXPECT_TRUE(update.UpgradeModuleFirmware(link, module, 3, feedback).started);
    using R = std::tuple<int, int, std::size_t>;
    EXPECT_EQ(Requests(), (std::vector<R>{{0, -1, 0}, {1, 768, 256}, {1, 512, 256}, {1, 0, 256}, {2, -1, 0}}));
    EXPECT_EQ(feedback.progress, (std::vector<std::pair<int, int>>{
                                     {1024, 0}, {1024, 256}, {1024, 512}, {1024, 768}, {1024, 1024}, {0, 0}}));
    ASSERT_FALSE(feedback.texts.empty());
    EXPECT_EQ(feedback.texts.front(), "Updating module 3 (KXB200) to release V2.0\r\nPreparing...");
    EXPECT_EQ(feedback.texts.back(), "Updating module 3 (KXB200) to release V2.0\r\nOK");
    EXPECT_TRUE(feedback.beeps.empty());
}

TEST_F(FirmwareUpgradeTest, AllBlankImageSendsOnlyStartAndWrite) {
    Offer(1, 20, Bytes(3 * 256, 0xFF));
    EXPECT_TRUE(update.UpgradeModuleFirmware(link, module, 1, feedback).started);
    using R = std::tuple<int, int, std::size_t>;
    EXPECT_EQ(Requests(), (std::vector<R>{{0, -1, 0}, {2, -1, 0}}));
    EXPECT_EQ(feedback.progress.back(), (std::pair<int, int>{0, 0}));
    EXPECT_EQ(feedback.progress[feedback.progress.size() - 2], (std::pair<int, int>{768, 768}));
}

TEST_F(FirmwareUpgradeTest, PlayerImageGoesForwardsWithEveryBlock) {
    module.Type = 7;
    module.Version = 10;
    Bytes image(600, 0xFF);
    Offer(7, 11, image);
    EXPECT_TRUE(update.UpgradeModuleFirmware(link, module, 1, feedback).started);
    using R = std::tuple<int, int, std::size_t>;
    EXPECT_EQ(Requests(), (std::vector<R>{{0, -1, 0}, {1, 0, 256}, {1, 256, 256}, {1, 512, 88}, {2, -1, 0}}));
}

TEST_F(FirmwareUpgradeTest, NothingDueShowsNothingAndSendsNothing) {
    Offer(1, 14, Image(1));
    EXPECT_FALSE(update.UpgradeModuleFirmware(link, module, 1, feedback).due);
    module.Type = 9;
    EXPECT_FALSE(update.UpgradeModuleFirmware(link, module, 1, feedback).due);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_TRUE(feedback.texts.empty());
}

TEST_F(FirmwareUpgradeTest, FailedStartStillCountsAsStartedAndEndsInError) {
    Offer(1, 20, Image(1));
    port->reactions.clear();  // the module stops answering
    const UpgradeOutcome outcome = update.UpgradeModuleFirmware(link, module, 2, feedback);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.failedStep, UpgradeStep::Start);
    EXPECT_EQ(port->writes.size(), 3u);  // the start request's three tries, nothing after
    EXPECT_EQ(feedback.texts.back(), "Updating module 2 (KXB200) to release V2.0\r\nERROR !");
    EXPECT_EQ(feedback.beeps, (std::vector<std::pair<unsigned, unsigned>>{{220, 200}}));
    EXPECT_EQ(feedback.progress.back(), (std::pair<int, int>{0, 0}));
}

TEST_F(FirmwareUpgradeTest, ImageGoneSinceTheScanIsAnErrorWithoutStarting) {
    Offer(1, 20, Image(1));
    fs::remove(folder.Root() / "firmware" / "KXB200.bin");
    const UpgradeOutcome outcome = update.UpgradeModuleFirmware(link, module, 2, feedback);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.failedStep, UpgradeStep::ImageFile);
    EXPECT_EQ(outcome.image, ImageLoad::Unreadable);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(feedback.texts.back(), "Updating module 2 (KXB200) to release V2.0\r\nERROR !");
    EXPECT_EQ(feedback.beeps.size(), 1u);
}

TEST_F(FirmwareUpgradeTest, ImageChangedSinceTheScanIsRefusedBeforeAnythingIsSent) {
    const std::string heading = "Updating module 2 (KXB200) to release V2.0\r\n";
    const std::vector<Bytes> changes{
        BuildFirmwareFile(1, 20, Image(2, 0x77)),  // same length, other bytes, a valid file of its own
        BuildFirmwareFile(1, 20, Image(3)),  // grown
        BuildFirmwareFile(1, 20, Image(1)),  // cut short
    };
    for (const Bytes& changed : changes) {
        Offer(1, 20, Image(2));
        folder.Write("KXB200.bin", changed);
        feedback = RecordingFeedback();
        const UpgradeOutcome outcome = update.UpgradeModuleFirmware(link, module, 2, feedback);
        EXPECT_TRUE(outcome.due);
        EXPECT_FALSE(outcome.started) << "no restart is needed for a module that was never touched";
        EXPECT_EQ(outcome.failedStep, UpgradeStep::ImageFile);
        EXPECT_EQ(outcome.image, ImageLoad::Changed);
        EXPECT_EQ(UpgradeFailureText(outcome), "its image file changed since it was scanned; nothing was sent");
        EXPECT_TRUE(port->writes.empty());
        ASSERT_FALSE(feedback.texts.empty());
        EXPECT_EQ(feedback.texts.back(), heading + MessageText(kFirmwareChangedMessage));
        EXPECT_EQ(feedback.beeps.size(), 1u);
    }
    // Put back as it was scanned, it goes.
    Offer(1, 20, Image(2));
    EXPECT_FALSE(update.UpgradeModuleFirmware(link, module, 2, feedback).Failed());
    EXPECT_FALSE(port->writes.empty());
}

TEST_F(FirmwareUpgradeTest, FailuresNameTheirStep) {
    const test::ScriptedPort::Reaction refused{ReplyFrame(0xE0, {})};
    const test::ScriptedPort::Reaction accepted{ReplyFrame(0xF0, {})};
    Offer(1, 20, Image(4));

    port->reactions = {accepted, accepted, refused, refused, refused};  // start, a block, then the next refused
    UpgradeOutcome outcome = update.UpgradeModuleFirmware(link, module, 1, feedback);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.failedStep, UpgradeStep::Block);
    EXPECT_EQ(outcome.blockOffset, 512u);  // backwards: 768 went, 512 was refused
    EXPECT_EQ(UpgradeFailureText(outcome), "the block at offset 512 got no valid reply");
    EXPECT_EQ(feedback.texts.back(), "Updating module 1 (KXB200) to release V2.0\r\nERROR !");

    port->reactions = {accepted, accepted, accepted, accepted, accepted, refused, refused, refused};
    outcome = update.UpgradeModuleFirmware(link, module, 1, feedback);
    EXPECT_EQ(outcome.failedStep, UpgradeStep::Write);
    EXPECT_EQ(UpgradeFailureText(outcome), "the write request got no valid reply");

    port->reactions = std::deque<test::ScriptedPort::Reaction>(8, accepted);
    outcome = update.UpgradeModuleFirmware(link, module, 1, feedback);
    EXPECT_FALSE(outcome.Failed());
    EXPECT_EQ(UpgradeFailureText(outcome), "");
}

}  // namespace
}  // namespace kelvane
