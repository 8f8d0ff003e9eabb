// The driver's WMI classes through the layer's locator, with the system's own COM around it.

#include "chipdriver/ChipDriver.h"
#include "sim/ChipDriver.h"

#include <wbemcli.h>

#include <gtest/gtest.h>

namespace {

using sim::Bytes;
using sim::DriverCall;

// Releases a COM interface at the end of a scope.
template <typename T>
struct Ref {
    T* p = nullptr;
    ~Ref() { Reset(); }
    void Reset() {
        if (p) p->Release();
        p = nullptr;
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

class WmiTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(chipdriver::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                               reinterpret_cast<void**>(&locator_)),
                  S_OK);
    }

    void TearDown() override {
        services_.Reset();
        locator_.Reset();
        CoUninitialize();
    }

    HRESULT Connect(const wchar_t* nameSpace = L"root\\wmi") {
        BSTR name = SysAllocString(nameSpace);
        const HRESULT hr = locator_->ConnectServer(name, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services_);
        SysFreeString(name);
        return hr;
    }

    // The first instance of a class by "SELECT * FROM", or null.
    IWbemClassObject* First(const wchar_t* className) {
        const std::wstring query = std::wstring(L"SELECT * FROM ") + className;
        BSTR language = SysAllocString(L"WQL"), text = SysAllocString(query.c_str());
        Ref<IEnumWbemClassObject> items;
        const HRESULT hr = services_->ExecQuery(language, text, WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                                                nullptr, &items);
        SysFreeString(language), SysFreeString(text);
        if (FAILED(hr)) return nullptr;
        IWbemClassObject* object = nullptr;
        ULONG returned = 0;
        items->Next(WBEM_INFINITE, 1, &object, &returned);
        return returned ? object : nullptr;
    }

    sim::DriverHost host_;
    sim::ChipDriver chip_{host_};
    Ref<IWbemLocator> locator_;
    Ref<IWbemServices> services_;
};

TEST_F(WmiTest, GpioWordIsWrittenThroughPutInstance) {
    ASSERT_EQ(Connect(), S_OK);
    EXPECT_EQ(CoSetProxyBlanket(services_.p, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE),
              S_OK);
    Ref<IWbemClassObject> gpio;
    gpio.p = First(L"Set_Gpio_Value_OID");
    ASSERT_NE(gpio.p, nullptr);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 15;
    ASSERT_EQ(gpio->Put(L"SetGpioValue_OID", 0, &value, 0), S_OK);
    EXPECT_EQ(chip_.Gpio(), 0u) << "nothing reaches the driver before PutInstance";
    ASSERT_EQ(services_->PutInstance(gpio.p, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr), S_OK);
    EXPECT_EQ(chip_.Gpio(), 15u);

    const auto calls = host_.Calls();
    ASSERT_EQ(calls.back().kind, DriverCall::Kind::WmiPut);
    EXPECT_EQ(calls.back().target, L"Set_Gpio_Value_OID");
    EXPECT_EQ(calls.back().flags, DWORD(WBEM_FLAG_UPDATE_ONLY));
    ASSERT_NE(calls.back().object.Find(L"SetGpioValue_OID"), nullptr);
    EXPECT_EQ(calls.back().object.Find(L"SetGpioValue_OID")->i4, 15);
}

TEST_F(WmiTest, ByteArrayPropertiesTravelBothWays) {
    ASSERT_EQ(Connect(), S_OK);
    Ref<IWbemClassObject> config;
    config.p = First(L"AX88172ASpiConfig_OID");
    ASSERT_NE(config.p, nullptr);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_ARRAY | VT_UI1;
    value.parray = SafeArrayCreateVector(VT_UI1, 0, 5);
    const uint8_t on[5] = {0xF6, 0x0E, 0x00, 0x01, 0x01};
    for (LONG i = 0; i < 5; ++i) SafeArrayPutElement(value.parray, &i, const_cast<uint8_t*>(&on[i]));
    ASSERT_EQ(config->Put(L"SpiConfig", 0, &value, 0), S_OK);
    VariantClear(&value);
    ASSERT_EQ(services_->PutInstance(config.p, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr), S_OK);
    EXPECT_EQ(chip_.SpiConfig(), Bytes(on, on + 5));

    BSTR name = SysAllocString(L"AX88172ASpiConfig_OID");
    Ref<IEnumWbemClassObject> items;
    ASSERT_EQ(services_->CreateInstanceEnum(name, WBEM_FLAG_SHALLOW | WBEM_FLAG_FORWARD_ONLY, nullptr, &items), S_OK);
    SysFreeString(name);
    Ref<IWbemClassObject> read;
    ULONG returned = 0;
    ASSERT_EQ(items->Next(WBEM_INFINITE, 1, &read, &returned), S_OK);
    ASSERT_EQ(read->Get(L"SpiConfig", 0, &value, nullptr, nullptr), S_OK);
    ASSERT_EQ(value.vt, VT_ARRAY | VT_UI1);
    uint8_t* data = nullptr;
    SafeArrayAccessData(value.parray, reinterpret_cast<void**>(&data));
    EXPECT_EQ(Bytes(data, data + 5), Bytes(on, on + 5));
    SafeArrayUnaccessData(value.parray);
    VariantClear(&value);
}

TEST_F(WmiTest, RefusalsCarryTheirHresults) {
    EXPECT_EQ(Connect(L"root\\nothing"), HRESULT(WBEM_E_INVALID_NAMESPACE));
    ASSERT_EQ(Connect(), S_OK);
    BSTR language = SysAllocString(L"WQL"), query = SysAllocString(L"SELECT * FROM No_Such_Class");
    Ref<IEnumWbemClassObject> items;
    EXPECT_EQ(services_->ExecQuery(language, query, 0, nullptr, &items), HRESULT(WBEM_E_INVALID_CLASS));
    SysFreeString(language), SysFreeString(query);

    Ref<IWbemClassObject> gpio;
    gpio.p = First(L"Set_Gpio_Value_OID");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    EXPECT_EQ(gpio->Put(L"NoSuchProperty", 0, &value, 0), HRESULT(WBEM_E_NOT_FOUND));
    chip_.FailGpioWrites(true);
    EXPECT_EQ(services_->PutInstance(gpio.p, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr), HRESULT(WBEM_E_FAILED));
}

TEST_F(WmiTest, LostAdapterHasNoInstance) {
    ASSERT_EQ(Connect(), S_OK);
    chip_.SetPresent(false);
    EXPECT_EQ(First(L"Set_Gpio_Value_OID"), nullptr);
}

TEST(WmiLocatorTest, NeedsComInitialised) {
    IWbemLocator* locator = nullptr;
    EXPECT_EQ(chipdriver::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                           reinterpret_cast<void**>(&locator)),
              CO_E_NOTINITIALIZED);
}

}  // namespace
