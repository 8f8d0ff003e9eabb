#include "chipdriver/ChipDriver.h"

#include "WmiObjects.h"

namespace chipdriver {
namespace {

class WmiLocator : public IWbemLocator, private RefCounted {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWbemLocator)) {
            *object = static_cast<IWbemLocator*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    // Only the local machine's namespaces exist here; user, password, locale and authority are
    // not needed to reach them.
    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR, const BSTR, const BSTR, LONG,
                                            const BSTR, IWbemContext*, IWbemServices** services) override {
        if (!resource || !services) return WBEM_E_INVALID_PARAMETER;
        HRESULT result = WBEM_S_NO_ERROR;
        *services = WmiServices::Connect(resource, &result);
        return result;
    }
};

}  // namespace

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
    if (!IsEqualCLSID(clsid, CLSID_WbemLocator)) return ::CoCreateInstance(clsid, outer, context, iid, object);
    if (!object) return E_POINTER;
    *object = nullptr;
    // As COM would: the calling thread must have initialised COM, and WMI's locator is in-process.
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    if (CoGetApartmentType(&type, &qualifier) == CO_E_NOTINITIALIZED) return CO_E_NOTINITIALIZED;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    auto* locator = new WmiLocator;
    const HRESULT hr = locator->QueryInterface(iid, object);
    locator->Release();
    return hr;
}

}  // namespace chipdriver
