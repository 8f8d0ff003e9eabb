// UDP discovery of servers and devices on the host's local IPv4 networks.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

namespace sorvane {

// Starts one worker of a discovery; throws when no thread can be created.
using WorkerStart = std::function<std::thread(std::function<void()>)>;
std::thread StartWorkerThread(std::function<void()> work);

// Broadcasts the probes of the kinds in kindMask from every local address (at most ten), listens
// for 600 ms and writes the peers that answered into the 254-byte record. True when at least one
// was found. Calls from several threads run one after another: each discovery owns its sockets,
// its workers and its collector. A worker that cannot be started, or memory that runs out (while
// the workers start or inside one), ends the discovery with false (and an empty record) once the
// workers already started have ended.
bool Discover(std::uint8_t* result, std::int32_t kindMask, const WorkerStart& start = StartWorkerThread) noexcept;

}  // namespace sorvane
