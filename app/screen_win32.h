#ifndef LEVORN_APP_SCREEN_WIN32_H_
#define LEVORN_APP_SCREEN_WIN32_H_

#include <windows.h>

#include <array>
#include <map>

#include "app/screen.h"

namespace levorn {

// The screen itself. The two windows as real Win32 windows: "Levorn Setup",
// an MDI frame whose client area is an (always empty) MDI client, and
// "Searching", an ordinary top-level window holding the label lblMessage.
// Twips are converted at the screen's real pixels per inch; the program
// declares no DPI awareness. Message boxes are MessageBoxA, owned by the
// thread's active window so that they are modal to the application.
class Win32Screen : public ScreenApi {
 public:
  explicit Win32Screen(HINSTANCE instance);
  ~Win32Screen() override;
  Win32Screen(const Win32Screen&) = delete;
  Win32Screen& operator=(const Win32Screen&) = delete;

  void Create(WindowId window) override;
  void Show(WindowId window) override;
  void Refresh(WindowId window) override;
  void Destroy(WindowId window) override;
  float Get(WindowId window, Measure measure) override;
  void Set(WindowId window, Measure measure, float twips) override;
  int32_t ShowMessage(const Text& prompt, const Text& title, uint32_t style) override;

  // For tests that look at the real windows.
  HWND handle(WindowId window) const;

 private:
  HWND CreateTopLevel(const char* class_name, const char* caption, DWORD style, float left,
                      float top, float width, float height);
  HWND CreateMainWindow();
  HWND CreateProgressWindow();
  std::array<int, 4> OuterPixels(WindowId window) const;
  float TwipsPerPixel(Measure measure) const;
  int ToPixelsX(float twips) const;
  int ToPixelsY(float twips) const;

  static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM w, LPARAM l);

  HINSTANCE instance_;
  float twips_per_pixel_x_;
  float twips_per_pixel_y_;
  std::map<WindowId, HWND> windows_;
  HWND label_ = nullptr;
  HFONT label_font_ = nullptr;
};

}  // namespace levorn

#endif  // LEVORN_APP_SCREEN_WIN32_H_
