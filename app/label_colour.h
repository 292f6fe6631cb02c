#ifndef LEVORN_APP_LABEL_COLOUR_H_
#define LEVORN_APP_LABEL_COLOUR_H_

#include <cstdint>
#include <cstdlib>

namespace levorn {

// Colours as COLORREF holds them: 0x00BBGGRR.
using Colour = uint32_t;

// The colour the progress label's text is drawn in: the text colour asked
// for, unless it is too close to the background to be read; then black or
// white, whichever stands out more. The label asks for button text on the
// caption-text colour, which several schemes (Windows 8 and later, Wine)
// make black on black.
inline Colour ReadableTextColour(Colour background, Colour text) {
  // Perceived brightness, 0 (black) to 255 (white).
  const auto brightness = [](Colour colour) {
    const int red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    return (red * 299 + green * 587 + blue * 114) / 1000;
  };
  // The brightness difference below which text cannot be read.
  constexpr int kLeastReadableDifference = 96;
  const int back = brightness(background);
  if (std::abs(back - brightness(text)) >= kLeastReadableDifference) return text;
  return back < 128 ? 0xFFFFFF : 0x000000;  // white on dark, black on light
}

}  // namespace levorn

#endif  // LEVORN_APP_LABEL_COLOUR_H_
