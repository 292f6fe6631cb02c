#include <windows.h>

#include <memory>
#include <string>

#include "app/setup_toolkit_api.h"
#include "base/runtime_error.h"
#include "base/text.h"

namespace levorn {
namespace {

using CreateShellLinkFunction = LONG(WINAPI*)(LPSTR, LPSTR, LPSTR, LPSTR, LONG, LPSTR);
using RemoveShellLinkFunction = LONG(WINAPI*)(LPSTR, LPSTR);

// Libraries that the windows, the message box and the input methods load
// by name after start, as seen with Wine's +loaddll channel (imm32.dll,
// uxtheme.dll), and those that Windows Vista and later add (dwmapi.dll for
// the frames, msctf.dll for text services). None of them is a known DLL.
constexpr const char* kLoadedAfterStart[] = {"uxtheme.dll", "dwmapi.dll", "imm32.dll", "msctf.dll"};

// The folder of a module's file, with its trailing backslash; empty when it
// cannot be told.
std::string FolderOf(HMODULE module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  const std::string file(path, length);
  return file.substr(0, file.find_last_of('\\') + 1);
}

// The system directory, with its trailing backslash; empty when it cannot
// be told.
std::string SystemFolder() {
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(path, length) + "\\";
}

// Only the two folders its callers install it in, by full path, since the
// program's library search is confined to the system directory.
HMODULE LoadToolkit(const std::string& library) {
  for (const std::string& folder : {SystemFolder(), FolderOf(nullptr)}) {
    if (folder.empty()) continue;
    if (const HMODULE module = LoadLibraryA((folder + library).c_str())) return module;
  }
  return nullptr;
}

// The real library, loaded when an operation first needs it (never linked,
// so the program starts without it), and called with the standard Windows
// calling convention.
class Win32SetupToolkit : public SetupToolkitApi {
 public:
  explicit Win32SetupToolkit(std::string library) : library_(std::move(library)) {}
  ~Win32SetupToolkit() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  int32_t fCreateShellLink(std::string& folder_name, std::string& link_name, std::string& link_path,
                           std::string& link_arguments, int32_t private_flag,
                           std::string& parent_folder) override {
    auto function = reinterpret_cast<CreateShellLinkFunction>(EntryPoint("fCreateShellLink"));
    return function(folder_name.data(), link_name.data(), link_path.data(), link_arguments.data(),
                    private_flag, parent_folder.data());
  }

  int32_t fRemoveShellLink(std::string& folder_name, std::string& link_name) override {
    auto function = reinterpret_cast<RemoveShellLinkFunction>(EntryPoint("fRemoveShellLink"));
    return function(folder_name.data(), link_name.data());
  }

 private:
  void* EntryPoint(const char* name) {
    if (module_ == nullptr) {
      module_ = LoadToolkit(library_);
      if (module_ == nullptr) {
        throw RuntimeError(ErrorNumber::kFileNotFound, L"File not found: " + FromAnsi(library_));
      }
    }
    FARPROC entry = GetProcAddress(module_, name);
    if (entry == nullptr) {
      throw RuntimeError(
          ErrorNumber::kEntryPointNotFound,
          L"Can't find DLL entry point " + FromAnsi(name) + L" in " + FromAnsi(library_));
    }
    return reinterpret_cast<void*>(entry);
  }

  std::string library_;
  HMODULE module_ = nullptr;
};

}  // namespace

std::unique_ptr<SetupToolkitApi> CreateWin32SetupToolkit(std::string library) {
  return std::make_unique<Win32SetupToolkit>(std::move(library));
}

// Windows looks for a library that is not a known DLL in the program's own
// folder first, then in the current directory. The setup runs elevated from
// wherever it was put (a downloads folder, a share, a USB stick), so a
// uxtheme.dll placed beside it would run with administrator rights. The
// search is cut down to the system directory before anything loads one.
// Looked up at run time: Windows XP, and Vista and 7 without the update
// that added SetDefaultDllDirectories, start all the same.
void RestrictLibrarySearch() {
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto set_default_dll_directories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (set_default_dll_directories != nullptr &&
      set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  // Without it the program's folder cannot be taken out of the search: the
  // current directory is, and the libraries loaded later by name are loaded
  // now from the system directory, so that those loads find them loaded.
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
  const auto set_dll_directory = reinterpret_cast<SetDllDirectoryFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDllDirectoryA")));
  if (set_dll_directory != nullptr) set_dll_directory("");
  const std::string system_folder = SystemFolder();
  if (system_folder.empty()) return;
  for (const char* name : kLoadedAfterStart) LoadLibraryA((system_folder + name).c_str());
}

}  // namespace levorn
