#pragma once
// The simulator's stand-in for the Windows drivers that the host software talks to: it answers,
// over a named pipe, the calls that the library's driver layers (platform/driverpipe and the
// layers on it) carry: device opens, device I/O controls and closes, WMI queries and instance
// writes, and device-interface enumeration. Device models (the chip driver, the USB topology)
// register their devices, WMI classes and interfaces here. Every call is logged in order, with
// its bytes, so tests can check the exact records.

#include "sim/Link.h"
#include "sim/PipeServer.h"

#include <windows.h>
#include <wtypes.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

// A WMI property value: VT_I4 or VT_ARRAY | VT_UI1.
struct WmiValue {
    uint16_t type = VT_I4;
    int32_t i4 = 0;
    Bytes bytes;

    static WmiValue Int(int32_t v) { return WmiValue{VT_I4, v, {}}; }
    static WmiValue Array(Bytes b) { return WmiValue{VT_ARRAY | VT_UI1, 0, std::move(b)}; }
};

struct WmiObject {
    std::wstring className;
    std::vector<std::pair<std::wstring, WmiValue>> properties;

    const WmiValue* Find(const std::wstring& name) const;
};

// One call that reached a simulated driver.
struct DriverCall {
    enum class Kind { Open, IoControl, Close, WmiConnect, WmiQuery, WmiEnumerate, WmiPut, DeviceInterfaces, Read, Write };
    Kind kind = Kind::Open;
    std::wstring target;  // device path (open, I/O control, close), namespace, query text or class name
    uint32_t code = 0;    // I/O control code; desired access of an open
    uint32_t flags = 0;   // flags and attributes of an open; flags of a WMI call
    Bytes input;          // input bytes of an I/O control; bytes written
    Bytes output;         // bytes an I/O control returned; bytes read
    uint32_t result = 0;  // Win32 error (device calls) or HRESULT (WMI calls); 0 is success
    WmiObject object;     // the object a WMI put wrote
};

// What a simulated driver does with the calls on one of its devices.
class DriverDevice {
public:
    virtual ~DriverDevice() = default;
    // A Win32 error, or 0 when the open succeeds.
    virtual uint32_t Open(uint32_t access, uint32_t flagsAndAttributes) = 0;
    // A Win32 error, or 0; *output holds the bytes returned (at most outputLength).
    virtual uint32_t IoControl(uint32_t code, const Bytes& input, uint32_t outputLength, Bytes* output) = 0;
    // Packet transfers (USB endpoints): a Win32 error, or 0. A read waits at most the time-out and
    // fails with ERROR_TIMEOUT when nothing came.
    virtual uint32_t Read(uint32_t length, uint32_t timeoutMs, Bytes* data) {
        (void)length, (void)timeoutMs, (void)data;
        return ERROR_INVALID_FUNCTION;
    }
    virtual uint32_t Write(const Bytes& data, uint32_t timeoutMs) {
        (void)data, (void)timeoutMs;
        return ERROR_INVALID_FUNCTION;
    }
    // The connection that opened the device went away (closed or broken).
    virtual void Closed() {}
};

// A WMI class of a simulated driver.
class WmiClass {
public:
    virtual ~WmiClass() = default;
    virtual std::vector<WmiObject> Instances() = 0;
    // Asked once for each WQL query of the class, before its instances: an HRESULT the query fails
    // with, or 0 when it goes through. An instance enumeration does not ask.
    virtual uint32_t QueryFault() { return 0; }
    // An HRESULT.
    virtual uint32_t PutInstance(const WmiObject& object) = 0;
};

class DriverHost {
public:
    // The name the driver layers use when BREVIX_DRIVER_PIPE is not set: for a simulator that
    // serves programs started without it.
    static constexpr wchar_t kDefaultPipeName[] = L"\\\\.\\pipe\\brevix-driver";

    // Listens on a pipe name of its own (unique in the process and across processes), or on the
    // name given.
    DriverHost();
    explicit DriverHost(std::wstring pipeName);
    ~DriverHost();
    DriverHost(const DriverHost&) = delete;
    DriverHost& operator=(const DriverHost&) = delete;

    const std::wstring& PipeName() const { return pipeName_; }
    // Returns once the pipe accepts connections.
    void Start();
    void Stop();
    // Points this process's driver layers at this host (environment variable BREVIX_DRIVER_PIPE).
    void Attach() const;

    // Paths match without regard to letter case.
    void AddDevice(const std::wstring& path, std::shared_ptr<DriverDevice> device);
    void RemoveDevice(const std::wstring& path);
    void AddWmiClass(const std::wstring& nameSpace, const std::wstring& className, std::shared_ptr<WmiClass> cls);
    void RemoveWmiClass(const std::wstring& nameSpace, const std::wstring& className);
    // The present device interfaces of a class, in enumeration order.
    void SetDeviceInterfaces(const GUID& interfaceClass, std::vector<std::wstring> paths);

    std::vector<DriverCall> Calls() const;
    size_t CallCount() const;
    void ClearCalls();

private:
    struct Session;
    // Answers one connection's requests until the client goes away or the host stops.
    void Serve(PipeServer::Client& client);
    // The reply to one request message of a connection.
    Bytes Handle(Session& session, const Bytes& request);
    void Log(DriverCall call);
    std::shared_ptr<DriverDevice> FindDevice(const std::wstring& path) const;
    std::shared_ptr<WmiClass> FindClass(const std::wstring& nameSpace, const std::wstring& className) const;

    std::wstring pipeName_;
    PipeServer server_;

    // Devices, classes and interfaces: guarded by registryLock_; written by the device models,
    // read by the pipe threads. Calls into devices and classes run without it.
    mutable std::mutex registryLock_;
    std::map<std::wstring, std::shared_ptr<DriverDevice>> devices_;                  // upper-case path
    std::map<std::pair<std::wstring, std::wstring>, std::shared_ptr<WmiClass>> classes_;  // upper-case
    std::vector<std::pair<GUID, std::vector<std::wstring>>> interfaces_;

    // The call log: guarded by logLock_; written by the pipe threads, read by tests.
    mutable std::mutex logLock_;
    std::vector<DriverCall> calls_;
};

}  // namespace sim
