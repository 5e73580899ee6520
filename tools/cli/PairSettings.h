#pragma once

#include "app/ModulePairs.h"
#include "app/SlotTable.h"
#include "config/ConfigText.h"
#include "panel/EditSequence.h"
#include "panel/PanelModel.h"

#include <string>
#include <vector>

namespace kelvane {

class CXmit;

// A pair of the rack decoded, ready to be shown or changed: its own copy of the slot table, so that a change
// reaches the rack's table only once it was written whole.
struct PairSession {
    SlotTable slots;
    ModulePair pair;
    PanelModel model;
    SlotRecord* input = nullptr;
    SlotRecord* output = nullptr;
};

// Every pair of the table, by the row of its input.
std::vector<ModulePair> PairsOfRack(const SlotTable& slots);

// A pair's rows and models as a text document names them, with a heading that says them in words.
TextPair PairIdentity(const SlotTable& slots, const ModulePair& pair);

// Points the session at its pair's records and decodes their images alone, as a configuration file holds them.
void DecodePairSession(PairSession& s);

// The services the input announces read (the tuner polled until it locked) and the service tables reconciled
// with them, as the panel opens a pair; nothing is marked to be sent.
void OpenPairAsPanel(CXmit& link, PairSession& s);

// One NAME=VALUE in the words of kelvane-cli set, checked as the panel checks it; false with why not.
bool ApplySetting(PairSession& s, const std::string& name, const std::string& value, std::string& why);

// Why EncodePair refused, naming the module.
std::string RefusalText(const SlotTable& slots, const WriteOutcome& outcome);

// Every field of a decoded pair by the name ApplySetting takes, with the value that sets it to what it is: the
// pair's parameters, then each service by id (its CAM, channel and numbers). The network version is left out:
// the apply sequence numbers the section itself whenever its content changes.
std::vector<TextSetting> SettingsOfPair(const PanelModel& m);
// The output's part of it alone (none without an output): its parameters and network fields.
std::vector<TextSetting> OutputSettingsOf(const PanelModel& m);

}  // namespace kelvane
