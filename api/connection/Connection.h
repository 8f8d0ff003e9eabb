#pragma once
// The library's connection to the tester: connect, terminate, and the session that is current.

#include "connection/Session.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace capi {

class Connection {
public:
    static Connection& Instance();

    // BrevixC_SYS_ConnectToBrevixCDevice. A connection that is open is ended first. A connect
    // that comes while another connect or an ending is under way (from another thread, or from a
    // window message that their pumped waits dispatch) returns 0: the ending would otherwise take
    // the new connection's link with it.
    int Connect();
    // BrevixC_SYS_TerminateProcess: stops every thread of the connection (with bounds), closes the
    // adapter and empties the capture buffers. During a connect, that connect does it.
    void Terminate();

    bool Connected() const;
    // Stops the pollers of the current connection, if any (an FPGA download rewrites the device
    // they read).
    void StopPollers();
    // Starts them again while the tester answers (a download through the USB unit has ended).
    void RestartPollers();
    bool DeviceLost() const { return deviceLost_; }
    // A session reports the loss of the tester.
    void NoteDeviceLost() { deviceLost_ = true; }

private:
    Connection() = default;
    // Ends a connect that did not succeed; 0. The connect counts as under way until its session
    // has ended.
    int Fail(const std::shared_ptr<Session>& session);
    bool Abandoned() const;
    // The end of a connection: the steps of terminate. `session` may be null.
    static void End(const std::shared_ptr<Session>& session);
    // A terminate's End, counted in endings_ while it runs.
    void EndCounted(const std::shared_ptr<Session>& session);

    // lock_ guards session_, connecting_, abandoned_ and endings_: the host's threads that connect
    // and terminate, and every thread that asks whether the library is connected. It is never held
    // while waiting, pumping or calling out.
    mutable std::mutex lock_;
    std::shared_ptr<Session> session_;
    bool connecting_ = false;
    bool abandoned_ = false;  // a terminate came while a connect was under way
    int endings_ = 0;         // terminates under way (one may be dispatched inside another's pump)

    std::atomic<bool> deviceLost_{false};
};

}  // namespace capi
