// Calls into the plug-in, one per entry point, with the host's full
// argument lists. Which arguments the plug-in reads is its business; these
// wrappers fill every position so the call matches the binary interface.
#include "host/plugin.h"

#include <array>

namespace zelk::host {

namespace {

template <typename Fn>
bool Resolve(const os::SharedLibrary& library, const char* name, Fn& function) {
    function = reinterpret_cast<Fn>(library.Function(name));
    return function != nullptr;
}

}  // namespace

std::variant<Plugin, std::string> Plugin::Load(const std::filesystem::path& path) {
    auto opened = os::SharedLibrary::Open(path);
    if (auto* message = std::get_if<std::string>(&opened)) {
        return *message;
    }
    Plugin plugin(std::move(std::get<os::SharedLibrary>(opened)));
    const os::SharedLibrary& lib = plugin.library_;
    for (auto [name, found] : {
             std::pair{"GetNumberOfSets", Resolve(lib, "GetNumberOfSets", plugin.getNumberOfSets_)},
             std::pair{"GetSetName", Resolve(lib, "GetSetName", plugin.getSetName_)},
             std::pair{"SetupSet0", Resolve(lib, "SetupSet0", plugin.setupSet0_)},
             std::pair{"ResetStats0", Resolve(lib, "ResetStats0", plugin.resetStats0_)},
             std::pair{"AddData0", Resolve(lib, "AddData0", plugin.addData0_)},
             std::pair{"RemoveData0", Resolve(lib, "RemoveData0", plugin.removeData0_)},
             std::pair{"GetResult0", Resolve(lib, "GetResult0", plugin.getResult0_)},
             std::pair{"CheckCall0", Resolve(lib, "CheckCall0", plugin.checkCall0_)},
             std::pair{"GetExchgCount0", Resolve(lib, "GetExchgCount0", plugin.getExchgCount0_)},
             std::pair{"IsValidExchg0", Resolve(lib, "IsValidExchg0", plugin.isValidExchg0_)},
         }) {
        if (!found) {
            return std::string("it does not export ") + name;
        }
    }
    return plugin;
}

std::string Plugin::SetName(int index) const {
    const char* name = getSetName_(index);
    return name != nullptr ? name : "";
}

bool Plugin::Reset(const ContestStart& start) const {
    const char* e = "";
    return resetStats0_(e, start.cabrillo ? 1 : 0, start.contestant.c_str(), &start.date,
                        &start.date, e, e, e, e, e, e, e, e, e, e, 0, 0, 0, start.latitude,
                        start.longitude, e, e, e) != 0;
}

bool Plugin::Add(const Contact& c) const {
    const char* e = "";
    const ZelkOleDateTime* t = &c.time;
    return addData0_(c.ownCall.c_str(), c.call.c_str(), t, t, t, t, 0u, c.freqHz, c.mode.c_str(),
                     c.rstSent.c_str(), c.rstRcvd.c_str(), c.exchSent.c_str(), c.exchRcvd.c_str(),
                     e, e, e, e, e, e, e, e, e, e, 0, 0, 0, 0.0, 0.0, e, e, e, c.group.c_str(),
                     e) != 0;
}

std::string Plugin::Result(int& result) const {
    const char* report = getResult0_(&result);
    return report != nullptr ? report : "";
}

CallCheck Plugin::CheckCall(const std::string& call, const std::string& mode,
                            const std::string& group) const {
    const char* e = "";
    // The plug-in writes at most 100 bytes; one more keeps a terminator.
    std::array<char, 101> reference{};
    std::array<char, 100> wanted{};
    CallCheck check;
    check.isNew =
        checkCall0_(call.c_str(), 0u, 0u, mode.c_str(), e, e, e, e, e, e, e, e, e, e, 0, 0, 0, 0.0,
                    0.0, e, e, e, e, e, group.c_str(), e, wanted.data(), reference.data()) != 0;
    check.reference = reference.data();
    while (!check.reference.empty() &&
           (check.reference.back() == '\n' || check.reference.back() == '\r')) {
        check.reference.pop_back();
    }
    return check;
}

}  // namespace zelk::host
