#include "app/label_colour.h"

#include <cstdlib>

namespace levorn {
namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
// Brightness difference (0..255) below which text cannot be read.
constexpr int kLeastReadableDifference = 96;

// Perceived brightness, 0 (black) to 255 (white).
int Brightness(Colour colour) {
  const int red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
  return (red * 299 + green * 587 + blue * 114) / 1000;
}

}  // namespace

Colour ReadableTextColour(Colour background, Colour text) {
  const int back = Brightness(background);
  if (std::abs(back - Brightness(text)) >= kLeastReadableDifference) return text;
  return back < 128 ? kWhite : kBlack;
}

}  // namespace levorn
