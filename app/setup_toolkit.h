#ifndef LEVORN_APP_SETUP_TOOLKIT_H_
#define LEVORN_APP_SETUP_TOOLKIT_H_

#include <cstdint>
#include <string>
#include <vector>

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

// Records each call as "function|argument|argument|...". It answers with
// `result`, and can stand for a missing library or entry point.
class RecordingToolkit : public SetupToolkitApi {
 public:
  int32_t fCreateShellLink(std::string& folder_name, std::string& link_name, std::string& link_path,
                           std::string& link_arguments, int32_t private_flag,
                           std::string& parent_folder) override;
  int32_t fRemoveShellLink(std::string& folder_name, std::string& link_name) override;

  std::vector<std::string> calls;
  int32_t result = 1;
  bool library_missing = false;
  bool entry_points_missing = false;
  // Changes the first buffer in place, as a library may.
  std::string rewrite_folder_name_to;

 private:
  void Enter(const char* function);
};

// The real library, loaded when an operation first needs it (never linked,
// so the program starts without it), and called with the standard Windows
// calling convention.
class Win32SetupToolkit : public SetupToolkitApi {
 public:
  explicit Win32SetupToolkit(std::string library = "Vb6stkit.dll") : library_(std::move(library)) {}
  ~Win32SetupToolkit() override;

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

#endif  // LEVORN_APP_SETUP_TOOLKIT_H_
