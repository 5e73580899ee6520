#include "app/PortReasons.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"

namespace kelvane {
namespace {

// The message of each problem that needs only the port's name.
int PlainMessage(OpenProblem problem) {
    switch (problem) {
    case OpenProblem::Missing: return kPortMissingMessage;
    case OpenProblem::NotSerial: return kPortNotSerialMessage;
    case OpenProblem::Refused: return kPortRefusedMessage;
    case OpenProblem::UnknownHost: return kPortUnknownHostMessage;
    case OpenProblem::TimedOut: return kPortTimedOutMessage;
    case OpenProblem::Unreachable: return kPortUnreachableMessage;
    case OpenProblem::NoAnswer: return kPortNoAnswerMessage;
    default: return -1;
    }
}

}  // namespace

std::string OpenFailureText(const OpenFailure& failure) {
    const std::string& port = failure.device;
    const std::string& detail = failure.detail;
    if (const int plain = PlainMessage(failure.problem); plain >= 0) return FormatText(MessageText(plain), {port});
    switch (failure.problem) {
    case OpenProblem::NotPermitted:
        if (detail.empty()) break;
        return FormatText(MessageText(kPortNotPermittedMessage), {port, detail});
    case OpenProblem::Busy:
        if (detail.empty()) return FormatText(MessageText(kPortBusyMessage), {port});
        return FormatText(MessageText(kPortLockedMessage), {port, detail});
    case OpenProblem::BadEntry: return FormatText(MessageText(kPortBadEntryMessage), {port, detail});
    case OpenProblem::SettingsRefused: return FormatText(MessageText(kPortSettingsRefusedMessage), {port, detail});
    case OpenProblem::ServerInUse: return FormatText(MessageText(kPortServerInUseMessage), {port, "\"" + detail + "\""});
    case OpenProblem::ServerClosed: {
        const std::string text = FormatText(MessageText(kPortServerClosedMessage), {port});
        return detail.empty() ? text : text + " (\"" + detail + "\")";
    }
    default: break;
    }
    return FormatText(MessageText(kPortErrorMessage), {port, failure.error});
}

std::string SearchFailuresText(const std::vector<OpenFailure>& failures, std::size_t named) {
    if (failures.empty()) return MessageText(kNoPortToSearchMessage);
    std::string text;
    for (std::size_t k = 0; k < failures.size() && k < named; ++k) {
        text += (k == 0 ? "" : "; ") + OpenFailureText(failures[k]);
    }
    if (failures.size() > named) text += "; " + FormatText(MessageText(kMorePortsMessage), {failures.size() - named});
    return text;
}

}  // namespace kelvane
