// The three plug-ins under measurement.
#include "plugins.h"

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "baseline_store.h"
#include "contest/plugin_abi.h"
#include "memory_platform.h"
#include "plugin/reference_list.h"

namespace zelk::bench {
namespace {

ResetArgs RunArgs(int cabrilloWanted) {
    ResetArgs args;
    args.cabrilloWanted = cabrilloWanted;
    args.contestant = ContactSet::kOwnCall;
    args.contestTime.m_dt = 43597.0;
    return args;
}

void Prepare(MemoryPlatform& platform, const std::string& referenceFile) {
    platform.files[std::string(kReferenceFileName)] = referenceFile;
    platform.settings["Settings|Setup_ZELK"] = kStation;
}

class IndexedPlugin : public Plugin {
  public:
    explicit IndexedPlugin(const std::string& referenceFile) { Prepare(m_platform, referenceFile); }
    int Reset(int cabrilloWanted) override { return ResetStats0(m_state, RunArgs(cabrilloWanted)); }
    int Add(const ContactArgs& args) override { return AddData0(m_state, args); }
    int Remove(const ContactArgs& args) override { return RemoveData0(m_state, args); }
    int Check(const ContactArgs& a, char* buffer) override {
        return CheckCall0(m_state, a.call, a.mode, a.group, buffer, buffer);
    }
    const char* Result(int* result) override { return GetResult0(m_state, result); }

  private:
    MemoryPlatform m_platform;
    ModuleState m_state{m_platform};
};

class BaselinePlugin : public Plugin {
  public:
    explicit BaselinePlugin(const std::string& referenceFile) {
        Prepare(m_platform, referenceFile);
    }
    int Reset(int cabrilloWanted) override {
        return BaselineResetStats0(m_state, RunArgs(cabrilloWanted));
    }
    int Add(const ContactArgs& args) override { return BaselineAddData0(m_state, args); }
    int Remove(const ContactArgs& args) override { return BaselineRemoveData0(m_state, args); }
    int Check(const ContactArgs& a, char* buffer) override {
        return BaselineCheckCall0(m_state, a.call, a.mode, a.group, buffer, buffer);
    }
    const char* Result(int* result) override { return BaselineGetResult0(m_state, result); }
    void Fill(const ContactSet& contacts) override {
        for (std::size_t i = 0; i < contacts.Size(); ++i) {
            BaselineAddData0(m_state, contacts.Args(contacts[i]), false);
        }
    }

  private:
    MemoryPlatform m_platform;
    BaselineState m_state{m_platform};
};

#if defined(ZELK_PLUGIN_LIBRARY)
// Texts handed to the library must end in a zero byte; the contact sets'
// texts and the literals used here all do.
const char* C(std::string_view text) {
    return text.data();
}

class LibraryPlugin : public Plugin {
  public:
    LibraryPlugin(void* handle, std::filesystem::path folder)
        : m_handle(handle), m_folder(std::move(folder)) {
        m_reset = reinterpret_cast<ZelkResetStats0Fn>(dlsym(handle, "ResetStats0"));
        m_add = reinterpret_cast<ZelkAddData0Fn>(dlsym(handle, "AddData0"));
        m_remove = reinterpret_cast<ZelkRemoveData0Fn>(dlsym(handle, "RemoveData0"));
        m_check = reinterpret_cast<ZelkCheckCall0Fn>(dlsym(handle, "CheckCall0"));
        m_result = reinterpret_cast<ZelkGetResult0Fn>(dlsym(handle, "GetResult0"));
    }
    ~LibraryPlugin() override {
        dlclose(m_handle);
        std::error_code ignored;
        std::filesystem::current_path(m_folder.parent_path(), ignored);
        std::filesystem::remove_all(m_folder, ignored);
    }
    bool Complete() const { return m_reset && m_add && m_remove && m_check && m_result; }

    int Reset(int cabrilloWanted) override {
        const ZelkOleDateTime now{43597.0, kZelkDateTimeValid};
        return m_reset("", cabrilloWanted, ContactSet::kOwnCall, &now, &now, "", "", "", "", "", "",
                       "", "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "");
    }
    int Add(const ContactArgs& a) override { return Data(m_add, a); }
    int Remove(const ContactArgs& a) override { return Data(m_remove, a); }
    int Check(const ContactArgs& a, char* buffer) override {
        return m_check(C(a.call), 0, 0, C(a.mode), "", "", "", "", "", "", "", "", "", "", 0, 0, 0,
                       0.0, 0.0, "", "", "", "", "", C(a.group), "", buffer, buffer);
    }
    const char* Result(int* result) override { return m_result(result); }

  private:
    template <class Fn>
    static int Data(Fn fn, const ContactArgs& a) {
        const ZelkOleDateTime time{a.time.m_dt, static_cast<int32_t>(a.time.m_status)};
        return fn(C(a.ownCall), C(a.call), &time, &time, &time, &time, 0, a.freqHz, C(a.mode),
                  C(a.rstSent), C(a.rstRcvd), C(a.exchSent), C(a.exchRcvd), "", "", "", "", "", "",
                  "", "", "", C(a.aux1), 0, 0, 0, 0.0, 0.0, "", C(a.aux2), "", C(a.group), "");
    }

    void* m_handle;
    std::filesystem::path m_folder;
    ZelkResetStats0Fn m_reset;
    ZelkAddData0Fn m_add;
    ZelkRemoveData0Fn m_remove;
    ZelkCheckCall0Fn m_check;
    ZelkGetResult0Fn m_result;
};
#endif

}  // namespace

std::unique_ptr<Plugin> MakeIndexedPlugin(const std::string& referenceFile) {
    return std::make_unique<IndexedPlugin>(referenceFile);
}

std::unique_ptr<Plugin> MakeBaselinePlugin(const std::string& referenceFile) {
    return std::make_unique<BaselinePlugin>(referenceFile);
}

std::unique_ptr<Plugin> MakeLibraryPlugin(const std::string& referenceFile, std::string& why) {
#if defined(ZELK_PLUGIN_LIBRARY)
    // The library works in the host's current folder: give it one of its own
    // with the reference file and the station setting in place.
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("zelk_bench_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder / "Plugins");
    std::ofstream(folder / "Plugins" / "zelk.dat", std::ios::binary) << referenceFile;
    std::ofstream(folder / "Plugins" / "ZELK.ini", std::ios::binary)
        << "[Settings]\r\nSetup_ZELK=" << kStation << "\r\n";
    fs::current_path(folder);
    void* handle = dlopen(ZELK_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        why = dlerror();
        return nullptr;
    }
    auto plugin = std::make_unique<LibraryPlugin>(handle, folder);
    if (!plugin->Complete()) {
        why = "the library lacks an entry point";
        return nullptr;
    }
    return plugin;
#else
    (void)referenceFile;
    why = "libStats.so is not built in this tree";
    return nullptr;
#endif
}

}  // namespace zelk::bench
