#ifndef LEVORN_APP_AUTOMATION_H_
#define LEVORN_APP_AUTOMATION_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/runtime_error.h"
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

// COM itself: CoInitialize once on the thread that first creates an object
// (the user-interface thread), CoUninitialize when this goes.
class Win32Automation : public AutomationApi {
 public:
  ~Win32Automation() override;
  std::unique_ptr<AutomationObject> CreateObject(const Text& prog_id) override;

 private:
  bool initialized_ = false;
};

}  // namespace levorn

#endif  // LEVORN_APP_AUTOMATION_H_
