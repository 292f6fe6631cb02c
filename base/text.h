#ifndef LEVORN_BASE_TEXT_H_
#define LEVORN_BASE_TEXT_H_

#include <string>

namespace levorn {

// Every text the program holds is a counted wide string; it becomes ANSI only
// for the moment a platform call needs it (see ansi.h).
using Text = std::wstring;

// The application title: the caption of every message box that has no title
// of its own, and the product name in the version block.
inline constexpr wchar_t kApplicationTitle[] = L"Levorn";

}  // namespace levorn

#endif  // LEVORN_BASE_TEXT_H_
