#ifndef LEVORN_TESTS_SUPPORT_SETUP_TOOLKIT_FAKE_H_
#define LEVORN_TESTS_SUPPORT_SETUP_TOOLKIT_FAKE_H_

#include <string>
#include <vector>

#include "app/setup_toolkit_api.h"

namespace levorn {

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

}  // namespace levorn

#endif  // LEVORN_TESTS_SUPPORT_SETUP_TOOLKIT_FAKE_H_
