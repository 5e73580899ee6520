// The configuration as TOML: read with toml11, written by hand so that the layout and the comments are ours
// and the same document always gives the same bytes.

#include "config/ConfigText.h"

#include "text/Utf8.h"

#include <toml.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

namespace kelvane {
namespace {

using Value = toml::basic_value<toml::discard_comments, std::map, std::vector>;
using Table = Value::table_type;

// toml11 reads arrays and inline tables by recursion: a text nested deeper than any configuration needs is
// refused before it is parsed, so that no input can exhaust the stack.
constexpr int kMaxNesting = 8;
// A pair's names have at most this many parts: service . SID . FIELD.
constexpr int kMaxKeyDepth = 3;
constexpr int kMaxRow = 14;

struct Refused {
    ConfigTextRefusal what;
};

[[noreturn]] void Refuse(int line, std::string reason) { throw Refused{{std::max(line, 1), std::move(reason)}}; }

int LineOf(const Value& value) { return static_cast<int>(value.location().line()); }

// The first line of toml11's report without its tags: "[error] toml::parse_xxx: what".
std::string TomlReason(const std::string& what) {
    std::string first = what.substr(0, what.find('\n'));
    for (const std::string_view tag : {"[error] ", "toml::"}) {
        if (first.rfind(tag, 0) == 0) first.erase(0, tag.size());
    }
    if (const std::size_t colon = first.find(':'); colon != std::string::npos && first.find(' ') > colon) {
        first.erase(0, colon + 2);
    }
    if (first.find_first_not_of(' ') == std::string::npos) first.clear();
    // Some reports say it only under the caret that points at the place.
    if (const std::size_t caret = what.find("^--- "); first.empty() && caret != std::string::npos) {
        first = what.substr(caret + 5, what.find('\n', caret) - caret - 5);
    }
    return first.empty() ? "this is not TOML" : first;
}

// TOML is UTF-8, and toml11 reads past the end of a text whose multi-byte sequences are cut or invalid: such a
// text, and a NUL that would end it early, are refused before toml11 sees it.
void CheckCharacters(std::string_view bytes) {
    int line = 1;
    for (std::size_t at = 0; at < bytes.size();) {
        const char byte = bytes[at];
        const auto c = NextUtf8Character(bytes, at);
        if (!c) Refuse(line, "the text is not UTF-8 here");
        if (*c == 0) Refuse(line, "a NUL byte is no text");
        if (byte == '\n') ++line;
    }
}

void CheckNesting(std::string_view bytes) {
    int depth = 0;
    int line = 1;
    char quote = 0;
    bool comment = false;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const char c = bytes[k];
        if (c == '\n') {
            ++line;
            comment = false;
            if (quote == '"' || quote == '\'') quote = 0;  // a multi-line string only hides brackets: harmless
            continue;
        }
        if (comment) continue;
        if (quote != 0) {
            if (c == '\\' && quote == '"')
                ++k;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '#')
            comment = true;
        else if (c == '"' || c == '\'')
            quote = c;
        else if (c == '[' || c == '{')
            depth += 1;
        else if ((c == ']' || c == '}') && depth > 0)
            depth -= 1;
        if (depth > kMaxNesting) Refuse(line, "brackets nested deeper than " + std::to_string(kMaxNesting));
    }
}

std::optional<int> RowNumber(std::string_view text) {
    int row = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || row < 0 || row > kMaxRow) {
        return std::nullopt;
    }
    return row;
}

// Every leaf under `table`, by its dotted name, as a setting. Depth is counted in the name's parts, so that a
// quoted key holding dots ("in.freq") is the name it reads as, however it was written.
void Flatten(const Table& table, const std::string& prefix, int line, std::vector<TextSetting>& out) {
    for (const auto& [key, value] : table) {
        const std::string name = prefix.empty() ? key : prefix + "." + key;
        const auto parts = static_cast<int>(std::count(name.begin(), name.end(), '.')) + 1;
        if (parts > kMaxKeyDepth || (value.is_table() && parts == kMaxKeyDepth)) {
            Refuse(LineOf(value) > 0 ? LineOf(value) : line, "'" + name + "' holds keys deeper than any setting");
        }
        if (value.is_table()) {
            Flatten(value.as_table(), name, LineOf(value), out);
        } else if (value.is_integer()) {
            out.push_back({name, std::to_string(value.as_integer()), false, LineOf(value)});
        } else if (value.is_string()) {
            out.push_back({name, value.as_string().str, true, LineOf(value)});
        } else {
            Refuse(LineOf(value) > 0 ? LineOf(value) : line, name + " takes a whole number or a text");
        }
    }
}

// A name given twice (as "in.freq" and as in.freq, which TOML holds apart) would leave which one counts to chance.
void CheckNamesOnce(const std::vector<TextSetting>& settings) {
    std::map<std::string_view, int> seen;
    for (const TextSetting& s : settings) {
        if (const auto [at, added] = seen.emplace(s.name, s.line); !added) {
            Refuse(s.line, s.name + " is given twice (first on line " + std::to_string(at->second) + ")");
        }
    }
}

