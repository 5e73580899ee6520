// Configuration files: the record format, the reader's refusals, the save that never loses the old file, and
// the extension rule of the file dialogs.

#include "config/ConfigFile.h"

#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "tests/config/SlotTables.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

using test::Bytes;
using test::Contents;
using test::Record;
using test::TableOf;

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path Path(const std::string& name) const { return dir_ / name; }
    std::size_t FileCount() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {})); }

private:
    fs::path dir_ = fs::temp_directory_path() / ("kelvane-kcf-" + std::to_string(getpid()));
};

// A loaded table that is not empty, to see that a refused file leaves it alone.
LoadedConfig Earlier() {
    LoadedConfig loaded;
    loaded.LoadedCount = 2;
    loaded.LoadedTable[0] = Record(0, 0, {0xAA});
    loaded.LoadedTable[1] = Record(5, 0, {1, 2, 3});
    return loaded;
}

void ExpectRecords(const LoadedConfig& loaded, const SlotTable& table) {
    ASSERT_EQ(loaded.LoadedCount, table.ModuleCount);
    for (std::size_t k = 0; k < table.ModuleCount; ++k) {
        EXPECT_EQ(loaded.LoadedTable[k].Type, table[k].Type) << k;
        EXPECT_EQ(test::ImageBytes(loaded.LoadedTable[k]), test::ImageBytes(table[k])) << k;
    }
}

TEST_F(ConfigFileTest, RecordsAreTypeLengthAndImageBackToBack) {
    std::error_code error;
    ASSERT_TRUE(
        SaveConfigFile(Path("a.kcf"), TableOf({Record(0, 0), Record(sim::kKXD400, 6, Bytes(40, 0x5A))}), error));
    Bytes expected{0x00, 0x00, 0x00, 0x02, 0x00, 0x28};
    expected.insert(expected.end(), 40, 0x5A);
    EXPECT_EQ(Contents(Path("a.kcf")), expected);

    // Saved through a link, the file it names is replaced and the link stays.
    fs::create_symlink(Path("b.kcf"), Path("link.kcf"));
    test::Write(Path("b.kcf"), {});
    ASSERT_TRUE(SaveConfigFile(Path("link.kcf"), TableOf({Record(sim::kKXB200, 1, Bytes(0x0123, 7))}), error));
    EXPECT_TRUE(fs::is_symlink(Path("link.kcf")));
    const Bytes b = Contents(Path("b.kcf"));
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 3), (Bytes{0x01, 0x01, 0x23}));
}

TEST_F(ConfigFileTest, SavedRacksReadBackRecordForRecord) {
    sim::RackDescription thirteen;
    for (std::uint8_t k = 1; k <= 12; ++k) thirteen.modules.push_back({sim::kKXF600, k, 10, true, Bytes(k, k)});
    for (const SlotTable& rack : {TableOf(sim::DefaultRack()), TableOf(thirteen),
                                  TableOf({Record(0, 0), Record(0xEE, 1, Bytes(kConfigCapacity, 0xC3))})}) {
        std::error_code error;
        ASSERT_TRUE(SaveConfigFile(Path("rack.kcf"), rack, error));
        LoadedConfig loaded = Earlier();
        ASSERT_EQ(ReadConfigFile(Path("rack.kcf"), loaded), ConfigReadResult::Read);
        ExpectRecords(loaded, rack);
    }
    test::Write(Path("empty.kcf"), {});
    LoadedConfig loaded = Earlier();
    ASSERT_EQ(ReadConfigFile(Path("empty.kcf"), loaded), ConfigReadResult::Read);
    EXPECT_EQ(loaded.LoadedCount, 0);
    EXPECT_EQ(loaded.LoadedTable[1].ConfigLength, 3) << "records past the count stay as they were";
}

