#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>

// What every harness checks beyond the sanitizers, and how the harnesses cut one input into several.
namespace kelvane::fuzz {

using Bytes = std::span<const std::uint8_t>;

// A broken promise is a finding like a sanitizer report: the run stops and keeps the input.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

inline bool SameBytes(Bytes a, Bytes b) { return std::equal(a.begin(), a.end(), b.begin(), b.end()); }

// Runs each check over the whole input: the entry point of a harness that reads one input several ways.
inline int CheckAll(const std::uint8_t* data, std::size_t size, std::initializer_list<void (*)(Bytes)> checks) {
    for (const auto check : checks) check(Bytes(data, size));
    return 0;
}

// Whether a text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF): every
// text the program builds from outside bytes must be, since the window and the terminal show it as such.
inline bool IsUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

// Cuts an input into parts, each a big-endian 16-bit length and that many bytes; a length that runs past the
// input gives what is left. Seeds are written in the same form (fuzz/seeds/).
class Parts {
public:
    explicit Parts(Bytes bytes) : bytes_(bytes) {}

    std::optional<Bytes> Next() {
        if (bytes_.size() < 2) return std::nullopt;
        const std::size_t length = std::size_t{bytes_[0]} << 8 | bytes_[1];
        bytes_ = bytes_.subspan(2);
        const Bytes part = bytes_.first(length < bytes_.size() ? length : bytes_.size());
        bytes_ = bytes_.subspan(part.size());
        return part;
    }

    Bytes Rest() const { return bytes_; }

private:
    Bytes bytes_;
};

}  // namespace kelvane::fuzz
