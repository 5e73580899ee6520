#pragma once

#include "platform/SerialPort.h"

namespace kelvane {

// The serial ports of the machine the program runs on, numbered as the rack search counts them.
std::unique_ptr<PortOpener> MakeNativePortOpener();

}  // namespace kelvane
