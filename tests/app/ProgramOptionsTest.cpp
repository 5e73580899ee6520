#include "app/ProgramOptions.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using Strings = std::vector<std::string>;

TEST(ProgramOptions, PortAndTraceBeforeTheCommandInAnyOrder) {
    Strings args{"--port", "rfc2217:tx-site-3:2001", "--trace=line.pcapng", "find", "--port", "x"};
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(TakeProgramOptions(args, "", options, error)) << error;
    EXPECT_EQ(options.portEntry, "rfc2217:tx-site-3:2001");
    EXPECT_EQ(options.traceFile, "line.pcapng");
    EXPECT_EQ(args, (Strings{"find", "--port", "x"}));  // after the command, options are the command's

    args = {"--port=tcp:host:2000", "modules"};
    options = {};
    ASSERT_TRUE(TakeProgramOptions(args, "env.pcapng", options, error));
    EXPECT_EQ(options.portEntry, "tcp:host:2000");
    EXPECT_EQ(options.traceFile, "env.pcapng");
    EXPECT_EQ(args, Strings{"modules"});

    args = {"--rack", "Mont Aigoual"};
    ASSERT_TRUE(TakeProgramOptions(args, "", options, error));
    EXPECT_EQ(options.rackName, "Mont Aigoual");

    for (Strings bad : {Strings{"--port"}, Strings{"--port="}, Strings{"--port", "", "find"}, Strings{"--rack="}}) {
        error.clear();
        EXPECT_FALSE(TakeProgramOptions(bad, "", options, error));
        EXPECT_NE(error.find(bad[0].substr(0, 6)), std::string::npos);
    }
}

}  // namespace
}  // namespace kelvane
