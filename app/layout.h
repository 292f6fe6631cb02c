#ifndef LEVORN_APP_LAYOUT_H_
#define LEVORN_APP_LAYOUT_H_

// The windows as they are created: captions, design sizes (twips) and colours.

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

}  // namespace levorn

#endif  // LEVORN_APP_LAYOUT_H_
