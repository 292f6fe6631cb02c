#ifndef LEVORN_APP_SETUP_TOOLKIT_WIN32_H_
#define LEVORN_APP_SETUP_TOOLKIT_WIN32_H_

#include <string>

#include "app/setup_toolkit_api.h"

namespace levorn {

// Confines the search for libraries loaded by name to the system directory,
// for the whole process. The program calls it first thing at start.
void RestrictLibrarySearch();

// The real library, loaded when an operation first needs it (never linked,
// so the program starts without it), and called with the standard Windows
// calling convention.
class Win32SetupToolkit : public SetupToolkitApi {
 public:
  explicit Win32SetupToolkit(std::string library = "Vb6stkit.dll") : library_(std::move(library)) {}
  ~Win32SetupToolkit() override;
  Win32SetupToolkit(const Win32SetupToolkit&) = delete;
  Win32SetupToolkit& operator=(const Win32SetupToolkit&) = delete;

  int32_t fCreateShellLink(std::string& folder_name, std::string& link_name, std::string& link_path,
                           std::string& link_arguments, int32_t private_flag,
                           std::string& parent_folder) override;
  int32_t fRemoveShellLink(std::string& folder_name, std::string& link_name) override;

 private:
  void* EntryPoint(const char* name);

  std::string library_;
  void* module_ = nullptr;
};

}  // namespace levorn

#endif  // LEVORN_APP_SETUP_TOOLKIT_WIN32_H_
