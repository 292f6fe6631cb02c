#include <windows.h>

#include "app/setup_toolkit_win32.h"
#include "base/ansi.h"
#include "base/runtime_error.h"

namespace levorn {
namespace {

using CreateShellLinkFunction = LONG(WINAPI*)(LPSTR, LPSTR, LPSTR, LPSTR, LONG, LPSTR);
using RemoveShellLinkFunction = LONG(WINAPI*)(LPSTR, LPSTR);

}  // namespace

Win32SetupToolkit::~Win32SetupToolkit() {
  if (module_ != nullptr) FreeLibrary(static_cast<HMODULE>(module_));
}

void* Win32SetupToolkit::EntryPoint(const char* name) {
  if (module_ == nullptr) {
    module_ = LoadLibraryA(library_.c_str());
    if (module_ == nullptr) {
      throw RuntimeError(ErrorNumber::kFileNotFound, L"File not found: " + FromAnsi(library_));
    }
  }
  FARPROC entry = GetProcAddress(static_cast<HMODULE>(module_), name);
  if (entry == nullptr) {
    throw RuntimeError(
        ErrorNumber::kEntryPointNotFound,
        L"Can't find DLL entry point " + FromAnsi(name) + L" in " + FromAnsi(library_));
  }
  return reinterpret_cast<void*>(entry);
}

int32_t Win32SetupToolkit::fCreateShellLink(std::string& folder_name, std::string& link_name,
                                            std::string& link_path, std::string& link_arguments,
                                            int32_t private_flag, std::string& parent_folder) {
  auto function = reinterpret_cast<CreateShellLinkFunction>(EntryPoint("fCreateShellLink"));
  return function(folder_name.data(), link_name.data(), link_path.data(), link_arguments.data(),
                  private_flag, parent_folder.data());
}

int32_t Win32SetupToolkit::fRemoveShellLink(std::string& folder_name, std::string& link_name) {
  auto function = reinterpret_cast<RemoveShellLinkFunction>(EntryPoint("fRemoveShellLink"));
  return function(folder_name.data(), link_name.data());
}

}  // namespace levorn
