#pragma once

#include "platform/SerialPort.h"
#include "ui/WindowSystem.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

class CXmit;

// The file beside pref.txt that names the entry chosen under Rack > Connect to, as the port table describes it
// ("rfc2217:tx-site-3:2001"): a number would name another rack once the table changes. None, or an empty one,
// means the search round the whole table.
constexpr const char* kChosenRackFileName = "rack.txt";

std::optional<std::string> ReadChosenRack(const std::filesystem::path& folder);
// Empty `entry`: the whole search again. False when the file could not be written; the choice holds for this run.
bool WriteChosenRack(const std::filesystem::path& folder, const std::string& entry);

// The number of the entry the table describes as `entry`, while the table still has it.
std::optional<std::uint8_t> FindEntry(const PortOpener& ports, const std::string& entry);

// What the searches of this run last found on each entry: the rack, or the reason it gave none.
class EntryStates {
public:
    // After a search or a one-entry open; entries it did not reach keep what they had.
    void Note(const CXmit& link, bool found);
    // The dialog's rows: "Search all ports", then one an entry: "Mont Aigoual, KXRRack on COM1 - rack found",
    // or "Pic de Nore - COM2 is in use by another program".
    std::vector<std::string> ChoiceRows(const PortOpener& ports) const;

private:
    std::map<std::string, std::optional<OpenFailure>> states_;  // by entry; no failure: the rack answered there
};

// The Connect to dialog, modal over `owner`: the row chosen (0 for the first), or none when it was cancelled.
std::optional<int> AskRackChoice(ui::WindowSystem& windows, ui::Dialog& owner, const std::string& caption,
                                 const std::vector<std::string>& rows, int current);

}  // namespace kelvane
