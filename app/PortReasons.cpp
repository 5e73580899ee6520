#include "app/PortReasons.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"

#include <algorithm>
#include <utility>

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

std::string OpenFailureText(const OpenFailure& failure, int language) {
    const std::string& port = failure.device;
    const std::string& detail = failure.detail;
    if (const int plain = PlainMessage(failure.problem); plain >= 0)
        return FormatText(MessageText(plain, language), {port});
    switch (failure.problem) {
    case OpenProblem::NotPermitted:
        if (detail.empty()) break;
        return FormatText(MessageText(kPortNotPermittedMessage, language), {port, detail});
    case OpenProblem::Busy:
        if (detail.empty()) return FormatText(MessageText(kPortBusyMessage, language), {port});
        return FormatText(MessageText(kPortLockedMessage, language), {port, detail});
    case OpenProblem::BadEntry: return FormatText(MessageText(kPortBadEntryMessage, language), {port, detail});
    case OpenProblem::SettingsRefused:
        return FormatText(MessageText(kPortSettingsRefusedMessage, language), {port, detail});
    case OpenProblem::ServerInUse:
        return FormatText(MessageText(kPortServerInUseMessage, language), {port, "\"" + detail + "\""});
    case OpenProblem::ServerClosed: {
        const std::string text = FormatText(MessageText(kPortServerClosedMessage, language), {port});
        return detail.empty() ? text : text + " (\"" + detail + "\")";
    }
    default: break;
    }
    return FormatText(MessageText(kPortErrorMessage, language), {port, failure.error});
}

std::string SearchFailuresText(const std::vector<OpenFailure>& failures, std::size_t named, int language) {
    if (failures.empty()) return MessageText(kNoPortToSearchMessage, language);
    // Ports that failed alike share one reason ("COM3, COM9 is in use by another program"), so that a message
    // with little room names every kind of trouble.
    std::vector<std::pair<OpenFailure, std::size_t>> alike;
    for (const OpenFailure& failure : failures) {
        const auto same = std::find_if(alike.begin(), alike.end(), [&](const auto& group) {
            const OpenFailure& first = group.first;
            return first.problem == failure.problem && first.detail == failure.detail && first.error == failure.error;
        });
        if (same == alike.end()) {
            alike.emplace_back(failure, 1);
        } else {
            same->first.device += ", " + failure.device;
            ++same->second;
        }
    }
    std::string text;
    std::size_t left = failures.size();
    for (std::size_t k = 0; k < alike.size() && k < named; ++k) {
        text += (k == 0 ? "" : "; ") + OpenFailureText(alike[k].first, language);
        left -= alike[k].second;
    }
    if (left > 0) text += "; " + FormatText(MessageText(kMorePortsMessage, language), {left});
    return text;
}

}  // namespace kelvane
