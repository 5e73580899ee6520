#include "platform/NativePorts.h"

#include "platform/EntryPorts.h"
#include "platform/FileToolkit.h"
#include "platform/PortEntry.h"

#include <cstdlib>
#include <cstdint>
#include <optional>
#include <vector>

#ifdef _WIN32
#include "platform/win32/Win32SerialPort.h"

#include <windows.h>
#else
#include "platform/posix/PortTable.h"
#include "platform/posix/PosixSerialPort.h"
#endif

namespace kelvane {
namespace {

// A ports file is a short list typed by hand; anything larger is not one.
constexpr std::uintmax_t kMaxPortsFileBytes = 64 * 1024;

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path) {
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    if (!ReadRegularFile(path, kMaxPortsFileBytes, bytes, error)) return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

#ifdef _WIN32
// "COM3" (in any case) names COM number 3.
std::unique_ptr<SerialPort> OpenDevice(const std::string& device, OpenFailure& failure) {
    failure.error = ERROR_FILE_NOT_FOUND;
    failure.problem = OpenProblem::Missing;
    if (device.size() < 4 || device.size() > 6 ||
        (device.compare(0, 3, "COM") != 0 && device.compare(0, 3, "com") != 0))
        return nullptr;
    int number = 0;
    for (std::size_t k = 3; k < device.size(); ++k) {
        if (device[k] < '0' || device[k] > '9') return nullptr;
        number = number * 10 + (device[k] - '0');
    }
    if (number > 255) return nullptr;
    unsigned long error = 0;
    auto port = Win32SerialPort::Open(static_cast<std::uint8_t>(number), &error);
    failure.error = static_cast<int>(error);
    failure.busy = Win32SerialPort::IsBusy(error);
    failure.problem = failure.busy                    ? OpenProblem::Busy
                      : error == ERROR_FILE_NOT_FOUND ? OpenProblem::Missing
                      : error == ERROR_ACCESS_DENIED  ? OpenProblem::NotPermitted
                                                      : OpenProblem::Unexplained;
    return port;
}

std::unique_ptr<PortOpener> LocalPorts() { return std::make_unique<Win32PortOpener>(); }
#else
std::unique_ptr<SerialPort> OpenDevice(const std::string& device, OpenFailure& failure) {
    int error = 0;
    auto port = PosixSerialPort::Open(device, &error);
    if (!port) failure = PosixSerialPort::Explain(device, error);
    return port;
}

std::unique_ptr<PortOpener> LocalPorts() { return std::make_unique<PortTable>(PortTable::Scanning()); }
#endif

std::optional<std::string> EnvironmentList() {
    if (const char* list = std::getenv("KELVANE_PORTS"); list != nullptr) return list;
    return std::nullopt;
}

}  // namespace

std::vector<std::string> PortTableProblems(const std::string& portOption) {
    return ChoosePorts(portOption, EnvironmentList(), std::nullopt).problems;
}

RackChoice ChooseNativeRacks(const RackRequest& request, const std::filesystem::path& workingFolder) {
    return ChooseRacks(request, EnvironmentList(), ReadSmallFile(workingFolder / kPortsFileName));
}

std::unique_ptr<PortOpener> MakeNativePortOpener(const std::string& portOption,
                                                 const std::filesystem::path& workingFolder) {
    const PortChoice choice = ChoosePorts(portOption, EnvironmentList(), ReadSmallFile(workingFolder / kPortsFileName));
    return std::make_unique<EntryPortOpener>(choice.entries, OpenDevice, choice.localDevices ? LocalPorts() : nullptr);
}

}  // namespace kelvane
