// A stand-in for the setup toolkit library Vb6stkit.dll, built by the tests:
// it exports the two functions the main window calls, with the standard
// Windows calling convention and undecorated names, remembers what it
// received, and upper-cases the folder name in place, as a library may
// change the buffers it is given.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

std::string g_last_call;

void UpperCase(char* text) {
  for (; *text != '\0'; ++text)
    *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}

}  // namespace

extern "C" {

__declspec(dllexport) LONG WINAPI
    fCreateShellLink(LPSTR folder_name, LPSTR link_name, LPSTR link_path, LPSTR link_arguments,
                     LONG private_flag, LPSTR parent_folder) {
  g_last_call = std::string("fCreateShellLink|") + folder_name + "|" + link_name + "|" + link_path +
                "|" + link_arguments + "|" + std::to_string(private_flag) + "|" + parent_folder;
  UpperCase(folder_name);
  return 1;
}

__declspec(dllexport) LONG WINAPI fRemoveShellLink(LPSTR folder_name, LPSTR link_name) {
  g_last_call = std::string("fRemoveShellLink|") + folder_name + "|" + link_name;
  UpperCase(folder_name);
  return 0;
}

// For the test: the last call received, as "function|argument|...".
__declspec(dllexport) void WINAPI StandInLastCall(LPSTR out, LONG size) {
  std::strncpy(out, g_last_call.c_str(), static_cast<size_t>(size) - 1);
  out[size - 1] = '\0';
}

}  // extern "C"
