// The hostile-argument scenarios against the built libStats.so, with the
// Cabrillo ones included: the POSIX dialogs answer themselves here.
#include "hostile_calls.h"
#include "plugin_folder.h"

namespace zelk::reliability {
namespace {

using HostileArguments = PluginFolder;

TEST_F(HostileArguments, NeverCrashThePluginNorSpoilItsResults) {
    const std::vector<std::string> failures =
        RunHostileCalls(plugin.Entry(), {.withCabrillo = true});
    for (const std::string& failure : failures) {
        ADD_FAILURE() << failure;
    }
    EXPECT_EQ(failures.size(), 0u);
}

}  // namespace
}  // namespace zelk::reliability
