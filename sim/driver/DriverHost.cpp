#include "sim/DriverHost.h"

#include "PipeMessages.h"

#include <wbemcli.h>

#include <atomic>
#include <cstring>
#include <cwctype>
#include <sstream>

namespace sim {
namespace {

constexpr int kPipeInstances = 8;
constexpr DWORD kPipeBuffer = 65536;

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = wchar_t(std::towupper(c));
    return text;
}

std::wstring NewPipeName() {
    static std::atomic<unsigned> serial{0};
    std::wostringstream name;
    name << L"\\\\.\\pipe\\brevix-driver-" << GetCurrentProcessId() << L"-" << serial++;
    return name.str();
}

// "SELECT * FROM <class>" in WQL: the only query the drivers' clients make.
bool ParseSelectAll(const std::wstring& query, std::wstring* className) {
    std::wistringstream words(query);
    std::wstring select, star, from, name, rest;
    words >> select >> star >> from >> name;
    if (words >> rest) return false;
    if (Upper(select) != L"SELECT" || star != L"*" || Upper(from) != L"FROM" || name.empty()) return false;
    *className = name;
    return true;
}

Bytes InstancesPayload(const std::vector<WmiObject>& objects) {
    PipeWriter w;
    w.U32(uint32_t(objects.size()));
    for (const WmiObject& object : objects) w.Object(object);
    return w.Take();
}

}  // namespace

const WmiValue* WmiObject::Find(const std::wstring& name) const {
    for (const auto& property : properties)
        if (Upper(property.first) == Upper(name)) return &property.second;
    return nullptr;
}

struct DriverHost::Session {
    std::shared_ptr<DriverDevice> device;  // the device this connection opened
    std::wstring path;
    std::wstring nameSpace;  // the WMI namespace this connection is connected to
};

DriverHost::DriverHost() : pipeName_(NewPipeName()) {}

DriverHost::DriverHost(std::wstring pipeName) : pipeName_(std::move(pipeName)) {}

DriverHost::~DriverHost() { Stop(); }

void DriverHost::Start() {
    server_.Start(pipeName_, kPipeInstances, kPipeBuffer, [this](PipeServer::Client& client) { Serve(client); });
}

void DriverHost::Stop() { server_.Stop(); }

void DriverHost::Attach() const { SetEnvironmentVariableW(L"BREVIX_DRIVER_PIPE", pipeName_.c_str()); }

void DriverHost::Serve(PipeServer::Client& client) {
    Session session;
    Bytes request;
    while (client.Read(&request)) {
        if (!client.Write(Handle(session, request))) break;
    }
    if (session.device) session.device->Closed();
}

