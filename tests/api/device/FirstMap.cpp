// This program plays a Brevix-CF (machine id 1, the first register map) for the library's DLL.

#include "device/DeviceBench.h"

namespace {

const int registered = (bench::Register(1), 0);

}  // namespace
