#include "base/message_box_win32.h"

#include <windows.h>

#include "base/ansi.h"

namespace levorn {

int32_t Win32MessageBox::Show(const Text& prompt, const Text& title, uint32_t style) {
  const std::string ansi_prompt = ToAnsi(prompt);
  const std::string ansi_title = ToAnsi(MessageBoxCaption(title));
  return MessageBoxA(GetActiveWindow(), ansi_prompt.c_str(), ansi_title.c_str(), style);
}

}  // namespace levorn
