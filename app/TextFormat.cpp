#include "app/TextFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>

namespace kelvane {
namespace {

// Wider fields than this are no catalogue's business; refusing them keeps a stray "%999999999d" from
// allocating without bound.
constexpr std::size_t kMaxWidth = 64;

struct Placeholder {
    bool zeroPad = false;
    std::size_t width = 0;
    char conversion = '\0';
    std::size_t length = 0;  // from the '%' to the conversion letter, both included
};

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr bool IsConversion(char c) { return c == 'd' || c == 'u' || c == 'x' || c == 'X' || c == 's'; }

// `text` starts at a '%' that is not part of "%%".
std::optional<Placeholder> ParsePlaceholder(std::string_view text) {
    Placeholder placeholder;
    std::size_t at = 1;
    if (at < text.size() && text[at] == '0') {
        placeholder.zeroPad = true;
        ++at;
    }
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        placeholder.width = placeholder.width * 10 + static_cast<std::size_t>(text[at] - '0');
        if (placeholder.width > kMaxWidth) {
            return std::nullopt;
        }
    }
    if (at >= text.size() || !IsConversion(text[at])) {
        return std::nullopt;
    }
    placeholder.conversion = text[at];
    placeholder.length = at + 1;
    return placeholder;
}

std::string Digits(std::uint64_t magnitude, int base, bool upperCase) {
    std::array<char, 24> buffer{};  // 20 decimal digits at most for 64 bits
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, base);
    std::string digits(buffer.data(), result.ptr);
    if (upperCase) {
        for (char& c : digits) {
            if (c >= 'a' && c <= 'f') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
    }
    return digits;
}

void AppendPadded(std::string& out, std::string_view sign, std::string_view body, const Placeholder& placeholder,
                  bool numeric) {
    const std::size_t length = sign.size() + body.size();
    const std::size_t fill = placeholder.width > length ? placeholder.width - length : 0;
    if (numeric && placeholder.zeroPad) {
        out += sign;
        out.append(fill, '0');
    } else {
        out.append(fill, ' ');
        out += sign;
    }
    out += body;
}

void AppendInteger(std::string& out, const FormatArg& arg, const Placeholder& placeholder) {
    if (placeholder.conversion == 'd') {
        const std::int64_t value = arg.Signed();
        // Negating in unsigned arithmetic keeps the most negative value defined.
        const std::uint64_t magnitude =
            value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        AppendPadded(out, value < 0 ? "-" : "", Digits(magnitude, 10, false), placeholder, true);
        return;
    }
    const int base = placeholder.conversion == 'u' ? 10 : 16;
    AppendPadded(out, "", Digits(arg.Unsigned(), base, placeholder.conversion == 'X'), placeholder, true);
}

// False when the argument cannot fill this placeholder; the caller then keeps the placeholder as written.
bool AppendArgument(std::string& out, const FormatArg& arg, const Placeholder& placeholder) {
    const bool wantsText = placeholder.conversion == 's';
    if (arg.IsText() != wantsText) {
        return false;
    }
    if (wantsText) {
        AppendPadded(out, "", arg.Text(), placeholder, false);
    } else {
        AppendInteger(out, arg, placeholder);
    }
    return true;
}

// Hands out the arguments in order, each one once, and nothing past the last.
class ArgumentCursor {
public:
    explicit ArgumentCursor(std::span<const FormatArg> args) : next_(args.data()), end_(args.data() + args.size()) {}

    const FormatArg* Take() { return next_ != end_ ? next_++ : nullptr; }

private:
    const FormatArg* next_;
    const FormatArg* end_;
};

// `rest` starts at a '%'; appends what it stands for and returns how many pattern characters that took.
std::size_t AppendDirective(std::string& out, std::string_view rest, ArgumentCursor& arguments) {
    if (rest.size() > 1 && rest[1] == '%') {
        out += '%';
        return 2;
    }
    const std::optional<Placeholder> placeholder = ParsePlaceholder(rest);
    if (!placeholder) {
        out += '%';
        return 1;
    }
    const FormatArg* arg = arguments.Take();
    if (arg == nullptr || !AppendArgument(out, *arg, *placeholder)) {
        out += rest.substr(0, placeholder->length);
    }
    return placeholder->length;
}

}  // namespace

std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return FormatText(pattern, std::span<const FormatArg>(args.begin(), args.size()));
}

std::string FormatText(std::string_view pattern, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(pattern.size());
    ArgumentCursor arguments(args);
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t percent = std::min(pattern.find('%', at), pattern.size());
        out += pattern.substr(at, percent - at);
        at = percent < pattern.size() ? percent + AppendDirective(out, pattern.substr(percent), arguments) : percent;
    }
    return out;
}

std::string LocalTimeOfDay(std::time_t seconds) {
    std::tm parts{};
#ifdef _WIN32
    if (localtime_s(&parts, &seconds) != 0) return "--:--:--";
#else
    if (localtime_r(&seconds, &parts) == nullptr) return "--:--:--";
#endif
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

}  // namespace kelvane
