// The plug-in library as the host sees it: loaded at run time, its ten entry
// points resolved by their plain names, and called with exactly the
// argument lists the host uses. Arguments that the plug-in leaves unused get
// neutral values (empty texts, zeros, the contact time).
#pragma once

#include <filesystem>
#include <string>
#include <variant>

#include "contest/plugin_abi.h"
#include "host/contact.h"
#include "host/system.h"

namespace zelk::host {

struct ContestStart {
    bool cabrillo = false;
    std::string contestant;
    ZelkOleDateTime date{0.0, kZelkDateTimeNull};
    double latitude = 0.0;  // used by the plug-in when no coordinate is stored
    double longitude = 0.0;
};

struct CallCheck {
    bool isNew = false;
    std::string reference;  // empty when the reference list has no entry
};

class Plugin {
  public:
    // The plug-in, or a message saying why it cannot be used.
    static std::variant<Plugin, std::string> Load(const std::filesystem::path& path);

    int NumberOfSets() const { return getNumberOfSets_(); }
    std::string SetName(int index) const;
    void Setup() const { setupSet0_(); }
    bool Reset(const ContestStart& start) const;
    // True when the plug-in admitted the contact.
    bool Add(const Contact& contact) const;
    // The report text; `result` receives what the plug-in hands back.
    std::string Result(int& result) const;
    CallCheck CheckCall(const std::string& call, const std::string& mode,
                        const std::string& group) const;

  private:
    explicit Plugin(os::SharedLibrary library) : library_(std::move(library)) {}

    os::SharedLibrary library_;
    ZelkGetNumberOfSetsFn getNumberOfSets_ = nullptr;
    ZelkGetSetNameFn getSetName_ = nullptr;
    ZelkSetupSet0Fn setupSet0_ = nullptr;
    ZelkResetStats0Fn resetStats0_ = nullptr;
    ZelkAddData0Fn addData0_ = nullptr;
    ZelkRemoveData0Fn removeData0_ = nullptr;
    ZelkGetResult0Fn getResult0_ = nullptr;
    ZelkCheckCall0Fn checkCall0_ = nullptr;
    ZelkGetExchgCount0Fn getExchgCount0_ = nullptr;
    ZelkIsValidExchg0Fn isValidExchg0_ = nullptr;
};

}  // namespace zelk::host
