#ifndef LEVORN_APP_AUTOMATION_API_H_
#define LEVORN_APP_AUTOMATION_API_H_

#include <memory>
#include <vector>

#include "base/text.h"

namespace levorn {

// A COM object called late-bound: members are found by name and called
// through IDispatch. Releasing the object (destroying this) releases the
// reference. A failing call raises a run-time error carrying the object's
// own number and description.
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // Calls the member with text arguments and returns its result as text.
  virtual Text CallForText(const Text& member, const std::vector<Text>& arguments) = 0;
  // Calls the member with text arguments; any result is released unused.
  virtual void Call(const Text& member, const std::vector<Text>& arguments) = 0;
};

// Creates automation objects by programmatic identifier, on the local
// machine. An object that cannot be created raises run-time error 429.
class AutomationApi {
 public:
  virtual ~AutomationApi() = default;
  virtual std::unique_ptr<AutomationObject> CreateObject(const Text& prog_id) = 0;
};

// COM itself (Windows build only).
std::unique_ptr<AutomationApi> CreateWin32Automation();

}  // namespace levorn

#endif  // LEVORN_APP_AUTOMATION_API_H_
