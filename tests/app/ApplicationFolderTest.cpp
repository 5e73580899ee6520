#include "app/ApplicationFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

class ApplicationFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("kelvane-folder-" + std::to_string(std::random_device{}()));
        current_ = root_ / "started-in";
        home_ = root_ / "home";
        fs::create_directories(current_);
        fs::create_directories(home_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(home_, fs::perms::owner_all, ignored);
        fs::remove_all(root_, ignored);
    }

    fs::path root_;
    fs::path current_;
    fs::path home_;
};

TEST_F(ApplicationFolder, AFolderWithTheOperatorsFilesIsKeptAndNothingIsCreated) {
    for (const char* name : {"pref.txt", "firmware", "config"}) {
        const fs::path folder = root_ / name / "work";
        fs::create_directories(folder);
        if (std::string(name) == "pref.txt") {
            std::ofstream(folder / name) << "EN\n";
        } else {
            fs::create_directory(folder / name);
        }
        EXPECT_EQ(ChooseApplicationFolder(folder, {"", home_.string()}), folder) << name;
    }
    EXPECT_FALSE(fs::exists(home_ / ".local")) << "a folder in use must not create a data folder";
}

TEST_F(ApplicationFolder, StartedFromAMenuTheWindowWorksInTheDataFolderWithItsFoldersReady) {
    const fs::path chosen = ChooseApplicationFolder(current_, {"", home_.string()});
    EXPECT_EQ(chosen, home_ / ".local" / "share" / "kelvane");
    EXPECT_TRUE(fs::is_directory(chosen / "config"));
    EXPECT_TRUE(fs::is_directory(chosen / "firmware"));

    const fs::path xdg = root_ / "xdg";
    EXPECT_EQ(ChooseApplicationFolder(current_, {xdg.string(), home_.string()}), xdg / "kelvane");
    // A relative XDG_DATA_HOME is invalid: the home folder's default is used.
    EXPECT_EQ(ChooseApplicationFolder(current_, {"relative/data", home_.string()}), chosen);
}

TEST_F(ApplicationFolder, WithoutAUsableDataFolderTheCurrentFolderStays) {
    EXPECT_EQ(ChooseApplicationFolder(current_, {"", ""}), current_);
    EXPECT_EQ(ChooseApplicationFolder(current_, {"", "not/absolute"}), current_);
    // A data folder that cannot be made (a file stands where it should go).
    std::ofstream(home_ / ".local") << "not a folder";
    EXPECT_EQ(ChooseApplicationFolder(current_, {"", home_.string()}), current_);
}

}  // namespace
}  // namespace kelvane
