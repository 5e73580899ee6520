#pragma once

#include <cstdint>

namespace kelvane::ui {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// Dialog templates count in dialog units; windows are moved and measured in pixels.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Color&) const = default;
};

constexpr Color kBlack{0, 0, 0};
constexpr Color kWhite{255, 255, 255};

// What a control paints with, when the program overrides the defaults.
struct ControlColors {
    Color text = kBlack;
    bool hasText = false;
    Color background = kWhite;
    bool hasBackground = false;
    // Text drawn straight onto whatever lies behind the control.
    bool transparent = false;
    bool operator==(const ControlColors&) const = default;
};

struct Font {
    const char* face = "";
    int pixelHeight = 0;  // character height; 0 keeps the dialog's font
    int weight = 400;
    bool operator==(const Font& other) const = default;
};

}  // namespace kelvane::ui
