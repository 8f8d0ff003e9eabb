// This program plays a Brevix-J (machine id 4: the second register map and the multi-gigabit PHY)
// for the library built statically, with the USB channel of FakeUsb.cpp.

#include "device/DeviceBench.h"

namespace {

const int registered = (bench::Register(4), 0);

}  // namespace
