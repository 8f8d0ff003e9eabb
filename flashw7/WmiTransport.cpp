#include "WmiTransport.h"

#include "Boxes.h"

#include "chipdriver/ChipDriver.h"

#include <cstring>
#include <string>

namespace win7 {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kSpiConfigClass[] = L"AX88172ASpiConfig_OID";
constexpr wchar_t kSpiSendCommandClass[] = L"AX88172ASpiSendCommand_OID";
constexpr wchar_t kSpiStatusClass[] = L"AX88172ASpiStatus_OID";
constexpr wchar_t kSpiDataClass[] = L"AX88172ASpiGetData_OID";
constexpr wchar_t kGpioClass[] = L"Set_Gpio_Value_OID";

constexpr int kSpiStatusDone = 4;
constexpr int kSpiStatusFailed = 3;
constexpr int kStatusNoInstance = 128;
constexpr int kStatusUnreadable = 129;
constexpr int kStatusPolls = 21;
constexpr uint32_t kStatusPollMs = 20;

// A VARIANT cleared (and whatever array it holds destroyed) when it goes.
struct Variant : VARIANT {
    Variant() { VariantInit(this); }
    ~Variant() { VariantClear(this); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

struct Bstr {
    explicit Bstr(const wchar_t* text) : value(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR value;
};

// Puts a new one-dimensional byte array holding the bytes into the variant; false when the array
// could not be made.
bool MakeByteArray(const uint8_t* bytes, int length, Variant* value) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(length));
    if (!array) return false;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        return false;
    }
    if (length > 0) std::memcpy(data, bytes, size_t(length));
    SafeArrayUnaccessData(array);
    value->vt = VT_ARRAY | VT_UI1;
    value->parray = array;
    return true;
}

// Copies the first `length` bytes of a byte array; false when the value is no one-dimensional byte
// array or holds fewer bytes.
bool CopyByteArray(const VARIANT& value, uint8_t* buffer, int length) {
    if (value.vt != (VT_ARRAY | VT_UI1) || !value.parray || SafeArrayGetDim(value.parray) != 1) return false;
    LONG low = 0, high = -1;
    if (FAILED(SafeArrayGetLBound(value.parray, 1, &low)) || FAILED(SafeArrayGetUBound(value.parray, 1, &high)))
        return false;
    if (LONGLONG(high) - low + 1 < length) return false;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(value.parray, &data))) return false;
    if (length > 0) std::memcpy(buffer, data, size_t(length));
    SafeArrayUnaccessData(value.parray);
    return true;
}

}  // namespace

bool WmiTransport::Found(Lookup lookup, const char* queryFailed, const char* noInstance, const char* caption) {
    const char* text = lookup == Lookup::QueryFailed  ? queryFailed
                       : lookup == Lookup::NoInstance ? noInstance
                                                      : nullptr;
    if (text) ShowBox(text, caption);
    return lookup == Lookup::Found;
}

// A second connection replaces the first: it is released before anything else happens.
bool WmiTransport::WmiConnect() {
    WmiDisconnect();
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        ShowBox("Failed to initialize COM library.\r\n", kDriverApiCaption);
        return false;
    }
    comInitialised_ = true;
    hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                              nullptr, EOAC_NONE, nullptr);
    // Security is set once per process: a later connection finds it too late, which is fine.
    if (FAILED(hr) && hr != RPC_E_TOO_LATE) {
        ShowBox("Failed to initialize security.\r\n", kDriverApiCaption);
        WmiDisconnect();
        return false;
    }
    if (!ConnectServices(false)) {
        WmiDisconnect();
        return false;
    }
    return true;
}

bool WmiTransport::WmiConnectShared() {
    WmiDisconnect();
    return ConnectServices(true);
}

