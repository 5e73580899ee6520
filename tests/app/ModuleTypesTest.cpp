#include "app/ModuleTypes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

TEST(ModuleTypes, NamesAndRolesOfEveryCode) {
    const char* names[] = {"KXA100", "KXB200", "KXD400", "KXF600", "KXB210", "KXD410", "KXD420", "KXC300", "KXE500"};
    const ModuleRole roles[] = {ModuleRole::Controller,      ModuleRole::Input, ModuleRole::Output,
                                ModuleRole::CommonInterface, ModuleRole::Input, ModuleRole::Output,
                                ModuleRole::Output,          ModuleRole::Input, ModuleRole::Output};
    for (std::uint8_t code = 0; code < 9; ++code) {
        EXPECT_STREQ(ModuleTypeName(code), names[code]);
        EXPECT_EQ(RoleOf(code), roles[code]);
    }
    EXPECT_STREQ(ModuleTypeName(9), "");
    EXPECT_STREQ(ModuleTypeName(255), "");
    EXPECT_EQ(RoleOf(9), ModuleRole::Unknown);
}

TEST(ModuleTypes, VersionLabelsInTenths) {
    EXPECT_EQ(VersionLabel(23), "V2.3");
    EXPECT_EQ(VersionLabel(5), "V0.5");
    EXPECT_EQ(VersionLabel(0), "V0.0");
    EXPECT_EQ(VersionLabel(255), "V25.5");
}

}  // namespace
}  // namespace kelvane
