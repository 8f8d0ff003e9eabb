#include "WmiObjects.h"

#include "driverpipe/PipeChannel.h"

namespace chipdriver {

using driverpipe::Op;
using driverpipe::Reply;
using driverpipe::Request;

WmiServices* WmiServices::Connect(const std::wstring& nameSpace, HRESULT* result) {
    DWORD error = ERROR_SUCCESS;
    HANDLE channel = driverpipe::ConnectChannel(&error);
    if (channel == INVALID_HANDLE_VALUE) {
        *result = WBEM_E_TRANSPORT_FAILURE;
        return nullptr;
    }
    auto* services = new WmiServices(channel);
    Request request;
    request.op = Op::WmiConnect;
    driverpipe::Writer w;
    for (wchar_t c : nameSpace) w.U16(uint16_t(c));
    request.payload = w.Take();
    Reply reply;
    *result = services->Call(request, &reply);
    if (FAILED(*result)) {
        services->Release();
        return nullptr;
    }
    return services;
}

WmiServices::~WmiServices() { ::CloseHandle(channel_); }

HRESULT WmiServices::Call(const Request& request, Reply* reply) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!driverpipe::Transact(channel_, request, reply)) return WBEM_E_TRANSPORT_FAILURE;
    return HRESULT(reply->status);
}

HRESULT WmiServices::Instances(const Request& request, IEnumWbemClassObject** result) {
    if (!result) return WBEM_E_INVALID_PARAMETER;
    *result = nullptr;
    Reply reply;
    const HRESULT hr = Call(request, &reply);
    if (FAILED(hr)) return hr;
    driverpipe::Reader reader(reply.payload);
    const uint32_t count = reader.U32();
    std::vector<WmiClassObject*> objects;
    for (uint32_t i = 0; i < count; ++i) {
        WmiClassObject* object = WmiClassObject::Decode(reader);
        if (!object) break;
        objects.push_back(object);
    }
    *result = new WmiEnumerator(std::move(objects));
    return WBEM_S_NO_ERROR;
}

HRESULT WmiServices::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWbemServices)) {
        *object = static_cast<IWbemServices*>(this);
    } else if (IsEqualIID(iid, IID_IClientSecurity)) {
        *object = static_cast<IClientSecurity*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT WmiServices::ExecQuery(const BSTR language, const BSTR query, LONG flags, IWbemContext*,
                               IEnumWbemClassObject** result) {
    if (!language || !query) return WBEM_E_INVALID_PARAMETER;
    Request request;
    request.op = Op::WmiExecQuery;
    request.args[0] = uint32_t(flags);
    request.payload = driverpipe::Writer().String(language).String(query).Take();
    return Instances(request, result);
}

HRESULT WmiServices::CreateInstanceEnum(const BSTR className, LONG flags, IWbemContext*,
                                        IEnumWbemClassObject** result) {
    if (!className) return WBEM_E_INVALID_PARAMETER;
    Request request;
    request.op = Op::WmiEnumerate;
    request.args[0] = uint32_t(flags);
    request.payload = driverpipe::Writer().String(className).Take();
    return Instances(request, result);
}

HRESULT WmiServices::PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext*,
                                 IWbemCallResult** callResult) {
    auto* object = dynamic_cast<WmiClassObject*>(instance);
    if (!object) return WBEM_E_INVALID_PARAMETER;
    if (callResult) *callResult = nullptr;
    Request request;
    request.op = Op::WmiPutInstance;
    request.args[0] = uint32_t(flags);
    driverpipe::Writer w;
    object->Encode(w);
    request.payload = w.Take();
    Reply reply;
    return Call(request, &reply);
}

HRESULT WmiServices::QueryBlanket(IUnknown*, DWORD* authn, DWORD* authz, OLECHAR** principal, DWORD* level,
                                  DWORD* impersonation, void** identity, DWORD* capabilities) {
    if (authn) *authn = RPC_C_AUTHN_WINNT;
    if (authz) *authz = RPC_C_AUTHZ_NONE;
    if (principal) *principal = nullptr;
    if (level) *level = RPC_C_AUTHN_LEVEL_CALL;
    if (impersonation) *impersonation = RPC_C_IMP_LEVEL_IMPERSONATE;
    if (identity) *identity = nullptr;
    if (capabilities) *capabilities = EOAC_NONE;
    return S_OK;
}

HRESULT WmiServices::SetBlanket(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD, void*, DWORD) { return S_OK; }

HRESULT WmiServices::CopyProxy(IUnknown*, IUnknown**) { return E_NOTIMPL; }

HRESULT WmiServices::OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::CancelAsyncCall(IWbemObjectSink*) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiServices::QueryObjectSink(LONG, IWbemObjectSink**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiServices::GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiServices::PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiServices::DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**,
                                IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiServices::ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                     IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}

}  // namespace chipdriver
