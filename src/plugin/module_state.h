// The module state: every object the entry points share, one instance per
// loaded plug-in. It composes the pieces the rules below work on (the log,
// the group list, the score tally, the Cabrillo header, the station
// coordinate, the settings) and hands each rule the pieces it needs. Members
// are declared in the order in which the plug-in constructs them at load (and
// so are destroyed in reverse at unload). The export layer owns the single
// instance; tests build their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "contest/coordinate.h"
#include "contest/settings_keys.h"
#include "log/group_list.h"
#include "log/qso_log.h"
#include "platform/platform.h"
#include "platform/settings.h"
#include "scoring/host_automation.h"
#include "scoring/score.h"

namespace zelk {

// The application object: it ties the module to its platform (on Windows,
// the module's instance handle lives in the platform layer behind it).
class CTestApp {
  public:
    explicit CTestApp(Platform& platform) : m_platform(platform) {}
    Platform& GetPlatform() const { return m_platform; }

  private:
    Platform& m_platform;
};

struct ModuleState {
    explicit ModuleState(Platform& platform) : theApp(platform) {
        g_qsoLog.SetObserver(&g_scoreTally);
    }
    ModuleState(const ModuleState&) = delete;
    ModuleState& operator=(const ModuleState&) = delete;

    Platform& platform() const { return theApp.GetPlatform(); }
    // The settings file, its reads kept in g_profileBuf.
    Settings settings() {
        return Settings(platform(), g_settingsSection, g_settingsFile, g_profileBuf);
    }
    Coordinate station() const { return {g_stationLat, g_stationLong}; }

    CTestApp theApp;
    CCabrilloLog g_cabrilloLog;
    HostDispatchHolder g_hostDispatch;
    QsoLog g_qsoLog;
    GroupList g_groupList;
    ScoreTally g_scoreTally;  // the score of g_qsoLog, following every change
    std::string g_stationCoord;
    std::string g_contestDate;
    std::string g_contestant;
    std::vector<std::string> g_refList;
    const std::string g_settingsSection{kSettingsSection};
    const std::string g_settingsFile{kSettingsFile};
    std::string g_reportText;

    // Plain values, zero at load.
    std::string g_profileBuf;  // the text of the latest settings read
    int32_t g_stationLat = 0;
    int32_t g_stationLong = 0;
    int32_t g_cabrilloWanted = 0;
    int32_t g_claimedScore = 0;
    HostClassId g_hostClsid{};
    int32_t g_hostCommandsSent = 0;
};

}  // namespace zelk
