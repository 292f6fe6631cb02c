#ifndef LEVORN_APP_SETUP_TOOLKIT_API_H_
#define LEVORN_APP_SETUP_TOOLKIT_API_H_

#include <cstdint>
#include <memory>
#include <string>

namespace levorn {

// The setup toolkit library Vb6stkit.dll, which makes and removes
// program-group shortcuts. Every text goes as a NUL-terminated ANSI buffer
// that the library may change in place. A library or entry point that cannot
// be found raises run-time error 53 or 453.
class SetupToolkitApi {
 public:
  virtual ~SetupToolkitApi() = default;
  virtual int32_t fCreateShellLink(std::string& folder_name, std::string& link_name,
                                   std::string& link_path, std::string& link_arguments,
                                   int32_t private_flag, std::string& parent_folder) = 0;
  virtual int32_t fRemoveShellLink(std::string& folder_name, std::string& link_name) = 0;
};

// The real library (Windows build only), looked for by that file name in the
// system directory, then in the program's own folder.
std::unique_ptr<SetupToolkitApi> CreateWin32SetupToolkit(std::string library = "Vb6stkit.dll");

// Confines the process's search for libraries loaded by name to the system
// directory (Windows build only); called first thing at start.
void RestrictLibrarySearch();

}  // namespace levorn

#endif  // LEVORN_APP_SETUP_TOOLKIT_API_H_