TEST_F(ConfigFileTest, FilesBeyondTheTableOrDamagedAreRefusedWithNothingChanged) {
    Bytes fifteen;
    for (int k = 0; k < 15; ++k) fifteen.insert(fifteen.end(), {0x02, 0x00, 0x01, 0x33});
    Bytes sixteen = fifteen;
    sixteen.push_back(0x00);
    Bytes tooLong{0x00, 0x00, 0x00, 0x05, 0x04, 0x01};
    tooLong.insert(tooLong.end(), 0x0401, 0x44);
    // The largest file there can be, every record full, and one byte past it.
    Bytes fifteenFull;
    for (int k = 0; k < 15; ++k) {
        fifteenFull.insert(fifteenFull.end(), {0x02, 0x04, 0x00});
        fifteenFull.insert(fifteenFull.end(), kConfigCapacity, 0x01);
    }
    Bytes sixteenFull = fifteenFull;
    sixteenFull.push_back(0x02);
    const std::vector<std::pair<Bytes, ConfigReadResult>> cases{
        {fifteen, ConfigReadResult::Read},
        {sixteen, ConfigReadResult::TooManyRecords},
        {sixteenFull, ConfigReadResult::TooManyRecords},
        {tooLong, ConfigReadResult::RecordTooLong},
        {{0x00, 0x00, 0x00, 0x02}, ConfigReadResult::Truncated},
        {{0x00, 0x00, 0x00, 0x02, 0x00}, ConfigReadResult::Truncated},
        {{0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x09, 0x09}, ConfigReadResult::Truncated},
    };
    for (const auto& [bytes, result] : cases) {
        test::Write(Path("file.kcf"), bytes);
        LoadedConfig loaded = Earlier();
        EXPECT_EQ(ReadConfigFile(Path("file.kcf"), loaded), result) << bytes.size();
        EXPECT_EQ(loaded.LoadedCount, result == ConfigReadResult::Read ? 15 : 2) << bytes.size();
        EXPECT_EQ(loaded.LoadedTable[1].ConfigLength, result == ConfigReadResult::Read ? 1 : 3) << bytes.size();
        LoadedConfig fromBytes = Earlier();
        EXPECT_EQ(ReadConfigBytes(bytes, fromBytes), result) << bytes.size();
        EXPECT_EQ(fromBytes.LoadedCount, loaded.LoadedCount) << bytes.size();
        EXPECT_EQ(fromBytes.LoadedTable[1].ConfigLength, loaded.LoadedTable[1].ConfigLength) << bytes.size();
    }
    test::Write(Path("full.kcf"), fifteenFull);
    LoadedConfig full = Earlier();
    ASSERT_EQ(ReadConfigFile(Path("full.kcf"), full), ConfigReadResult::Read);
    EXPECT_EQ(full.LoadedCount, 15);
    EXPECT_EQ(full.LoadedTable[14].ConfigLength, kConfigCapacity);
    EXPECT_EQ(full.LoadedTable[14].Config[kConfigCapacity - 1], 0x01);
    EXPECT_EQ(full.LoadedTable[0].Config[2], 0x01);
    LoadedConfig loaded = Earlier();
    fs::create_directory(Path("folder.kcf"));
    EXPECT_EQ(ReadConfigFile(Path("folder.kcf"), loaded), ConfigReadResult::CannotOpen);
    EXPECT_EQ(ReadConfigFile(Path("none.kcf"), loaded), ConfigReadResult::CannotOpen);
    EXPECT_EQ(loaded.LoadedCount, 2);
}

// Writes to regular files stop at `bytes`, as a full disk would stop them.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(ConfigFileTest, AFailedSaveLeavesTheOldFileWhole) {
    std::error_code error;
    ASSERT_TRUE(
        SaveConfigFile(Path("rack.kcf"), TableOf({Record(0, 0), Record(sim::kKXB200, 1, Bytes(30, 1))}), error));
    const Bytes old = Contents(Path("rack.kcf"));
    {
        const FileSizeLimit fullDisk(64);
        EXPECT_FALSE(SaveConfigFile(Path("rack.kcf"), TableOf(sim::DefaultRack()), error));
    }
    EXPECT_TRUE(error);
    EXPECT_EQ(Contents(Path("rack.kcf")), old);
    EXPECT_EQ(FileCount(), 1u) << "nothing half-written is left beside it";

    fs::permissions(Path("rack.kcf"), fs::perms::owner_read);  // a file the operator protected
    EXPECT_FALSE(SaveConfigFile(Path("rack.kcf"), TableOf(sim::DefaultRack()), error));
    EXPECT_EQ(error, std::errc::permission_denied);
    EXPECT_EQ(Contents(Path("rack.kcf")), old);
    fs::permissions(Path("rack.kcf"), fs::perms::owner_all);

    EXPECT_FALSE(SaveConfigFile(Path("no-such-folder") / "rack.kcf", TableOf(sim::DefaultRack()), error));
    ASSERT_TRUE(SaveConfigFile(Path("rack.kcf"), TableOf(sim::DefaultRack()), error));
    EXPECT_NE(Contents(Path("rack.kcf")), old);
    EXPECT_EQ(FileCount(), 1u);
}

// What a save run by an unprivileged user came to, told by a child process that gave up root before saving.
enum class ChildSave { Saved, FileWriteProtected, FolderWriteProtected, OtherError, NoChild };

constexpr uid_t kNobody = 65534;

