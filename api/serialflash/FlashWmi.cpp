// The flash layer's WMI side: the connection to root\wmi and the chip's GPIO output word.

#include "serialflash/FlashLayer.h"
#include "serialflash/FlashOutput.h"

#include "chipdriver/ChipDriver.h"

#include <wbemcli.h>

namespace capi {
namespace {

using Microsoft::WRL::ComPtr;

// Windows 8 is NT 6.2; later versions report a major above 6 with minor 0.
bool IsWindows8OrLater() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
    return (version.dwMajorVersion == 6 && version.dwMinorVersion == 2) ||
           (version.dwMajorVersion > 6 && version.dwMinorVersion == 0);
}

// A BSTR for the length of a call.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : text_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return text_; }

private:
    BSTR text_;
};

// COM for this thread, given back on the way out of a connect that failed after it was taken.
class ComUse {
public:
    ~ComUse() {
        if (!kept_) CoUninitialize();
    }
    // The connection keeps it; WmiDisconnect gives it back.
    void Keep() { kept_ = true; }

private:
    bool kept_ = false;
};

// The first instance a WQL query returns, or null.
ComPtr<IWbemClassObject> FirstInstance(IWbemServices* services, const wchar_t* query, HRESULT* result) {
    ComPtr<IEnumWbemClassObject> items;
    *result = services->ExecQuery(Bstr(L"WQL"), Bstr(query), WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                                  nullptr, items.GetAddressOf());
    if (FAILED(*result)) return nullptr;
    ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    items->Next(WBEM_INFINITE, 1, object.GetAddressOf(), &returned);
    return returned ? object : nullptr;
}

}  // namespace

bool FlashLayer::WmiConnect() {
    // A second connection replaces the first rather than leaking it.
    WmiDisconnect();
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        ShowFlashBox("Failed to initialize COM library.", nullptr);
        PrintToStdout("Failed to initialize COM library.");
        return false;
    }
    ComUse com;
    if (!comSecurityDone_) {
        hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                                  nullptr, EOAC_NONE, nullptr);
        if (hr != S_OK && hr != RPC_E_TOO_LATE) {
            PrintToStdout(hr == RPC_E_NO_GOOD_SECURITY_PACKAGES ? "Failed to initialize security -- Authentication fail."
                                                                 : "Failed to initialize security.");
            return false;
        }
        comSecurityDone_ = true;
    }
    ComPtr<IWbemLocator> locator;
    hr = chipdriver::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                      reinterpret_cast<void**>(locator.GetAddressOf()));
    if (FAILED(hr)) {
        PrintToStdout("Failed to create IWbemLocator object.");
        return false;
    }
    ComPtr<IWbemServices> services;
    hr = locator->ConnectServer(Bstr(L"root\\wmi"), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                services.GetAddressOf());
    if (FAILED(hr)) {
        PrintToStdout("Failed to connect server.");
        return false;
    }
    hr = CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (FAILED(hr)) {
        PrintToStdout("Could not set proxy blanket.");
        return false;
    }
    locator_ = std::move(locator);
    services_ = std::move(services);
    com.Keep();
    windows8_ = IsWindows8OrLater();
    return true;
}

void FlashLayer::WmiDisconnect() {
    if (!services_ && !locator_) return;
    services_.Reset();
    locator_.Reset();
    CoUninitialize();
}

bool FlashLayer::WmiSetGpioValue(const uint32_t* word) {
    if (!services_) return false;
    HRESULT hr = S_OK;
    const ComPtr<IWbemClassObject> gpio = FirstInstance(services_.Get(), L"SELECT * FROM Set_Gpio_Value_OID", &hr);
    if (FAILED(hr)) return false;
    if (!gpio) {
        PrintToStdout("Set GPIO value failed (1)\r\n");
        return false;
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = LONG(*word);
    if (FAILED(gpio->Put(L"SetGpioValue_OID", 0, &value, 0))) {
        PrintToStdout("Set GPIO value failed (2)\r\n");
        return false;
    }
    if (FAILED(services_->PutInstance(gpio.Get(), WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr))) {
        ShowFlashBox("Set GPIO value failed (3)\r\n", nullptr);
        PrintToStdout("Set GPIO value failed (3)\r\n");
        return false;
    }
    return true;
}

}  // namespace capi
