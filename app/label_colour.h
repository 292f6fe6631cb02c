#ifndef LEVORN_APP_LABEL_COLOUR_H_
#define LEVORN_APP_LABEL_COLOUR_H_

#include <cstdint>

namespace levorn {

// Colours as COLORREF holds them: 0x00BBGGRR.
using Colour = uint32_t;

// The colour the progress label's text is drawn in: the text colour asked
// for, unless it is too close to the background to be read; then black or
// white, whichever stands out more. The label asks for button text on the
// caption-text colour, which several schemes (Windows 8 and later, Wine)
// make black on black.
Colour ReadableTextColour(Colour background, Colour text);

}  // namespace levorn

#endif  // LEVORN_APP_LABEL_COLOUR_H_
