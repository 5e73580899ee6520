#include "tools/common/OptionErrors.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kelvane {
namespace {

// CLI11 names the option at the front of most of its messages ("--rows: 1 required TEXT missing").
std::string NameBefore(const std::string& message, const std::string& separator) {
    const std::size_t at = message.find(separator);
    return at == std::string::npos ? std::string() : message.substr(0, at);
}

}  // namespace

std::string OptionErrorText(const CLI::ParseError& error) {
    const std::string message = error.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        // A flag given a value is named as typed, without its dashes.
        if (const std::string flag = NameBefore(message, " was given a disallowed flag override"); !flag.empty()) {
            return "option " + (flag.starts_with("-") ? flag : "--" + flag) + " takes no value";
        }
        if (message.ends_with(" missing")) return "option " + NameBefore(message, ":") + " needs a value";
        if (message.find("At Most") != std::string::npos)
            return "option " + NameBefore(message, ":") + " is given more than once";
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr && message.ends_with(" is required")) {
        return NameBefore(message, " is required") + " is missing";
    }
    return message;
}

std::string LeftOverText(const CLI::App& chosen, const std::vector<std::string>& leftOver, bool afterOptions) {
    if (leftOver.empty()) return {};
    const std::string& first = leftOver.front();
    if (!afterOptions && first.size() > 1 && first.front() == '-')
        return "unknown option '" + first.substr(0, first.find('=')) + "'";
    const bool commands =
        chosen.get_parent() == nullptr || !chosen.get_subcommands([](const CLI::App*) { return true; }).empty();
    return (commands ? "unknown command '" : "unexpected argument '") + first + "'";
}

const CLI::App& ChosenCommand(const CLI::App& app) {
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    return chosen.empty() ? app : ChosenCommand(*chosen.front());
}

ParseOutcome ParseOptions(CLI::App& app, const std::vector<std::string>& args, std::string& error) {
    // CLI11 reads "--name=" as "--name" and would take the next argument for its value: the empty value is kept.
    std::vector<std::string> split;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        optionsEnded = optionsEnded || arg == "--";
        const bool emptyValue = !optionsEnded && arg.size() > 3 && arg.starts_with("--") && arg.ends_with("=");
        split.push_back(emptyValue ? arg.substr(0, arg.size() - 1) : arg);
        if (emptyValue) split.emplace_back();
    }
    std::vector<std::string> reversed(split.rbegin(), split.rend());  // CLI11 takes the arguments last first
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return ParseOutcome::HelpAsked;
    } catch (const CLI::ParseError& e) {
        error = OptionErrorText(e);
        return ParseOutcome::Refused;
    }
    std::vector<std::string> leftOver = app.remaining(true);
    // CLI11 keeps the "--" that ended the options among what it left over; it was understood.
    std::erase(leftOver, "--");
    // After "--" even "--x" was an argument: one too many, not an unknown option.
    const auto end = std::find(args.begin(), args.end(), "--");
    const bool afterOptions = !leftOver.empty() && std::find(args.begin(), end, leftOver.front()) == end;
    error = LeftOverText(ChosenCommand(app), leftOver, afterOptions);
    return error.empty() ? ParseOutcome::Parsed : ParseOutcome::Refused;
}

std::optional<std::uint32_t> SecondsAsMs(const std::string& text, double low, double high) {
    double seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || !(seconds >= low) || seconds > high) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::lround(seconds * 1000));
}

}  // namespace kelvane