// Takes the identity keys (input.model, output.row, output.model) out of `settings` into the pair.
void TakeIdentity(TextPair& pair) {
    bool hasModel = false;
    bool hasOutputRow = false;
    std::vector<TextSetting> rest;
    for (TextSetting& s : pair.settings) {
        if (s.name == "input.model" && s.quoted) {
            pair.inputModel = s.value;
            hasModel = true;
        } else if (s.name == "output.model" && s.quoted) {
            pair.outputModel = s.value;
        } else if (s.name == "output.row" && !s.quoted) {
            const auto row = RowNumber(s.value);
            if (!row) Refuse(s.line, "output.row must be a row from 0 to " + std::to_string(kMaxRow));
            pair.outputRow = *row;
            hasOutputRow = true;
        } else if (const std::string_view first = std::string_view(s.name).substr(0, s.name.find('.'));
                   first == "input" || first == "output") {
            Refuse(s.line, s.name + " is not input.model, output.row or output.model (or not of their kind)");
        } else {
            rest.push_back(std::move(s));
        }
    }
    if (!hasModel) Refuse(pair.line, "pair " + std::to_string(pair.inputRow) + " names no input.model");
    if (hasOutputRow != !pair.outputModel.empty()) {
        Refuse(pair.line,
               "pair " + std::to_string(pair.inputRow) + " needs both output.row and output.model, or neither");
    }
    pair.settings = std::move(rest);
}

void ReadPairs(const Value& root, ConfigText& text) {
    for (const auto& [key, value] : root.as_table()) {
        if (key != "pair" || !value.is_table()) Refuse(LineOf(value), "'" + key + "' is not a [pair.ROW] section");
        for (const auto& [rowText, section] : value.as_table()) {
            const auto row = RowNumber(rowText);
            if (!row || !section.is_table()) {
                Refuse(LineOf(section),
                       "[pair." + rowText + "] is not a section of a row from 0 to " + std::to_string(kMaxRow));
            }
            TextPair pair;
            pair.inputRow = *row;
            pair.line = LineOf(section);
            Flatten(section.as_table(), "", pair.line, pair.settings);
            std::stable_sort(pair.settings.begin(), pair.settings.end(),
                             [](const TextSetting& a, const TextSetting& b) { return a.line < b.line; });
            CheckNamesOnce(pair.settings);
            TakeIdentity(pair);
            text.pairs.push_back(std::move(pair));
        }
    }
}

// A TOML basic string: quotes, backslashes and control characters escaped, everything else as it is.
std::string Quote(const std::string& value) {
    std::string out = "\"";
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

// A dotted name as a TOML key: each part bare where it can be, quoted where it holds other characters.
std::string KeyText(std::string_view name) {
    std::string key;
    for (std::size_t start = 0;;) {
        const std::size_t dot = std::min(name.find('.', start), name.size());
        const std::string part(name.substr(start, dot - start));
        const bool bare = !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        });
        key += bare ? part : Quote(part);
        if (dot == name.size()) return key;
        key += '.';
        start = dot + 1;
    }
}

void WriteSetting(std::ostringstream& out, std::string_view name, const TextSetting& s) {
    out << KeyText(name) << " = " << (s.quoted ? Quote(s.value) : s.value) << '\n';
}

void WritePair(std::ostringstream& out, const TextPair& pair) {
    out << '\n';
    if (!pair.heading.empty()) out << "# " << pair.heading << '\n';
    out << "[pair." << pair.inputRow << "]\n";
    out << "input.model = " << Quote(pair.inputModel) << '\n';
    if (pair.outputRow >= 0) {
        out << "output.row = " << pair.outputRow << "\noutput.model = " << Quote(pair.outputModel) << '\n';
    }
    std::string_view id, field;
    for (const TextSetting& s : pair.settings) {
        if (!SplitServiceName(s.name, id, field)) WriteSetting(out, s.name, s);
    }
    // Each service's table once, holding its fields in the order they came.
    std::vector<std::string_view> written;
    for (const TextSetting& s : pair.settings) {
        if (!SplitServiceName(s.name, id, field)) continue;
        if (std::find(written.begin(), written.end(), id) != written.end()) continue;
        written.push_back(id);
        out << "\n[pair." << pair.inputRow << ".service." << KeyText(id) << "]\n";
        for (const TextSetting& t : pair.settings) {
            std::string_view tid, tfield;
            if (SplitServiceName(t.name, tid, tfield) && tid == id) WriteSetting(out, tfield, t);
        }
    }
}

}  // namespace

bool SplitServiceName(std::string_view name, std::string_view& id, std::string_view& field) {
    constexpr std::string_view kPrefix = "service.";
    if (name.substr(0, kPrefix.size()) != kPrefix) return false;
    const std::size_t dot = name.find('.', kPrefix.size());
    if (dot == std::string_view::npos || dot == kPrefix.size()) return false;
    id = name.substr(kPrefix.size(), dot - kPrefix.size());
    field = name.substr(dot + 1);
    return !field.empty();
}

bool ReadConfigText(std::string_view bytes, ConfigText& text, ConfigTextRefusal& refusal) {
    text = {};
    try {
        if (bytes.size() > kMaxConfigTextBytes) {
            Refuse(1, "the text is longer than " + std::to_string(kMaxConfigTextBytes) + " bytes");
        }
        CheckCharacters(bytes);
        CheckNesting(bytes);
        std::istringstream stream{std::string(bytes)};
        const Value root = toml::parse<toml::discard_comments, std::map, std::vector>(stream, "text");
        ReadPairs(root, text);
        return true;
    } catch (const Refused& refused) {
        refusal = refused.what;
    } catch (const toml::exception& error) {
        // toml11 places what a text lacks at its end on the line after its last.
        const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
        const int line = std::clamp(static_cast<int>(error.location().line()), 1, lines);
        refusal = {line, TomlReason(error.what())};
    } catch (const std::exception& error) {
        refusal = {1, TomlReason(error.what())};
    }
    text = {};
    return false;
}

std::string WriteConfigText(const ConfigText& text, const std::vector<std::string>& header) {
    std::ostringstream out;
    for (const std::string& line : header) out << "# " << line << '\n';
    for (const TextPair& pair : text.pairs) WritePair(out, pair);
    return out.str();
}

}  // namespace kelvane
