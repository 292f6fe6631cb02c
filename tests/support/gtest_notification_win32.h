// GoogleTest's Notification for the win32 thread model, which has no
// std::mutex: a manual-reset event does the same. GoogleTest uses it only to
// start threads of its own; force-included into GoogleTest and the tests.
#ifndef LEVORN_TESTS_SUPPORT_GTEST_NOTIFICATION_WIN32_H_
#define LEVORN_TESTS_SUPPORT_GTEST_NOTIFICATION_WIN32_H_

#ifdef __cplusplus
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif  // __cplusplus

#endif  // LEVORN_TESTS_SUPPORT_GTEST_NOTIFICATION_WIN32_H_
