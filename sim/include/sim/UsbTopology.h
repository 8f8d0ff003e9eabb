#pragma once
// The USB device tree of the host as Windows presents it: host controllers ("\\.\HCD<n>") that
// name their root hub, hubs that answer the hub I/O controls (node information, per-port
// connection information, driver key name, name of an external hub on a port), and the present
// device interfaces of each class. Tests describe the topology; the library's walk reads it
// through the USB-tree layer.

#include "sim/DriverHost.h"

#include <map>
#include <memory>
#include <optional>

namespace sim {

struct UsbDevice {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint8_t productIndex = 1;  // iProduct of the device descriptor; 0 = no product string
    std::wstring driverKey;    // empty when no driver is installed
    std::wstring product;      // the product string
};

class UsbHub {
public:
    struct Port {
        std::optional<UsbDevice> device;
        UsbHub* hub = nullptr;  // an external hub on this port
        uint16_t address = 0;
    };

    // The hub's symbolic name, as a parent reports it ("USB#...", opened as "\\.\" + name).
    const std::wstring& Name() const { return name_; }
    int Ports() const { return ports_; }

    // Puts a device on a port (1 .. Ports()); returns this hub.
    UsbHub& Attach(int port, const UsbDevice& device);
    // Empties a port, as when its device is unplugged.
    UsbHub& Detach(int port);
    // Puts an external hub with `ports` ports on a port; returns the new hub.
    UsbHub& AttachHub(int port, int ports);

    struct Tree;
    UsbHub(Tree& tree, std::wstring name, int ports) : tree_(tree), name_(std::move(name)), ports_(ports) {}
    // What is on a port, copied under the tree's lock; nullopt for a port the hub does not have.
    std::optional<Port> PortAt(int port) const;

private:
    Tree& tree_;
    std::wstring name_;
    int ports_;
    std::map<int, Port> attached_;  // guarded by the tree's lock
};

class UsbTopology {
public:
    explicit UsbTopology(DriverHost& host);
    ~UsbTopology();
    UsbTopology(const UsbTopology&) = delete;
    UsbTopology& operator=(const UsbTopology&) = delete;

    // Host controller "\\.\HCD<index>" with a root hub of `ports` ports; returns the root hub.
    UsbHub& AddHostController(int index, int ports);
    // A present device interface of a class, after those added before.
    void AddInterface(const GUID& interfaceClass, const std::wstring& path);
    void RemoveInterface(const GUID& interfaceClass, const std::wstring& path);

private:
    DriverHost& host_;
    std::shared_ptr<UsbHub::Tree> tree_;  // shared with the devices registered at the host
    std::vector<std::wstring> devicePaths_;
    std::vector<std::pair<GUID, std::vector<std::wstring>>> interfaces_;
};

}  // namespace sim
