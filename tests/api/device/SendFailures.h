#pragma once
// This program plays a Brevix-CF (machine id 1) for the library built statically, whose link to
// the tester refuses the sends a test names: the frames the library could not send.

#include "device/DeviceBench.h"

#include <functional>

namespace sendfailures {

// For its lifetime, the library's sends of the frames the rule picks fail (the frame never
// reaches the wire); the rule sees each frame as the library hands it over.
class Refusal {
public:
    explicit Refusal(std::function<bool(const bench::Bytes& frame)> rule);
    ~Refusal();
    Refusal(const Refusal&) = delete;
    Refusal& operator=(const Refusal&) = delete;
};

}  // namespace sendfailures
