// Points, sizes, rectangles and colours of the dialog framework, and the
// conversion from dialog units to pixels.
//
// Templates give positions in dialog units: a horizontal unit is a quarter
// of the base unit's width, a vertical one an eighth of its height, each
// rounded to the nearest pixel. The base unit is the template font's average
// character width and its height in pixels. A host without a screen uses the
// base unit of an 8-point dialog font at 96 dots per inch (6 x 13), so a
// 300 x 190 unit dialog has a client area of 450 x 309 pixels there; a
// desktop host measures the template's font on its screen, so the layout
// follows the font and the screen's resolution.
#pragma once

#include <cstdint>

namespace platform::ui {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;

struct BaseUnits {
  int width = kBaseUnitX;
  int height = kBaseUnitY;
  friend bool operator==(const BaseUnits&, const BaseUnits&) = default;
};

// Multiplies and divides with rounding to the nearest integer, halves away
// from zero.
constexpr int mulDiv(int value, int numerator, int denominator) {
  long long product = static_cast<long long>(value) * numerator;
  long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

constexpr int unitsToPixelsX(int units, BaseUnits base = {}) {
  return mulDiv(units, base.width, 4);
}
constexpr int unitsToPixelsY(int units, BaseUnits base = {}) {
  return mulDiv(units, base.height, 8);
}

constexpr Rect unitsToPixels(const Rect& units, BaseUnits base = {}) {
  return {unitsToPixelsX(units.x, base), unitsToPixelsY(units.y, base),
          unitsToPixelsX(units.width, base), unitsToPixelsY(units.height, base)};
}

}  // namespace platform::ui
