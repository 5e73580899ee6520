#pragma once

#include <concepts>
#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace kelvane {

// One value for a placeholder of FormatText: an integer or a text. A text argument only views the caller's
// characters, so a FormatArg lives no longer than the call it is written in.
class FormatArg {
public:
    // Unsigned conversions show a negative value as printf would: as the bit pattern of its promoted type,
    // so -1 of an int is FFFFFFFF and -1 of a 64-bit integer is sixteen F.
    template <std::integral T>
    requires(!std::same_as<T, bool>) constexpr FormatArg(T value)
        : isText_(false),
          signed_(static_cast<std::int64_t>(value)),
          unsigned_(static_cast<std::make_unsigned_t<decltype(+value)>>(value)) {}
    constexpr FormatArg(std::string_view text) : isText_(true), text_(text) {}
    constexpr FormatArg(const char* text) : FormatArg(std::string_view(text != nullptr ? text : "")) {}
    FormatArg(const std::string& text) : FormatArg(std::string_view(text)) {}

    constexpr bool IsText() const { return isText_; }
    constexpr std::int64_t Signed() const { return signed_; }
    constexpr std::uint64_t Unsigned() const { return unsigned_; }
    constexpr std::string_view Text() const { return text_; }

private:
    bool isText_;
    std::int64_t signed_ = 0;
    std::uint64_t unsigned_ = 0;
    std::string_view text_;
};

// Fills the placeholders of a catalogue text in order: %d, %u, %x, %X and %s, each with an optional '0' flag
// and a width of at most 64, and %% for a percent sign. Nothing is ever read beyond the arguments given: a
// placeholder left without an argument, one whose argument is of the other kind (which is used up all the
// same, so that later placeholders keep their own arguments), or one that is not understood stays in the
// text as written. Arguments beyond the placeholders are ignored.
std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args);

// The same for arguments gathered at run time.
std::string FormatText(std::string_view pattern, std::span<const FormatArg> args);

// The time of day of `seconds` on this machine's clock, as the operator reads a wall clock: "14:03:07".
std::string LocalTimeOfDay(std::time_t seconds);

}  // namespace kelvane
