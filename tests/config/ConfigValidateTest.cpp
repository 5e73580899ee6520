// The summary dialog: OK only for a file that fits, the beep for one that does not.

#include "config/ConfigValidate.h"

#include "app/MessageCatalogue.h"
#include "config/ConfigSummary.h"
#include "platform/VirtualClock.h"
#include "res/ResourceIds.h"
#include "tests/config/SlotTables.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Record;
using Beeped = ui::HeadlessWindowSystem::Beeped;

class ConfigValidateTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        slots = test::TableOf({Record(0, 0), Record(1, 5, {1, 2, 3, 4, 5, 0}), Record(5, 6)});
        loaded.LoadedCount = 3;
        loaded.LoadedTable[0] = Record(0, 0);
        loaded.LoadedTable[1] = Record(1, 0, {7, 7, 7, 7, 7, 0});
        loaded.LoadedTable[2] = Record(5, 0);
    }

    // Opens the dialog and lets `operatorActs` play the operator in it; the dialog's result.
    int Run(const std::function<void(ui::HeadlessDialog&)>& operatorActs) {
        windows.onModal = [&](ui::HeadlessDialog& dialog) {
            caption = dialog.Caption();
            text = dialog.Text(res::kSummaryText);
            okEnabled = dialog.IsControlEnabled(res::kSummaryOkButton);
            cancelText = dialog.Text(res::kSummaryCancelButton);
            operatorActs(dialog);
        };
        CConfigValidate summary(windows, slots, loaded);
        return summary.DoModal(nullptr);
    }

    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    SlotTable slots;
    LoadedConfig loaded;
    std::string caption;
    std::string text;
    bool okEnabled = false;
    std::string cancelText;
};

TEST_F(ConfigValidateTest, AMatchingFileCanBeConfirmedOrNot) {
    EXPECT_EQ(Run([](ui::HeadlessDialog& d) { d.Click(res::kSummaryOkButton); }), CConfigValidate::kOk);
    EXPECT_EQ(caption, "CONFIGURATION");
    EXPECT_EQ(cancelText, "Cancel");  // in the operator's language, not French everywhere
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(text, ConfigSummaryText(slots, loaded));
    EXPECT_TRUE(text.starts_with("Loaded configuration matches current installation.\r\n"));
    EXPECT_TRUE(windows.beeps.empty());

    EXPECT_EQ(Run([](ui::HeadlessDialog& d) { d.PressEnter(); }), CConfigValidate::kOk);
    EXPECT_EQ(Run([](ui::HeadlessDialog& d) { d.Click(res::kSummaryCancelButton); }), CConfigValidate::kCancel);
    EXPECT_EQ(Run([](ui::HeadlessDialog& d) { d.PressEscape(); }), CConfigValidate::kCancel);
    EXPECT_EQ(Run([](ui::HeadlessDialog& d) { d.CloseBox(); }), CConfigValidate::kCancel);
}

TEST_F(ConfigValidateTest, AMismatchBeepsAndCannotBeConfirmed) {
    loaded.LoadedTable[loaded.LoadedCount++] = Record(3, 0);
    // The button is disabled, but Enter (and a click the window might still pass on) must not go through.
    EXPECT_EQ(Run([](ui::HeadlessDialog& d) {
                  d.Click(res::kSummaryOkButton);
                  d.PressEnter();
              }),
              CConfigValidate::kCancel);
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(windows.beeps, (std::vector<Beeped>{{440, 250}}));
    EXPECT_TRUE(text.starts_with("LOADED CONFIGURATION DOES NOT MATCH CURRENT INSTALLATION !\r\n"));
    EXPECT_NE(text.find("Slot 3 : KXF600\r\n"), std::string::npos) << "the extra record is described too";
}

}  // namespace
}  // namespace kelvane
