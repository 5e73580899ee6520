// The file toolkit: the reader takes regular files only, within a limit, and never waits on a pipe; the
// replace writes regular files only, whole, never through a link, and leaves nothing beside them.

#include "platform/FileToolkit.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

std::span<const std::uint8_t> BytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct ReadCase {
    const char* what;
    std::function<void(const TempFolder&)> make;  // puts something under the name "it"
    std::uintmax_t limit;
    std::string read;  // what is read, when it is
    std::error_condition why;  // why not, otherwise
};

TEST(RegularFileReader, ReadsRegularFilesWithinTheLimitAndRefusesAllElseAtOnce) {
    const auto file = [](const std::string& text) { return [text](const TempFolder& f) { f.Write("it", text); }; };
    const std::vector<ReadCase> cases{
        {"a file", file("hello"), 5, "hello", {}},
        {"an empty file", file(""), 5, "", {}},
        {"a file over the limit", file("hello!"), 5, "", std::errc::file_too_large},
        {"a link to a file",
         [](const TempFolder& f) {
             f.Write("target", "linked");
             fs::create_symlink("target", f.Path("it"));
         },
         100,
         "linked",
         {}},
        {"nothing", [](const TempFolder&) {}, 100, "", std::errc::no_such_file_or_directory},
        {"a link to nothing", [](const TempFolder& f) { fs::create_symlink("gone", f.Path("it")); }, 100, "",
         std::errc::no_such_file_or_directory},
        {"a folder", [](const TempFolder& f) { fs::create_directory(f.Path("it")); }, 100, "",
         std::errc::is_a_directory},
        {"a named pipe", [](const TempFolder& f) { ASSERT_EQ(mkfifo(f.Path("it").c_str(), 0600), 0); }, 100, "",
         std::errc::invalid_argument},
        {"a device", [](const TempFolder& f) { fs::create_symlink("/dev/zero", f.Path("it")); }, 100, "",
         std::errc::invalid_argument},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder("reader");
        c.make(folder);
        std::vector<std::uint8_t> bytes{1, 2, 3};
        std::error_code error;
        const bool read = ReadRegularFile(folder.Path("it"), c.limit, bytes, error);
        EXPECT_EQ(read, !c.why);
        EXPECT_EQ(error.default_error_condition(), c.why) << error.message();
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.read);
        EXPECT_EQ(error == FileRefusal::NotRegular, c.why == std::errc::invalid_argument) << "a reason to show";
    }
}

TEST(RegularFileReader, AFileThatGrowsPastItsLimitWhileReadIsRefused) {
    const TempFolder folder("reader");
    folder.Write("growing", "12345");
    RegularFileReader reader;
    std::error_code error;
    ASSERT_TRUE(reader.Open(folder.Path("growing"), 5, error)) << error.message();
    std::ofstream(folder.Path("growing"), std::ios::app) << "678";
    std::array<std::uint8_t, 64> into{};
    EXPECT_EQ(reader.Read(into, error), 0u);
    EXPECT_EQ(error, FileRefusal::TooLarge);
}

struct ReplaceCase {
    const char* what;
    std::function<void(const TempFolder&)> make;  // puts something under the name "it"
    std::error_code why;  // none when the replace is to succeed
};

TEST(ReplaceFileAtomically, ReplacesOnlyRegularFilesItMayWriteAndLeavesNothingBeside) {
    const std::vector<ReplaceCase> cases{
        {"nothing yet", [](const TempFolder&) {}, {}},
        {"a file", [](const TempFolder& f) { f.Write("it", "old"); }, {}},
        {"a link planted under the name a new file would once take",
         [](const TempFolder& f) {
             f.Write("elsewhere", "theirs");
             fs::create_symlink("elsewhere", f.Path(".it.partial"));
         },
         {}},
        {"a link to a file elsewhere",
         [](const TempFolder& f) {
             f.Write("elsewhere", "theirs");
             fs::create_symlink("elsewhere", f.Path("it"));
         },
         FileRefusal::SymbolicLink},
        {"a folder", [](const TempFolder& f) { fs::create_directory(f.Path("it")); },
         std::make_error_code(std::errc::is_a_directory)},
        {"a named pipe", [](const TempFolder& f) { ASSERT_EQ(mkfifo(f.Path("it").c_str(), 0600), 0); },
         FileRefusal::NotRegular},
        // The null device's node, made here where the system lets this user make one (root); a pipe otherwise.
        {"a device node",
         [](const TempFolder& f) {
             if (mknod(f.Path("it").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) mkfifo(f.Path("it").c_str(), 0600);
         },
         FileRefusal::NotRegular},
        {"a file its owner made read-only",
         [](const TempFolder& f) {
             f.Write("it", "old");
             fs::permissions(f.Path("it"), fs::perms::owner_read);
         },
         FileRefusal::FileWriteProtected},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder("replace");
        c.make(folder);
        const std::size_t before = folder.Count();
        const fs::file_status status = fs::symlink_status(folder.Path("it"));
        const bool made = !c.why && !fs::exists(status);
        std::error_code error;
        EXPECT_EQ(ReplaceFileAtomically(folder.Path("it"), BytesOf("new"), error), !c.why);
        EXPECT_EQ(error, c.why) << error.message();
        EXPECT_FALSE(error.message().empty());
        EXPECT_EQ(folder.Count(), before + (made ? 1 : 0)) << "nothing is left beside it";
        if (fs::exists(folder.Path("elsewhere"))) {
            EXPECT_EQ(folder.Text("elsewhere"), "theirs") << "never written through";
        }
        if (c.why) {
            EXPECT_EQ(fs::symlink_status(folder.Path("it")).type(), status.type()) << "left as it was";
        } else {
            EXPECT_EQ(folder.Text("it"), "new");
        }
    }
}

TEST(ReplaceFileAtomically, AReaderKeepsTheOldFileWholeAndThePermissionBitsStay) {
    const TempFolder folder("replace");
    std::error_code error;
    ASSERT_TRUE(ReplaceFileAtomically(folder.Path("kelvane.prom"), BytesOf("old\n"), error)) << error.message();
    fs::permissions(folder.Path("kelvane.prom"), static_cast<fs::perms>(0604));
    std::ifstream reader(folder.Path("kelvane.prom"));  // a collector in the middle of reading the old file
    ASSERT_TRUE(ReplaceFileAtomically(folder.Path("kelvane.prom"), BytesOf("new\n"), error)) << error.message();
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "old\n");
    EXPECT_EQ(folder.Text("kelvane.prom"), "new\n");
    EXPECT_EQ(fs::status(folder.Path("kelvane.prom")).permissions(), static_cast<fs::perms>(0604));

    EXPECT_FALSE(ReplaceFileAtomically(folder.Path("missing") / "kelvane.prom", BytesOf("x"), error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(folder.Count(), 1u);
}

}  // namespace
}  // namespace kelvane
