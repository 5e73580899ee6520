#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace kelvane {

// The option parser's refusal said in one line, in kelvane-cli's words: the option or argument it concerns
// named, never the whole usage.
std::string OptionErrorText(const CLI::ParseError& error);

// What the parser left over, said as a refusal: an unknown option, an unknown command (when the command named so
// far has commands of its own, or is the program), or an argument too many (always so `afterOptions`, when the
// first left over came after "--"). Empty when nothing was left over.
std::string LeftOverText(const CLI::App& chosen, const std::vector<std::string>& leftOver, bool afterOptions);

// The command that `app` read, deepest first ("firmware scan" gives scan); `app` itself when none was named.
const CLI::App& ChosenCommand(const CLI::App& app);

enum class ParseOutcome { Parsed, HelpAsked, Refused };

// Reads `args` (without the program's name) into `app`; Refused with `error` as above. HelpAsked when --help
// was given, before anything else was checked.
ParseOutcome ParseOptions(CLI::App& app, const std::vector<std::string>& args, std::string& error);

}  // namespace kelvane
