#pragma once

#include "tools/watch/WatchRound.h"

#include <span>
#include <string>
#include <string_view>

namespace kelvane {

// A round in the Prometheus text exposition format (version 0.0.4), as node_exporter's textfile collector
// reads it: every metric family with its HELP and TYPE lines. Inputs tuned to no carrier are left out; figures
// of a module that did not answer are left out, while its module_up says 0.
// Every series carries the round's `rack` label, so that several racks' files sit in one folder. Several
// rounds (one a rack) make one text, each family once with every rack's samples.
std::string PrometheusText(const WatchRound& round);
std::string PrometheusText(std::span<const WatchRound> rounds);

// A label value escaped as the format wants it: backslash, double quote and line feed; bytes that are not UTF-8
// become U+FFFD.
std::string PrometheusLabelValue(std::string_view value);

}  // namespace kelvane
