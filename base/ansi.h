#ifndef LEVORN_BASE_ANSI_H_
#define LEVORN_BASE_ANSI_H_

#include <string>
#include <string_view>

#include "base/text.h"

namespace levorn {

// The one conversion between our wide texts and the ANSI code page that the
// ...A platform calls take. On Windows it is the process code page, with that
// code page's substitute for characters it cannot hold; elsewhere it is
// Windows-1252 with '?' as the substitute. Embedded NULs are kept.
std::string ToAnsi(const Text& text);
Text FromAnsi(std::string_view ansi);

// What a by-reference caller sees after its text went through a call:
// converted to ANSI and back.
inline Text AnsiRoundTrip(const Text& text) { return FromAnsi(ToAnsi(text)); }

}  // namespace levorn

#endif  // LEVORN_BASE_ANSI_H_
