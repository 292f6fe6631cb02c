#include "tests/support/setup_toolkit_fake.h"

#include "base/runtime_error.h"
#include "base/text.h"

namespace levorn {

void RecordingToolkit::Enter(const char* function) {
  if (library_missing)
    throw RuntimeError(ErrorNumber::kFileNotFound, L"File not found: Vb6stkit.dll");
  if (entry_points_missing) {
    throw RuntimeError(ErrorNumber::kEntryPointNotFound,
                       L"Can't find DLL entry point " + FromAnsi(function) + L" in Vb6stkit.dll");
  }
}

int32_t RecordingToolkit::fCreateShellLink(std::string& folder_name, std::string& link_name,
                                           std::string& link_path, std::string& link_arguments,
                                           int32_t private_flag, std::string& parent_folder) {
  Enter("fCreateShellLink");
  calls.push_back("fCreateShellLink|" + folder_name + "|" + link_name + "|" + link_path + "|" +
                  link_arguments + "|" + std::to_string(private_flag) + "|" + parent_folder);
  if (!rewrite_folder_name_to.empty()) folder_name = rewrite_folder_name_to;
  return result;
}

int32_t RecordingToolkit::fRemoveShellLink(std::string& folder_name, std::string& link_name) {
  Enter("fRemoveShellLink");
  calls.push_back("fRemoveShellLink|" + folder_name + "|" + link_name);
  if (!rewrite_folder_name_to.empty()) folder_name = rewrite_folder_name_to;
  return result;
}

}  // namespace levorn