Bytes DriverHost::Handle(Session& session, const Bytes& message) {
    PipeReader r(message);
    const uint32_t op = r.U32();
    uint32_t args[4];
    for (uint32_t& arg : args) arg = r.U32();
    const Bytes payload = r.Rest();
    if (!r.ok()) return PipeReply(ERROR_INVALID_PARAMETER);

    DriverCall call;
    Bytes replyPayload;
    uint32_t value = 0;
    switch (PipeOp(op)) {
    case PipeOp::Open: {
        call.kind = DriverCall::Kind::Open;
        call.target = PipeReader::Utf16(payload);
        call.code = args[0];
        call.flags = args[3];
        std::shared_ptr<DriverDevice> device = FindDevice(call.target);
        call.result = device ? device->Open(args[0], args[3]) : ERROR_FILE_NOT_FOUND;
        if (call.result == ERROR_SUCCESS) session.device = device, session.path = call.target;
        break;
    }
    case PipeOp::IoControl:
        call.kind = DriverCall::Kind::IoControl;
        call.target = session.path;
        call.code = args[0];
        call.input = payload;
        call.result = session.device ? session.device->IoControl(args[0], payload, args[1], &call.output)
                                     : uint32_t(ERROR_INVALID_HANDLE);
        if (call.output.size() > args[1]) call.output.resize(args[1]);
        replyPayload = call.output;
        value = uint32_t(call.output.size());
        break;
    case PipeOp::Read:
        call.kind = DriverCall::Kind::Read;
        call.target = session.path;
        call.result = session.device ? session.device->Read(args[0], args[1], &call.output)
                                     : uint32_t(ERROR_INVALID_HANDLE);
        if (call.output.size() > args[0]) call.output.resize(args[0]);
        replyPayload = call.output;
        value = uint32_t(call.output.size());
        break;
    case PipeOp::Write:
        call.kind = DriverCall::Kind::Write;
        call.target = session.path;
        call.input = payload;
        call.result = session.device ? session.device->Write(payload, args[0]) : uint32_t(ERROR_INVALID_HANDLE);
        value = call.result == ERROR_SUCCESS ? uint32_t(payload.size()) : 0;
        break;
    case PipeOp::Close:
        call.kind = DriverCall::Kind::Close;
        call.target = session.path;
        if (session.device) session.device->Closed();
        session.device.reset();
        session.path.clear();
        break;
    case PipeOp::WmiConnect:
        call.kind = DriverCall::Kind::WmiConnect;
        call.target = PipeReader::Utf16(payload);
        // root\wmi always exists on Windows, whether or not a driver adds classes to it.
        call.result = Upper(call.target) == L"ROOT\\WMI" ? WBEM_S_NO_ERROR : uint32_t(WBEM_E_INVALID_NAMESPACE);
        if (call.result == WBEM_S_NO_ERROR) session.nameSpace = call.target;
        break;
    case PipeOp::WmiExecQuery: {
        call.kind = DriverCall::Kind::WmiQuery;
        call.flags = args[0];
        PipeReader fields(payload);
        const std::wstring language = fields.String();
        call.target = fields.String();
        std::wstring className;
        std::shared_ptr<WmiClass> cls;
        if (Upper(language) != L"WQL") call.result = WBEM_E_INVALID_QUERY_TYPE;
        else if (!ParseSelectAll(call.target, &className)) call.result = WBEM_E_INVALID_QUERY;
        else if (!(cls = FindClass(session.nameSpace, className))) call.result = WBEM_E_INVALID_CLASS;
        else if (!(call.result = cls->QueryFault())) replyPayload = InstancesPayload(cls->Instances());
        break;
    }
    case PipeOp::WmiEnumerate: {
        call.kind = DriverCall::Kind::WmiEnumerate;
        call.flags = args[0];
        PipeReader fields(payload);
        call.target = fields.String();
        std::shared_ptr<WmiClass> cls = FindClass(session.nameSpace, call.target);
        if (!cls) call.result = WBEM_E_INVALID_CLASS;
        else replyPayload = InstancesPayload(cls->Instances());
        break;
    }
    case PipeOp::WmiPutInstance: {
        call.kind = DriverCall::Kind::WmiPut;
        call.flags = args[0];
        PipeReader fields(payload);
        call.object = fields.Object();
        call.target = call.object.className;
        std::shared_ptr<WmiClass> cls = FindClass(session.nameSpace, call.target);
        if (!fields.ok()) call.result = WBEM_E_INVALID_PARAMETER;
        else if (!cls) call.result = WBEM_E_INVALID_CLASS;
        else call.result = cls->PutInstance(call.object);
        break;
    }
    case PipeOp::DeviceInterfaces: {
        call.kind = DriverCall::Kind::DeviceInterfaces;
        call.flags = args[0];
        GUID wanted{};
        if (payload.size() == sizeof wanted) std::memcpy(&wanted, payload.data(), sizeof wanted);
        std::vector<std::wstring> paths;
        {
            std::lock_guard<std::mutex> guard(registryLock_);
            for (const auto& entry : interfaces_)
                if (IsEqualGUID(entry.first, wanted)) paths = entry.second;
        }
        PipeWriter w;
        w.U32(uint32_t(paths.size()));
        for (const std::wstring& path : paths) w.String(path);
        replyPayload = w.Take();
        break;
    }
    default:
        return PipeReply(ERROR_INVALID_FUNCTION);
    }
    const uint32_t status = call.result;
    Log(std::move(call));
    return PipeReply(status, value, replyPayload);
}

void DriverHost::Log(DriverCall call) {
    std::lock_guard<std::mutex> guard(logLock_);
    calls_.push_back(std::move(call));
}

void DriverHost::AddDevice(const std::wstring& path, std::shared_ptr<DriverDevice> device) {
    std::lock_guard<std::mutex> guard(registryLock_);
    devices_[Upper(path)] = std::move(device);
}

void DriverHost::RemoveDevice(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(registryLock_);
    devices_.erase(Upper(path));
}

void DriverHost::AddWmiClass(const std::wstring& nameSpace, const std::wstring& className,
                             std::shared_ptr<WmiClass> cls) {
    std::lock_guard<std::mutex> guard(registryLock_);
    classes_[{Upper(nameSpace), Upper(className)}] = std::move(cls);
}

void DriverHost::RemoveWmiClass(const std::wstring& nameSpace, const std::wstring& className) {
    std::lock_guard<std::mutex> guard(registryLock_);
    classes_.erase({Upper(nameSpace), Upper(className)});
}

void DriverHost::SetDeviceInterfaces(const GUID& interfaceClass, std::vector<std::wstring> paths) {
    std::lock_guard<std::mutex> guard(registryLock_);
    for (auto& entry : interfaces_) {
        if (IsEqualGUID(entry.first, interfaceClass)) {
            entry.second = std::move(paths);
            return;
        }
    }
    interfaces_.emplace_back(interfaceClass, std::move(paths));
}

std::shared_ptr<DriverDevice> DriverHost::FindDevice(const std::wstring& path) const {
    std::lock_guard<std::mutex> guard(registryLock_);
    auto it = devices_.find(Upper(path));
    return it == devices_.end() ? nullptr : it->second;
}

std::shared_ptr<WmiClass> DriverHost::FindClass(const std::wstring& nameSpace, const std::wstring& className) const {
    std::lock_guard<std::mutex> guard(registryLock_);
    auto it = classes_.find({Upper(nameSpace), Upper(className)});
    return it == classes_.end() ? nullptr : it->second;
}

std::vector<DriverCall> DriverHost::Calls() const {
    std::lock_guard<std::mutex> guard(logLock_);
    return calls_;
}

size_t DriverHost::CallCount() const {
    std::lock_guard<std::mutex> guard(logLock_);
    return calls_.size();
}

void DriverHost::ClearCalls() {
    std::lock_guard<std::mutex> guard(logLock_);
    calls_.clear();
}

}  // namespace sim
