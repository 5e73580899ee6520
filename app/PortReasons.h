#pragma once

#include "app/MessageCatalogue.h"
#include "platform/SerialPort.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kelvane {

// A port that gave no rack and why, in the operator's language: "/dev/ttyUSB0: not allowed to open it; join
// the group dialout, then log in again".
std::string OpenFailureText(const OpenFailure& failure, int language = LanguageIndex());

// The ports a search tried and why each gave no rack, ports that failed alike under one reason: the first
// `named` reasons, joined by "; " and followed by how many more ports there were.
std::string SearchFailuresText(const std::vector<OpenFailure>& failures, std::size_t named,
                               int language = LanguageIndex());

}  // namespace kelvane
