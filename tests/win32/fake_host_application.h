// A stand-in for the host's automation object: an IDispatch that records the
// calls it receives, and its registration as the running "Vexa2.Application"
// (the programmatic identifier under HKEY_CLASSES_ROOT, the object in the
// running object table).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zelk::test {

struct HostCall {
    DISPID member = 0;
    bool nullInterface = false;  // riid was IID_NULL
    LCID locale = 0;
    WORD kind = 0;  // DISPATCH_METHOD, DISPATCH_PROPERTYPUT ...
    UINT arguments = 0;
    UINT namedArguments = 0;
    VARTYPE firstArgumentType = VT_EMPTY;
    std::wstring text;  // the first argument when it is a text
    bool resultAsked = false;
};

class FakeHostApplication final : public IDispatch {
  public:
    FakeHostApplication() = default;
    FakeHostApplication(const FakeHostApplication&) = delete;
    FakeHostApplication& operator=(const FakeHostApplication&) = delete;

    const std::vector<HostCall>& Calls() const { return m_calls; }
    void ForgetCalls() { m_calls.clear(); }
    // References held by others than its owner.
    ULONG OutsideReferences() const { return m_references - 1; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    // Lives as long as its owner: the count never frees the object.
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

  private:
    ULONG m_references = 1;
    std::vector<HostCall> m_calls;
};

// Registers the programmatic identifier with a class of the tests' own;
// removes it again when destroyed.
class RegisteredProgId {
  public:
    RegisteredProgId();
    ~RegisteredProgId();
    RegisteredProgId(const RegisteredProgId&) = delete;
    RegisteredProgId& operator=(const RegisteredProgId&) = delete;
    bool Ok() const { return m_ok; }

  private:
    bool m_ok = false;
};

// Puts the object into the running object table; takes it out again when
// destroyed.
class RunningObject {
  public:
    explicit RunningObject(IUnknown* object);
    ~RunningObject();
    RunningObject(const RunningObject&) = delete;
    RunningObject& operator=(const RunningObject&) = delete;
    bool Ok() const { return m_ok; }

  private:
    DWORD m_cookie = 0;
    bool m_ok = false;
};

// The class the tests register for "Vexa2.Application".
extern const CLSID kFakeHostClassId;

}  // namespace zelk::test
