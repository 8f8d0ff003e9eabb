// The flash layer's WMI side: the connection to root\wmi and the chip's GPIO output word.

#include "serialflash/FlashLayer.h"
#include "serialflash/FlashOutput.h"

#include "chipdriver/ChipDriver.h"

#include <wbemcli.h>

namespace capi {
namespace {

// Windows 8 is NT 6.2; later versions report a major above 6 with minor 0.
bool IsWindows8OrLater() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
    return (version.dwMajorVersion == 6 && version.dwMinorVersion == 2) ||
           (version.dwMajorVersion > 6 && version.dwMinorVersion == 0);
}

// The first instance a WQL query returns, or null.
IWbemClassObject* FirstInstance(IWbemServices* services, const wchar_t* query, HRESULT* result) {
    BSTR language = SysAllocString(L"WQL");
    BSTR text = SysAllocString(query);
    IEnumWbemClassObject* items = nullptr;
    *result = services->ExecQuery(language, text, WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, nullptr,
                                  &items);
    SysFreeString(language);
    SysFreeString(text);
    if (FAILED(*result)) return nullptr;
    IWbemClassObject* object = nullptr;
    ULONG returned = 0;
    items->Next(WBEM_INFINITE, 1, &object, &returned);
    items->Release();
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
    if (!comSecurityDone_) {
        hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                                  nullptr, EOAC_NONE, nullptr);
        if (hr != S_OK && hr != RPC_E_TOO_LATE) {
            PrintToStdout(hr == RPC_E_NO_GOOD_SECURITY_PACKAGES ? "Failed to initialize security -- Authentication fail."
                                                                 : "Failed to initialize security.");
            CoUninitialize();
            return false;
        }
        comSecurityDone_ = true;
    }
    hr = chipdriver::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                      reinterpret_cast<void**>(&locator_));
    if (FAILED(hr)) {
        PrintToStdout("Failed to create IWbemLocator object.");
        locator_ = nullptr;
        CoUninitialize();
        return false;
    }
    BSTR nameSpace = SysAllocString(L"root\\wmi");
    hr = locator_->ConnectServer(nameSpace, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services_);
    SysFreeString(nameSpace);
    if (FAILED(hr)) {
        PrintToStdout("Failed to connect server.");
        services_ = nullptr;
        locator_->Release();
        locator_ = nullptr;
        CoUninitialize();
        return false;
    }
    hr = CoSetProxyBlanket(services_, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (FAILED(hr)) {
        PrintToStdout("Could not set proxy blanket.");
        services_->Release();
        services_ = nullptr;
        locator_->Release();
        locator_ = nullptr;
        CoUninitialize();
        return false;
    }
    windows8_ = IsWindows8OrLater();
    return true;
}

void FlashLayer::WmiDisconnect() {
    if (!services_ && !locator_) return;
    if (services_) services_->Release();
    if (locator_) locator_->Release();
    services_ = nullptr;
    locator_ = nullptr;
    CoUninitialize();
}

bool FlashLayer::WmiSetGpioValue(const uint32_t* word) {
    if (!services_) return false;
    HRESULT hr = S_OK;
    IWbemClassObject* gpio = FirstInstance(services_, L"SELECT * FROM Set_Gpio_Value_OID", &hr);
    if (FAILED(hr)) return false;
    if (!gpio) {
        PrintToStdout("Set GPIO value failed (1)\r\n");
        return false;
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = LONG(*word);
    bool written = false;
    if (FAILED(gpio->Put(L"SetGpioValue_OID", 0, &value, 0))) {
        PrintToStdout("Set GPIO value failed (2)\r\n");
    } else if (FAILED(services_->PutInstance(gpio, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr))) {
        ShowFlashBox("Set GPIO value failed (3)\r\n", nullptr);
        PrintToStdout("Set GPIO value failed (3)\r\n");
    } else {
        written = true;
    }
    gpio->Release();
    return written;
}

}  // namespace capi
