#pragma once

#include "app/SlotTable.h"
#include "config/ConfigFile.h"

namespace kelvane {

class CXmit;

enum class UploadResult {
    Sent,  // every request was answered
    Unanswered,  // some module did not answer; the link is marked lost
    Mismatch,  // the file does not fit the installation: nothing was changed or sent
};

// The end of an upload the operator confirmed: the loaded images replace those of the slot table (types and
// addresses stay), every image that changed goes to its module, and every output module restarts.
UploadResult UploadLoadedConfig(CXmit& link, SlotTable& slots, const LoadedConfig& loaded);

}  // namespace kelvane
