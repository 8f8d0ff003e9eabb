#pragma once
// Media selection (SFP fiber or copper) of the ports, run by one worker thread per request.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace capi {

class WorkerThread;

class MediaDetection {
public:
    static MediaDetection& Instance();

    // Starts the worker for port 0, 1 or 255 and mode 0 auto, 1 fiber, 2 copper; false when the
    // arguments are refused or the thread could not start.
    bool Start(uint8_t port, uint8_t mode);
    // Terminate: the workers skip what is left of their work and are joined, so that none outlives
    // the connection and writes to the next one. A start while it runs is refused.
    void Stop();

private:
    MediaDetection();
    void Run(uint8_t port, uint8_t mode);
    void SelectMedia(uint8_t port, uint8_t mode);
    // False when Stop came during the pause.
    bool Pause(DWORD milliseconds) const;

    // Guards workers_ and stops_, never held through a join: the host's threads (and the workers'
    // host callbacks) start workers; finished ones are let go on the next start, and terminate
    // takes the rest out and joins them.
    std::mutex lock_;
    std::vector<std::unique_ptr<WorkerThread>> workers_;
    // Terminates under way; a start while one runs is refused, so that no worker outlives it.
    int stops_ = 0;
    // Set while a terminate joins the workers (manual reset); the workers wait on it between steps.
    HANDLE stop_;
};

// 0 copper, 1 fiber, 2 no module, -1 unknown (including a PHY that did not answer).
int SfpStatus(uint8_t port);
int EnableSfpShadow(uint8_t port, uint8_t enable);

}  // namespace capi
