#include "connection/Connection.h"

#include "BrevixCAPI.h"
#include "capture/Capture.h"
#include "connection/DeviceMode.h"
#include "connection/DeviceSetUp.h"
#include "connection/DeviceState.h"
#include "fpga/FpgaHost.h"
#include "identity/EepromAccess.h"
#include "identity/IdentityReplies.h"
#include "link/AdapterSource.h"
#include "link/Detection.h"
#include "ports/MediaDetection.h"
#include "ports/Ports.h"
#include "protocol/CommandProtocol.h"
#include "protocol/RegisterMap.h"
#include "protocol/ReplyDispatcher.h"
#include "runtime/DebugStream.h"
#include "runtime/PumpWait.h"
#include "serialflash/SerialFlash.h"
#include "usb/Usb.h"

namespace capi {
namespace {

// How long connect waits for the reply to its last identity read.
constexpr DWORD kIdentityWaitMs = 1000;

void ReadSystemId() {
    const uint32_t registers[2] = {reg::kSystemId, reg::kHardwareWord};
    BrevixT_GenR(2, registers);
}

// The identity fields of machine ids 1 and 2, from the tester's EEPROM. The model name is read
// twice first; then each read is followed by a short pause. The replies fill the fields through
// the EEPROM reply parse; the last one (word 48) marks the identity complete.
void ReadEepromIdentity() {
    ReadEepromWords(16, 8);
    ReadEepromWords(16, 8);
    const struct {
        uint8_t word;
        uint8_t count;
    } reads[] = {{16, 8}, {16, 8}, {38, 10}, {32, 4}, {33, 1}, {64, 3}, {48, 6}};
    for (const auto& read : reads) {
        ReadEepromWords(read.word, read.count);
        PumpWait(5);
    }
}

// Runs its action when the scope is left, by a return or a throw.
template <class Action>
struct AtExit {
    Action action;
    ~AtExit() { action(); }
};
template <class Action>
AtExit(Action) -> AtExit<Action>;

void WaitForIdentity() {
    const DWORD start = GetTickCount();
    while (!IdentityComplete() && TicksSince(start) < kIdentityWaitMs) PumpWait(100);
}

}  // namespace

Connection& Connection::Instance() {
    static Connection connection;
    return connection;
}

bool Connection::Connected() const {
    std::lock_guard<std::mutex> guard(lock_);
    return session_ != nullptr;
}

void Connection::StopPollers() {
    std::shared_ptr<Session> session;
    {
        std::lock_guard<std::mutex> guard(lock_);
        session = session_;
    }
    if (session) session->StopPollers();
}

void StopPollerThreads() { Connection::Instance().StopPollers(); }

void Connection::RestartPollers() {
    std::shared_ptr<Session> session;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (connecting_) return;
        session = session_;
    }
    if (session && !deviceLost_ && !session->DeviceLost()) session->ResumePolling();
}

void RestartPollerThreads() { Connection::Instance().RestartPollers(); }

void Connection::End(const std::shared_ptr<Session>& session) {
    CommandChannel& channel = CommandChannel::Instance();
    channel.CancelWait();
    if (session) session->StopPollers();
    MediaDetection::Instance().Stop();
    if (session && SerialFlashInitialised() && !session->DeviceLost()) ShutdownSerialFlash();
    Log("(API)(BrevixC_SYS_TerminateProcess)Set Capture Terminate");
    StopCaptureForTerminate();
    BVT_Delay(100);
    ClearCaptureBuffers();
    if (!session) return;
    // From here on nothing is sent: the link goes with the session once its threads have ended.
    channel.Detach();
    session->Stop();
}

void Connection::Terminate() {
    std::shared_ptr<Session> session;
    {
        std::lock_guard<std::mutex> guard(lock_);
        // A terminate that comes while a connect is under way (from another thread, or from a
        // window message that connect's pumped waits dispatch) is carried out by that connect,
        // which ends its session and returns 0.
        if (connecting_) {
            abandoned_ = true;
            return;
        }
        session = std::move(session_);
    }
    EndCounted(session);
}

void Connection::EndCounted(const std::shared_ptr<Session>& session) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        ++endings_;
    }
    // Counted down however End leaves (an export's guard catches what it throws).
    const AtExit ended{[this] {
        std::lock_guard<std::mutex> guard(lock_);
        --endings_;
    }};
    End(session);
}

bool Connection::Abandoned() const {
    std::lock_guard<std::mutex> guard(lock_);
    return abandoned_;
}

int Connection::Fail(const std::shared_ptr<Session>& session) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        session_.reset();
    }
    const AtExit ended{[this] {
        std::lock_guard<std::mutex> guard(lock_);
        connecting_ = false;
    }};
    if (session) End(session);
    return 0;
}

int Connection::Connect() {
    std::shared_ptr<Session> previous;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (connecting_ || endings_ > 0) return 0;
        connecting_ = true;
        abandoned_ = false;
        previous = std::move(session_);
    }
    // A second connect ends the first connection: its threads and handle are never doubled.
    if (previous) End(previous);

    const std::optional<ChosenAdapter> chosen = Detection::Instance().Chosen();
    if (!chosen || Abandoned()) return Fail(nullptr);
    SetIdentityComplete(false);
    ResetIdentityAnswers();
    deviceLost_ = false;
    BuildRegisterHookMap();

    std::string error;
    std::shared_ptr<Link> link = Adapters().Open(chosen->device, &error);
    if (!link) {
        Log("(API)(BrevixC_SYS_ConnectToBrevixCDevice)Cannot open ", chosen->device, ": ", error);
        return Fail(nullptr);
    }
    auto session = std::make_shared<Session>(link, chosen->device, chosen->probeUnit);
    {
        std::lock_guard<std::mutex> guard(lock_);
        session_ = session;
    }
    CommandChannel::Instance().Attach(link);
    if (!session->StartServiceThreads()) return Fail(session);

    PumpWait(50);
    ReadSystemId();
    PumpWait(50);
    ReadSystemId();
    PumpWait(100);
    if (Abandoned()) return Fail(session);
    DeviceSetUp();
    BuildRegisterHookMap();

    if (IsBrevixHFamily(MachineId())) {
        if (!ReadUsbIdentity()) return Fail(session);
    } else {
        ReadEepromIdentity();
    }
    SetDeviceMode(kPacketGeneratorMode);
    WaitForIdentity();
    if (Abandoned()) return Fail(session);
    GetPHYName(0);
    PumpWait(100);
    GetPHYName(1);

    // An adapter that never answered an identity read has no tester behind it.
    if (IdentityAnswers() == 0) {
        Log("(API)(BrevixC_SYS_ConnectToBrevixCDevice)No tester answered on ", chosen->device);
        return Fail(session);
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!abandoned_) {
            connecting_ = false;
            session->StartPollers();
            return 1;
        }
    }
    return Fail(session);
}

bool IsConnected() { return Connection::Instance().Connected(); }

bool DeviceLost() { return Connection::Instance().DeviceLost(); }

}  // namespace capi
