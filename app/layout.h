#ifndef LEVORN_APP_LAYOUT_H_
#define LEVORN_APP_LAYOUT_H_

// The windows as they are created: captions, design sizes (twips) and colours.

#include <cstdint>
#include <cstdlib>

namespace levorn {

// The resource numbers the executable carries (resources/levorn_setup.rc).
inline constexpr int kApplicationIconGroup = 1;

// Main window: an MDI frame.
inline constexpr char kMainCaption[] = "Levorn Setup";
inline constexpr float kMainClientLeft = 60;
inline constexpr float kMainClientTop = 345;
inline constexpr float kMainClientWidth = 6285;
inline constexpr float kMainClientHeight = 3765;

// Progress window.
inline constexpr char kProgressCaption[] = "Searching";
inline constexpr float kProgressClientLeft = 60;
inline constexpr float kProgressClientTop = 345;
inline constexpr float kProgressClientWidth = 4620;
inline constexpr float kProgressClientHeight = 2070;
// Its outer size, which its load handler sets.
inline constexpr float kProgressWidth = 4740;
inline constexpr float kProgressHeight = 2475;

// Its label, lblMessage, in the progress window's client area.
inline constexpr char kLabelCaption[] = "   ***  Installing  ***   ***  Please Wait  ***";
inline constexpr float kLabelLeft = 240;
inline constexpr float kLabelTop = 480;
inline constexpr float kLabelWidth = 4095;
inline constexpr float kLabelHeight = 975;
inline constexpr char kLabelFontFace[] = "MS Sans Serif";
inline constexpr int kLabelFontPoints = 18;
inline constexpr int kLabelBackColour = 9;   // COLOR_CAPTIONTEXT
inline constexpr int kLabelTextColour = 18;  // COLOR_BTNTEXT

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

#endif  // LEVORN_APP_LAYOUT_H_
