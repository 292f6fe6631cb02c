#ifndef LEVORN_TESTS_SUPPORT_AUTOMATION_FAKE_H_
#define LEVORN_TESTS_SUPPORT_AUTOMATION_FAKE_H_

#include <map>
#include <string>
#include <vector>

#include "app/automation_api.h"
#include "base/runtime_error.h"

namespace levorn {

// Objects that record what is done to them in one log, in order:
//   "create WScript.Shell #1", "#1.SpecialFolders(Desktop)", "release #1".
// Member results and failures are arranged by the test.
class RecordingAutomation : public AutomationApi {
 public:
  std::unique_ptr<AutomationObject> CreateObject(const Text& prog_id) override;

  std::vector<std::string> log;
  int live_objects = 0;
  std::vector<Text> unavailable;          // prog ids that cannot be created
  std::map<Text, Text> results;           // member -> text result
  std::map<Text, RuntimeError> failures;  // member -> the error it raises

 private:
  int next_id_ = 1;
};

}  // namespace levorn

#endif  // LEVORN_TESTS_SUPPORT_AUTOMATION_FAKE_H_
