// This program plays a Brevix-H (machine id 3, the second register map) for the library built
// statically, with the USB channel of FakeUsb.cpp.

#include "device/DeviceBench.h"

namespace {

const int registered = (bench::Register(3), 0);

}  // namespace
