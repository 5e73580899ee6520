#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

// A rack's configuration as text people review: one section per module pair, each field by the name
// kelvane-cli's set takes (in.freq, constellation, service.SID.lcn, ...). The reader and the writer know the
// document's shape only; what the names mean is the caller's.

// One NAME = VALUE. `quoted` values are written as strings, the others as whole numbers.
struct TextSetting {
    std::string name;
    std::string value;
    bool quoted = false;
    int line = 0;  // where the reader found it; 0 for a setting that was never read
};

// A pair by the row of its input, with the models that tell a file made for another rack.
struct TextPair {
    int inputRow = -1;
    std::string inputModel;
    int outputRow = -1;  // -1: the input has no output
    std::string outputModel;
    std::string heading;  // the writer's comment above the section (one line, may be empty)
    std::vector<TextSetting> settings;  // in the file's order (the writer puts each service's after the rest)
    int line = 0;
};

struct ConfigText {
    std::vector<TextPair> pairs;  // by input row
};

// Why a text was refused, with the line it concerns (1 for the first).
struct ConfigTextRefusal {
    int line = 1;
    std::string reason;
};

// Texts longer than this are refused whole: no rack's configuration comes near it.
constexpr std::size_t kMaxConfigTextBytes = 1u << 20;

// Reads a document. False with `refusal` filled for anything that is not one (a TOML error, a section or a
// key of another shape, a value neither a whole number nor a string, a pair named twice); `text` is then
// left empty.
bool ReadConfigText(std::string_view bytes, ConfigText& text, ConfigTextRefusal& refusal);

// The document as TOML, with `header` as comment lines at its top; the same document always gives the same
// bytes, and what ReadConfigText reads back is the same document.
std::string WriteConfigText(const ConfigText& text, const std::vector<std::string>& header);

// A name of the form service.SID.FIELD: the SID's text and the field, or false.
bool SplitServiceName(std::string_view name, std::string_view& id, std::string_view& field);

}  // namespace kelvane
