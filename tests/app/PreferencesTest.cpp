#include "app/Preferences.h"

#include "app/MessageCatalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// Each test gets a directory of its own, so that runs in parallel never share a preferences file.
class Preferences : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const std::string unique = std::to_string(std::random_device{}());
        directory_ = fs::temp_directory_path() / ("kelvane-pref-" + name + "-" + unique);
        fs::create_directories(directory_);
    }

    void TearDown() override {
        std::error_code ignored;
        fs::current_path(startDirectory_, ignored);
        fs::remove_all(directory_, ignored);
    }

    void WritePreferences(std::string_view bytes) const {
        std::ofstream file(directory_ / "pref.txt", std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(file.good());
    }

    int LanguageOfFile(std::string_view bytes) const {
        WritePreferences(bytes);
        return ReadLanguagePreference(directory_);
    }

    const fs::path& Directory() const { return directory_; }

private:
    fs::path startDirectory_ = fs::current_path();
    fs::path directory_;
};

TEST_F(Preferences, EachCodeChoosesItsLanguage) {
    EXPECT_EQ(LanguageOfFile("EN\n"), kEnglish);
    EXPECT_EQ(LanguageOfFile("FR\n"), kFrench);
    EXPECT_EQ(LanguageOfFile("IT\n"), kItalian);
    EXPECT_EQ(LanguageOfFile("DE\n"), kGerman);
    EXPECT_EQ(LanguageOfFile("IT"), kItalian) << "no line end needed";
    EXPECT_EQ(LanguageOfFile("EN\r\n"), kEnglish);
}

TEST_F(Preferences, OnlyTheFirstTwoCharactersOfTheFirstLineCount) {
    EXPECT_EQ(LanguageOfFile("FRANCAIS\n"), kFrench);
    EXPECT_EQ(LanguageOfFile("ITEN\nFR\n"), kItalian);
    EXPECT_EQ(LanguageOfFile("\nEN\n"), kGerman) << "an empty first line";
    EXPECT_EQ(LanguageOfFile("E\nN\n"), kGerman) << "a first line of one character";
    EXPECT_EQ(LanguageOfFile("\r\nEN\n"), kGerman);
}

TEST_F(Preferences, ComparisonIsExact) {
    EXPECT_EQ(LanguageOfFile("fr\n"), kGerman);
    EXPECT_EQ(LanguageOfFile("Fr\n"), kGerman);
    EXPECT_EQ(LanguageOfFile("en"), kGerman);
    EXPECT_EQ(LanguageOfFile(" EN\n"), kGerman);
    EXPECT_EQ(LanguageOfFile("\tEN\n"), kGerman);
    EXPECT_EQ(LanguageOfFile("ES\n"), kGerman);
    EXPECT_EQ(LanguageOfFile(std::string_view("E\0N", 3)), kGerman);
}

TEST_F(Preferences, UnusableFilesGiveGerman) {
    EXPECT_EQ(ReadLanguagePreference(Directory()), kGerman) << "no file";
    EXPECT_EQ(LanguageOfFile(""), kGerman) << "empty file";
    EXPECT_EQ(ReadLanguagePreference(Directory() / "missing" / "deeper"), kGerman) << "no such directory";
    fs::remove(Directory() / "pref.txt");
    fs::create_directory(Directory() / "pref.txt");
    EXPECT_EQ(ReadLanguagePreference(Directory()), kGerman) << "a directory in place of the file";
    fs::remove(Directory() / "pref.txt");
    ASSERT_EQ(mkfifo((Directory() / "pref.txt").c_str(), 0600), 0);
    EXPECT_EQ(ReadLanguagePreference(Directory()), kGerman) << "a named pipe, which must not be waited on";
}

TEST_F(Preferences, ByteOrderMarkIsSkipped) {
    EXPECT_EQ(LanguageOfFile("\xEF\xBB\xBF"
                             "FR\r\n"),
              kFrench);
    EXPECT_EQ(LanguageOfFile("\xEF\xBB\xBF"
                             "IT"),
              kItalian);
    EXPECT_EQ(LanguageOfFile("\xEF\xBB\xBF"), kGerman);
    EXPECT_EQ(LanguageOfFile("\xEF\xBB\xBF"
                             " EN"),
              kGerman);
    EXPECT_EQ(LanguageOfFile("\xEF\xBB"
                             "EN"),
              kGerman)
        << "half a mark is not a mark";
    EXPECT_EQ(LanguageOfFile("\xEF\xBB\xBF\xEF\xBB\xBF"
                             "EN"),
              kGerman)
        << "only one mark is skipped";
}

TEST_F(Preferences, StartUpReadsTheWorkingDirectory) {
    WritePreferences("IT\n");
    fs::current_path(Directory());
    EXPECT_TRUE(fs::equivalent(CurrentApplicationDirectory(), Directory()));
    EXPECT_EQ(ReadLanguagePreference(CurrentApplicationDirectory()), kItalian);
}

}  // namespace
}  // namespace kelvane
