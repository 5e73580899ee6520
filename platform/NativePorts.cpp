#include "platform/NativePorts.h"

#ifdef _WIN32
#include "platform/win32/Win32SerialPort.h"
#else
#include "platform/posix/PortTable.h"
#endif

namespace kelvane {

std::unique_ptr<PortOpener> MakeNativePortOpener() {
#ifdef _WIN32
    return std::make_unique<Win32PortOpener>();
#else
    return std::make_unique<PortTable>(PortTable::FromEnvironment());
#endif
}

}  // namespace kelvane