bool WmiTransport::ConnectServices(bool shared) {
    ForgetDriverLoss();
    const char* caption = shared ? nullptr : kDriverApiCaption;
    HRESULT hr = chipdriver::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                              reinterpret_cast<void**>(locator_.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) {
        locator_.Reset();
        ShowBox(shared ? "(Win7)Failed to create IWbemLocator object." : "Failed to create IWbemLocator object.\r\n",
                caption);
        return false;
    }
    Bstr nameSpace(L"root\\wmi");
    hr = locator_->ConnectServer(nameSpace.value, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                 services_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        services_.Reset();
        locator_.Reset();
        ShowBox(shared ? "(Win7)Failed to connect server." : "Failed to connect server.\r\n", caption);
        return false;
    }
    hr = CoSetProxyBlanket(services_.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (FAILED(hr)) {
        services_.Reset();
        locator_.Reset();
        ShowBox(shared ? "(Win7)Could not set proxy blanket." : "Could not set proxy blanket.\r\n", caption);
        return false;
    }
    return true;
}

void WmiTransport::WmiDisconnect() {
    services_.Reset();
    locator_.Reset();
    if (comInitialised_) CoUninitialize();
    comInitialised_ = false;
}

WmiTransport::Lookup WmiTransport::QueryFirst(const wchar_t* className, ComPtr<IWbemClassObject>* object) {
    Bstr language(L"WQL");
    Bstr query((std::wstring(L"SELECT * FROM ") + className).c_str());
    ComPtr<IEnumWbemClassObject> items;
    if (!services_ || FAILED(services_->ExecQuery(language.value, query.value,
                                                  WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, nullptr,
                                                  items.GetAddressOf())))
        return Lookup::QueryFailed;
    ULONG returned = 0;
    items->Next(WBEM_INFINITE, 1, object->ReleaseAndGetAddressOf(), &returned);
    return returned == 1 && *object ? Lookup::Found : Lookup::NoInstance;
}

WmiTransport::Lookup WmiTransport::EnumerateFirst(const wchar_t* className, ComPtr<IWbemClassObject>* object) {
    Bstr name(className);
    ComPtr<IEnumWbemClassObject> items;
    if (!services_ || FAILED(services_->CreateInstanceEnum(name.value, WBEM_FLAG_SHALLOW | WBEM_FLAG_FORWARD_ONLY,
                                                           nullptr, items.GetAddressOf())))
        return Lookup::QueryFailed;
    ULONG returned = 0;
    items->Next(WBEM_INFINITE, 1, object->ReleaseAndGetAddressOf(), &returned);
    return returned == 1 && *object ? Lookup::Found : Lookup::NoInstance;
}

// Only the SPI classes count: the GPIO class may be missing from a driver that serves the flash.
// The mark follows the last lookups, so that an adapter that came back does not fail every later
// transaction.
WmiTransport::Lookup WmiTransport::Noted(Lookup lookup) {
    const bool failedAgain = lookup == Lookup::QueryFailed && lastLookup_ == Lookup::QueryFailed;
    driverGone_ = lookup == Lookup::NoInstance || failedAgain;
    lastLookup_ = lookup;
    return lookup;
}

bool WmiTransport::WmiSpiConfig(const spiflash::SpiConfig& record) {
    ComPtr<IWbemClassObject> object;
    if (!Found(Noted(QueryFirst(kSpiConfigClass, &object)), "WMI ExecQuery failed.\r\n", "No Device.\r\n",
               kDriverApiCaption))
        return false;
    Variant config;
    if (!MakeByteArray(record.data(), int(record.size()), &config)) {
        ShowBox("Failed to create SPI configuration data array.\r\n", kDriverApiCaption);
        return false;
    }
    HRESULT hr = object->Put(L"SpiConfig", 0, &config, 0);
    if (SUCCEEDED(hr)) hr = services_->PutInstance(object.Get(), WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr);
    if (FAILED(hr)) {
        ShowResultBox("SPI configuration failed, error: 0x%08x\r\n", hr, kDriverApiCaption);
        return false;
    }
    return true;
}

bool WmiTransport::WmiSpiSendCmd(const uint8_t* block, int length) {
    ComPtr<IWbemClassObject> object;
    if (!Found(Noted(QueryFirst(kSpiSendCommandClass, &object)), "WMI ExecQuery failed\r\n", "No Device\r\n",
               kDriverApiCaption))
        return false;
    Variant count;
    count.vt = VT_I4;
    count.lVal = length;
    HRESULT hr = object->Put(L"NumberElements", 0, &count, 0);
    if (FAILED(hr)) {
        ShowResultBox("Set SPI send data length failed, error: 0x%08x\r\n", hr, kDriverApiCaption);
        return false;
    }
    Variant bytes;
    if (!MakeByteArray(block, length, &bytes)) {
        ShowBox("Failed to create SPI send data array.\r\n", kDriverApiCaption);
        return false;
    }
    hr = object->Put(L"SpiSendCommand", 0, &bytes, 0);
    if (SUCCEEDED(hr)) hr = services_->PutInstance(object.Get(), WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr);
    if (FAILED(hr)) {
        ShowResultBox("SPI send failed, error: 0x%08x\r\n", hr, kDriverApiCaption);
        return false;
    }
    return true;
}

bool WmiTransport::WmiSpiReadStatus(int* status) {
    ComPtr<IWbemClassObject> object;
    if (!Found(Noted(EnumerateFirst(kSpiStatusClass, &object)), "WMI ExecQuery failed\r\n", "No Device\r\n",
               nullptr)) {
        *status = kStatusNoInstance;
        return false;
    }
    Variant value;
    if (FAILED(object->Get(L"SpiStatus", 0, &value, nullptr, nullptr)) ||
        FAILED(VariantChangeType(&value, &value, 0, VT_I4))) {
        ShowBox("Get SPI status failed\r\n");
        *status = kStatusUnreadable;
        return false;
    }
    *status = value.lVal;
    return true;
}

bool WmiTransport::WmiSpiReadData(uint8_t* buffer, int length) {
    ComPtr<IWbemClassObject> object;
    if (!Found(Noted(EnumerateFirst(kSpiDataClass, &object)), "WMI ExecQuery failed\r\n", "No Device\r\n", nullptr))
        return false;
    // The driver's array is taken only when it is one of bytes and holds all that was asked for.
    Variant value;
    if (FAILED(object->Get(L"SpiData", 0, &value, nullptr, nullptr)) || !CopyByteArray(value, buffer, length)) {
        ShowBox("Get SPI data failed\r\n");
        return false;
    }
    return true;
}

bool WmiTransport::WmiSetGpioValue(const uint32_t* word) {
    ComPtr<IWbemClassObject> object;
    if (!Found(QueryFirst(kGpioClass, &object), "No Device\r\n", nullptr, kDriverApiCaption)) return false;
    Variant value;
    value.vt = VT_I4;
    value.lVal = LONG(*word);
    return SUCCEEDED(object->Put(L"SetGpioValue_OID", 0, &value, 0)) &&
           SUCCEEDED(services_->PutInstance(object.Get(), WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr));
}

WmiTransport::PollEnd WmiTransport::PollStatus() {
    for (int poll = 0; poll < kStatusPolls; ++poll) {
        clock_.Pause(kStatusPollMs);
        int status = 0;
        if (!WmiSpiReadStatus(&status)) return PollEnd::ReadFailed;
        if (status == kSpiStatusDone) return PollEnd::Done;
        if (status == kSpiStatusFailed) return PollEnd::Failed;
    }
    return PollEnd::TimedOut;
}

bool WmiTransport::SpiTransact(spiflash::Direction direction, const uint8_t* command, uint32_t commandLength,
                               uint8_t* data, uint32_t dataLength) {
    if (!locator_ && !services_) {
        ShowBox("Services return false");
        return false;
    }
    if (!command || commandLength == 0) {
        ShowBox("SPI OP code error!!");
        return false;
    }
    spiflash::CommandBlock block;
    const size_t length = spiflash::BuildCommandBlock(direction, command, commandLength, data, dataLength, &block);
    if (length == 0) return false;  // more than a page program carries: no command does that
    if (!WmiSpiSendCmd(block.data(), int(length))) {
        ShowBox("WmiSpiSendCmd return false");
        return false;
    }
    switch (PollStatus()) {
    case PollEnd::ReadFailed:
        ShowBox("WmiSpiReadStatus return false");
        return false;
    case PollEnd::Failed:
        ShowBox("SPI_STATUS_FAILED return false");
        return false;
    case PollEnd::TimedOut:
        ShowBox("SPI send timeout");
        return false;
    case PollEnd::Done:
        break;
    }
    if (direction == spiflash::Direction::Read && dataLength > 0 && !WmiSpiReadData(data, int(dataLength))) {
        ShowBox("WmiSpiReadData return false");
        return false;
    }
    return true;
}

bool WmiTransport::SpiSetInterface(bool enable, bool flagA, bool flagB, uint8_t mode, uint8_t clock) {
    if (!locator_ && !services_) return false;
    if (!WmiSpiConfig(spiflash::MakeSpiConfig(enable, flagA, flagB, mode, clock))) return false;
    switch (PollStatus()) {
    case PollEnd::Done:
        return true;
    case PollEnd::TimedOut:
        ShowBox("SPI set interface timeout");
        return false;
    case PollEnd::ReadFailed:
    case PollEnd::Failed:
        return false;
    }
    return false;
}

}  // namespace win7
