// The hostile-argument scenarios of the native reliability tests (null
// pointers, date-times of every status and value, overlong texts, guarded
// call-check buffers), played against Stats.dll in a real Windows process.
#include <gtest/gtest.h>

#include "plugin_host.h"
#include "reliability/hostile_calls.h"

namespace zelk::test {
namespace {

using HostileArguments = PluginHost;

TEST_F(HostileArguments, NeverCrashTheHostAndKeepEveryResultConsistent) {
    reliability::EntryPoints plugin;
    plugin.getNumberOfSets = m_getNumberOfSets;
    plugin.getSetName = m_getSetName;
    plugin.setupSet0 = m_setupSet0;
    plugin.resetStats0 = m_resetStats0;
    plugin.addData0 = m_addData0;
    plugin.removeData0 = m_removeData0;
    plugin.getResult0 = m_getResult0;
    plugin.checkCall0 = m_checkCall0;
    plugin.getExchgCount0 = m_getExchgCount0;
    plugin.isValidExchg0 = m_isValidExchg0;
    ASSERT_TRUE(plugin.Complete());
    // The Cabrillo scenarios stay out: they would open the real dialogs.
    const std::vector<std::string> failures = reliability::RunHostileCalls(plugin);
    for (const std::string& failure : failures) {
        ADD_FAILURE() << failure;
    }
}

}  // namespace
}  // namespace zelk::test