ChildSave SaveAsNobody(const fs::path& path, const SlotTable& table) {
    const pid_t child = fork();
    if (child < 0) return ChildSave::NoChild;
    if (child == 0) {
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(static_cast<int>(ChildSave::NoChild));
        std::error_code error;
        const bool saved = SaveConfigFile(path, table, error);
        ChildSave result = ChildSave::OtherError;
        if (saved) result = ChildSave::Saved;
        if (error == SaveRefusal::FileWriteProtected) result = ChildSave::FileWriteProtected;
        if (error == SaveRefusal::FolderWriteProtected) result = ChildSave::FolderWriteProtected;
        _exit(static_cast<int>(result));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? static_cast<ChildSave>(WEXITSTATUS(status)) : ChildSave::NoChild;
}

// The system decides who may write; root passes every permission check but the owner's read-only mark, so the
// cases that matter are run by a child that is no longer root.
TEST_F(ConfigFileTest, ASaveNeverReplacesAFileTheUserMayNotWrite) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    const SlotTable rack = TableOf(sim::DefaultRack());
    const SlotTable other = TableOf({Record(0, 0), Record(sim::kKXB200, 1, Bytes(30, 1))});
    const auto chmod = [](const fs::path& path, mode_t mode) { ASSERT_EQ(::chmod(path.c_str(), mode), 0); };
    const auto chown = [](const fs::path& path, uid_t owner) { ASSERT_EQ(::chown(path.c_str(), owner, owner), 0); };
    std::error_code error;

    // A folder anyone may write to, holding a file of root's that its owner may write: not the user's to replace.
    fs::create_directories(Path("open"));
    chmod(Path("open"), 0777);
    ASSERT_TRUE(SaveConfigFile(Path("open") / "root.kcf", other, error));
    chmod(Path("open") / "root.kcf", 0644);
    const Bytes old = Contents(Path("open") / "root.kcf");
    EXPECT_EQ(SaveAsNobody(Path("open") / "root.kcf", rack), ChildSave::FileWriteProtected);
    EXPECT_EQ(Contents(Path("open") / "root.kcf"), old);

    // The same folder with the sticky bit: the file is writable by all, but only its owner may replace it.
    chmod(Path("open"), 01777);
    chmod(Path("open") / "root.kcf", 0666);
    EXPECT_EQ(SaveAsNobody(Path("open") / "root.kcf", rack), ChildSave::FileWriteProtected);
    EXPECT_EQ(Contents(Path("open") / "root.kcf"), old);

    // The user's own file there is replaced and keeps its permission bits.
    ASSERT_TRUE(SaveConfigFile(Path("open") / "mine.kcf", other, error));
    chown(Path("open") / "mine.kcf", kNobody);
    chmod(Path("open") / "mine.kcf", 0604);
    EXPECT_EQ(SaveAsNobody(Path("open") / "mine.kcf", rack), ChildSave::Saved);
    EXPECT_NE(Contents(Path("open") / "mine.kcf"), old);
    EXPECT_EQ(fs::status(Path("open") / "mine.kcf").permissions(), static_cast<fs::perms>(0604));

    // A file the user may write, in a folder the user may not: it cannot be replaced safely, so it is left alone.
    fs::create_directories(Path("closed"));
    ASSERT_TRUE(SaveConfigFile(Path("closed") / "shared.kcf", other, error));
    chmod(Path("closed") / "shared.kcf", 0666);
    chmod(Path("closed"), 0755);
    EXPECT_EQ(SaveAsNobody(Path("closed") / "shared.kcf", rack), ChildSave::FolderWriteProtected);
    EXPECT_EQ(Contents(Path("closed") / "shared.kcf"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("closed")), {}), 1) << "nothing is left beside it";

    // Root itself: the folder's and the file's bits do not stop it, the owner's read-only mark does.
    chmod(Path("closed"), 0555);
    ASSERT_TRUE(SaveConfigFile(Path("closed") / "shared.kcf", rack, error)) << error.message();
    EXPECT_EQ(fs::status(Path("closed") / "shared.kcf").permissions(), static_cast<fs::perms>(0666));
    chmod(Path("closed") / "shared.kcf", 0444);
    EXPECT_FALSE(SaveConfigFile(Path("closed") / "shared.kcf", other, error));
    EXPECT_EQ(error, SaveRefusal::FileWriteProtected);
    EXPECT_NE(error.message().find("write-protected"), std::string::npos);
    chmod(Path("closed"), 0755);
}

TEST(ConfigExtension, AFileNameEndingInKcfIsKept) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"C:\\Kelvane\\config\\rack", "C:\\Kelvane\\config\\rack.kcf"},
        {"C:\\Kelvane\\config\\rack.kcf", "C:\\Kelvane\\config\\rack.kcf"},
        {"C:\\Kelvane\\config\\rack.KCF", "C:\\Kelvane\\config\\rack.KCF"},
        {"C:\\Kelvane\\config\\rack.kCf", "C:\\Kelvane\\config\\rack.kCf"},
        {"C:\\Kelvane\\config\\rack.txt", "C:\\Kelvane\\config\\rack.txt.kcf"},
        {"C:\\Kelvane\\config\\rack.kc", "C:\\Kelvane\\config\\rack.kc.kcf"},
        {"C:\\Kelvane\\config\\old.rack.kcf", "C:\\Kelvane\\config\\old.rack.kcf"},
        {"C:\\Kelvane 5.1\\config\\rack.kcf", "C:\\Kelvane 5.1\\config\\rack.kcf"},
        {"C:\\Kelvane 5.1\\config\\rack", "C:\\Kelvane 5.1\\config\\rack.kcf"},
        {"/srv/kelvane.d/config/rack.kcf", "/srv/kelvane.d/config/rack.kcf"},
        {"/srv/config/.kcf", "/srv/config/.kcf.kcf"},
        {"kcf", "kcf.kcf"},
    };
    for (const auto& [chosen, used] : cases) EXPECT_EQ(WithConfigExtension(chosen), used) << chosen;
}

}  // namespace
}  // namespace kelvane
