// Host automation through COM: the host's running application object, found
// in the running object table by the class of its programmatic identifier,
// and its command method (dispatch identifier 16) invoked with one text.
#include "platform/win32/win32_platform.h"

#include <cstring>
#include <string>
#include <tuple>

namespace zelk {
namespace {

constexpr wchar_t kHostProgId[] = L"Vexa2.Application";
constexpr DISPID kHostCommandDispId = 16;

// One IDispatch reference to the host, released when this object goes.
class Win32HostDispatch final : public HostDispatch {
  public:
    explicit Win32HostDispatch(IDispatch* dispatch) : m_dispatch(dispatch) {}
    ~Win32HostDispatch() override { m_dispatch->Release(); }
    Win32HostDispatch(const Win32HostDispatch&) = delete;
    Win32HostDispatch& operator=(const Win32HostDispatch&) = delete;

    bool SendHostCommand(const std::string& text) override {
        const int length = static_cast<int>(text.size());
        const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), wideLength);

        VARIANTARG argument;
        VariantInit(&argument);
        argument.vt = VT_BSTR;
        argument.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        if (argument.bstrVal == nullptr) {
            return false;
        }
        DISPPARAMS parameters{&argument, nullptr, 1, 0};
        const HRESULT result = m_dispatch->Invoke(kHostCommandDispId, IID_NULL, 0, DISPATCH_METHOD,
                                                  &parameters, nullptr, nullptr, nullptr);
        VariantClear(&argument);
        return SUCCEEDED(result);
    }

  private:
    IDispatch* m_dispatch;
};

// One attempt: the thread is in a COM apartment from construction to
// destruction.
class Win32AutomationSession final : public AutomationSession {
  public:
    explicit Win32AutomationSession(const CLSID& hostClass) : m_hostClass(hostClass) {
        CoInitialize(nullptr);
    }
    ~Win32AutomationSession() override { CoUninitialize(); }
    Win32AutomationSession(const Win32AutomationSession&) = delete;
    Win32AutomationSession& operator=(const Win32AutomationSession&) = delete;

    std::unique_ptr<HostDispatch> FindRunningHost() override {
        IUnknown* running = nullptr;
        if (FAILED(GetActiveObject(m_hostClass, nullptr, &running)) || running == nullptr) {
            return nullptr;
        }
        IDispatch* dispatch = nullptr;
        const HRESULT asked =
            running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        running->Release();
        if (FAILED(asked) || dispatch == nullptr) {
            return nullptr;
        }
        return std::make_unique<Win32HostDispatch>(dispatch);
    }

  private:
    CLSID m_hostClass;
};

}  // namespace

std::unique_ptr<AutomationSession> Win32Platform::BeginAutomation(HostClassId& clsid) {
    // When the identifier is not registered the class stays all zero and the
    // running object table has nothing for it.
    CLSID hostClass{};
    CLSIDFromProgID(kHostProgId, &hostClass);
    static_assert(sizeof hostClass == std::tuple_size_v<HostClassId>);
    std::memcpy(clsid.data(), &hostClass, sizeof hostClass);
    return std::make_unique<Win32AutomationSession>(hostClass);
}

}  // namespace zelk
