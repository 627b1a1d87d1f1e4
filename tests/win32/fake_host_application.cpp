// The recording IDispatch and its registration (fake_host_application.h).
#include "fake_host_application.h"

#include <cstring>

namespace zelk::test {
namespace {

constexpr const char* kProgId = "Vexa2.Application";
constexpr const char* kClassIdText = "{DFEAAA5F-B08D-4432-AB65-4331821F4208}";

}  // namespace

const CLSID kFakeHostClassId = {
    0xdfeaaa5f, 0xb08d, 0x4432, {0xab, 0x65, 0x43, 0x31, 0x82, 0x1f, 0x42, 0x08}};

HRESULT FakeHostApplication::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeHostApplication::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT FakeHostApplication::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT FakeHostApplication::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT FakeHostApplication::Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                    DISPPARAMS* parameters, VARIANT* result, EXCEPINFO*, UINT*) {
    HostCall call;
    call.member = member;
    call.nullInterface = IsEqualIID(riid, IID_NULL);
    call.locale = locale;
    call.kind = flags;
    call.resultAsked = result != nullptr;
    if (parameters != nullptr) {
        call.arguments = parameters->cArgs;
        call.namedArguments = parameters->cNamedArgs;
        if (parameters->cArgs > 0) {
            const VARIANTARG& first = parameters->rgvarg[parameters->cArgs - 1];
            call.firstArgumentType = first.vt;
            if (first.vt == VT_BSTR && first.bstrVal != nullptr) {
                call.text.assign(first.bstrVal, SysStringLen(first.bstrVal));
            }
        }
    }
    m_calls.push_back(call);
    return S_OK;
}

RegisteredProgId::RegisteredProgId() {
    HKEY key = nullptr;
    const std::string path = std::string(kProgId) + "\\CLSID";
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    m_ok = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kClassIdText),
                          static_cast<DWORD>(std::strlen(kClassIdText) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

RegisteredProgId::~RegisteredProgId() {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kProgId) + "\\CLSID").c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kProgId);
}

RunningObject::RunningObject(IUnknown* object) {
    m_ok =
        SUCCEEDED(RegisterActiveObject(object, kFakeHostClassId, ACTIVEOBJECT_STRONG, &m_cookie));
}

RunningObject::~RunningObject() {
    if (m_ok) {
        RevokeActiveObject(m_cookie, nullptr);
    }
}

}  // namespace zelk::test
