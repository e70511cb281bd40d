// Points, sizes, rectangles and colours of the dialog framework, and the
// conversion from dialog units to pixels.
//
// Templates give positions in dialog units. Every host lays them out with
// the same base units, those of an 8-point dialog font at 96 dots per inch:
// a horizontal unit is a quarter of 6 pixels, a vertical one an eighth of 13,
// each rounded to the nearest pixel, so a 300 x 190 unit dialog has a client
// area of 450 x 309 pixels on every host.
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

// Multiplies and divides with rounding to the nearest integer, halves away
// from zero.
constexpr int mulDiv(int value, int numerator, int denominator) {
  long long product = static_cast<long long>(value) * numerator;
  long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

constexpr int unitsToPixelsX(int units) { return mulDiv(units, kBaseUnitX, 4); }
constexpr int unitsToPixelsY(int units) { return mulDiv(units, kBaseUnitY, 8); }

constexpr Rect unitsToPixels(const Rect& units) {
  return {unitsToPixelsX(units.x), unitsToPixelsY(units.y), unitsToPixelsX(units.width),
          unitsToPixelsY(units.height)};
}

}  // namespace platform::ui
