#include "device/SendFailures.h"

#include "link/AdapterSource.h"

#include <mutex>

namespace sendfailures {
namespace {

// The rule of the Refusal in place: set by tests, asked on every thread that sends.
std::mutex ruleLock;
std::function<bool(const bench::Bytes&)> rule;

bool Refused(const uint8_t* frame, size_t length) {
    std::lock_guard<std::mutex> guard(ruleLock);
    return rule && rule(bench::Bytes(frame, frame + length));
}

class RefusingLink : public capi::Link {
public:
    explicit RefusingLink(std::unique_ptr<capi::Link> link) : link_(std::move(link)) {}

    bool Send(const uint8_t* frame, size_t length) override {
        return !Refused(frame, length) && link_->Send(frame, length);
    }
    capi::ReceiveStatus Receive(capi::ReceivedFrame& frame) override { return link_->Receive(frame); }
    void Interrupt() override { link_->Interrupt(); }
    bool SetFilter(const std::string& expression) override { return link_->SetFilter(expression); }

private:
    const std::unique_ptr<capi::Link> link_;
};

// The system's adapters, whose capture links refuse what the rule picks.
class RefusingAdapters : public capi::AdapterSource {
public:
    RefusingAdapters() : system_(capi::Adapters()) {}

    bool ListCaptureDevices(std::vector<capi::CaptureDevice>& devices) override {
        return system_.ListCaptureDevices(devices);
    }
    capi::AdapterList ListAdapters(std::vector<capi::NetworkAdapter>& adapters) override {
        return system_.ListAdapters(adapters);
    }
    std::unique_ptr<capi::Link> Open(const std::string& device, std::string* error) override {
        std::unique_ptr<capi::Link> link = system_.Open(device, error);
        if (!link) return nullptr;
        return std::make_unique<RefusingLink>(std::move(link));
    }
    std::optional<bool> AdapterUp(const std::string& device) override { return system_.AdapterUp(device); }

private:
    capi::AdapterSource& system_;
};

const int registered = (bench::Register(1,
                                        [] {
                                            static RefusingAdapters adapters;
                                            capi::UseAdapterSource(&adapters);
                                        }),
                        0);

}  // namespace

Refusal::Refusal(std::function<bool(const bench::Bytes& frame)> refuse) {
    std::lock_guard<std::mutex> guard(ruleLock);
    rule = std::move(refuse);
}

Refusal::~Refusal() {
    std::lock_guard<std::mutex> guard(ruleLock);
    rule = nullptr;
}

}  // namespace sendfailures
