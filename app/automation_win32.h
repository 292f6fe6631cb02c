#ifndef LEVORN_APP_AUTOMATION_WIN32_H_
#define LEVORN_APP_AUTOMATION_WIN32_H_

#include "app/automation_api.h"

namespace levorn {

// COM itself: CoInitialize once on the thread that first creates an object
// (the user-interface thread), CoUninitialize when this goes.
class Win32Automation : public AutomationApi {
 public:
  Win32Automation() = default;
  ~Win32Automation() override;
  Win32Automation(const Win32Automation&) = delete;
  Win32Automation& operator=(const Win32Automation&) = delete;
  std::unique_ptr<AutomationObject> CreateObject(const Text& prog_id) override;

 private:
  bool initialized_ = false;
};

}  // namespace levorn

#endif  // LEVORN_APP_AUTOMATION_WIN32_H_
