#pragma once
// Waiting for what a test expects to happen. A passing test never waits the patience out, so it is
// generous: a loaded machine can be slow to schedule a library thread, to deliver a frame or to
// start a console host. Windows in which something must NOT happen stay short and explicit.

#include <chrono>
#include <functional>

namespace support {

inline constexpr std::chrono::milliseconds kPatience{10000};

// Polls until the condition holds; false when the time-out passes first.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kPatience);

}  // namespace support
