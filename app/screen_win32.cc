#include <windows.h>

#include <array>
#include <cmath>
#include <map>

#include "app/layout.h"
#include "app/screen.h"
#include "base/runtime_error.h"
#include "base/text.h"

namespace levorn {
namespace {

constexpr char kMainClass[] = "LevornSetupMain";
constexpr char kProgressClass[] = "LevornSetupMessage";
constexpr int kMdiClientId = 1;
constexpr int kLabelId = 2;

float ScreenTwipsPerPixel(int index) {
  HDC screen = GetDC(nullptr);
  const int dots_per_inch = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dots_per_inch > 0 ? 1440.0f / static_cast<float>(dots_per_inch) : 15.0f;
}

void RegisterClassOnce(HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon,
                       HBRUSH background) {
  WNDCLASSEXA window_class = {};
  if (GetClassInfoExA(instance, name, &window_class)) return;
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = icon;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = background;
  window_class.lpszClassName = name;
  if (!RegisterClassExA(&window_class)) throw RuntimeError(ErrorNumber::kOutOfMemory);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  // The frame keeps its MDI client, which DefFrameProc needs, in its own
  // user data.
  if (message == WM_CREATE) {
    CLIENTCREATESTRUCT client = {};
    client.idFirstChild = 0xFF00;
    HWND mdi_client = CreateWindowExA(
        0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
        0, 0, 0, 0, window, reinterpret_cast<HMENU>(kMdiClientId),
        reinterpret_cast<LPCREATESTRUCTA>(l)->hInstance, &client);
    if (mdi_client == nullptr) return -1;
    // The client starts with both scroll bars showing until a message loop
    // lets it find it has nothing to scroll, and every repaint of the frame
    // until then draws them anew. Hiding them now leaves the client as its
    // own first recalculation would, a moment earlier.
    ShowScrollBar(mdi_client, SB_BOTH, FALSE);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(mdi_client));
    return 0;
  }
  HWND mdi_client = reinterpret_cast<HWND>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return DefFrameProcA(window, mdi_client, message, w, l);
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(l)) == kLabelId) {
    HDC dc = reinterpret_cast<HDC>(w);
    SetTextColor(dc,
                 ReadableTextColour(GetSysColor(kLabelBackColour), GetSysColor(kLabelTextColour)));
    SetBkColor(dc, GetSysColor(kLabelBackColour));
    SetBkMode(dc, OPAQUE);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(kLabelBackColour));
  }
  return DefWindowProcA(window, message, w, l);
}

// The screen itself. The two windows as real Win32 windows: "Levorn Setup",
// an MDI frame whose client area is an (always empty) MDI client, and
// "Searching", an ordinary top-level window holding the label lblMessage.
// Twips are converted at the dots per inch Windows reports; the program
// declares no DPI awareness, so where Windows scales it that is 96. Message
// boxes are MessageBoxA, owned by the thread's active window so that they
// are modal to the application.
class Win32Screen : public ScreenApi {
 public:
  ~Win32Screen() override {
    for (auto& [id, window] : windows_) DestroyWindow(window);
    if (label_font_ != nullptr) DeleteObject(label_font_);
  }

  void Create(WindowId window) override {
    HWND created = window == WindowId::kMain ? CreateMainWindow() : CreateProgressWindow();
    if (created == nullptr) throw RuntimeError(ErrorNumber::kOutOfMemory);
    windows_[window] = created;
  }

  void Show(WindowId window) override { ShowWindow(handle(window), SW_SHOWNORMAL); }

  void Refresh(WindowId window) override {
    RedrawWindow(handle(window), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }

  void Destroy(WindowId window) override {
    DestroyWindow(handle(window));
    windows_.erase(window);
  }

  float Get(WindowId window, Measure measure) override {
    return static_cast<float>(OuterPixels(window)[static_cast<size_t>(measure)]) *
           TwipsPerPixel(measure);
  }

  void Set(WindowId window, Measure measure, float twips) override {
    std::array<int, 4> place = OuterPixels(window);
    place[static_cast<size_t>(measure)] = ToPixels(twips, measure);
    SetWindowPos(handle(window), nullptr, place[0], place[1], place[2], place[3],
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  int32_t ShowMessage(const Text& prompt, const Text& title, Ending) override {
    const std::string ansi_prompt = ToAnsi(prompt);
    const std::string ansi_title = ToAnsi(MessageBoxCaption(title));
    return MessageBoxA(GetActiveWindow(), ansi_prompt.c_str(), ansi_title.c_str(), MB_OK);
  }

 private:
  HWND handle(WindowId window) const {
    auto it = windows_.find(window);
    if (it == windows_.end()) throw RuntimeError(ErrorNumber::kAutomationError);
    return it->second;
  }

  // The window's outer rectangle in pixels, in the order of Measure: left,
  // top, width, height.
  std::array<int, 4> OuterPixels(WindowId window) const {
    RECT r = {};
    GetWindowRect(handle(window), &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }

  float TwipsPerPixel(Measure measure) const {
    const bool across = measure == Measure::kLeft || measure == Measure::kWidth;
    return across ? twips_per_pixel_x_ : twips_per_pixel_y_;
  }

  int ToPixels(float twips, Measure measure) const {
    return static_cast<int>(std::lround(twips / TwipsPerPixel(measure)));
  }

  // A top-level window whose client area has the design place and size.
  HWND CreateTopLevel(const char* class_name, const char* caption, DWORD style, float left,
                      float top, float width, float height) {
    const int x = ToPixels(left, Measure::kLeft), y = ToPixels(top, Measure::kTop);
    RECT outer = {x, y, x + ToPixels(width, Measure::kWidth),
                  y + ToPixels(height, Measure::kHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    return CreateWindowExA(0, class_name, caption, style, outer.left, outer.top,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           instance_, nullptr);
  }

  HWND CreateMainWindow() {
    RegisterClassOnce(instance_, kMainClass, MainProc,
                      LoadIconA(instance_, MAKEINTRESOURCEA(kApplicationIconGroup)),
                      reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    return CreateTopLevel(kMainClass, kMainCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                          kMainClientLeft, kMainClientTop, kMainClientWidth, kMainClientHeight);
  }

  HWND CreateProgressWindow() {
    RegisterClassOnce(instance_, kProgressClass, ProgressProc, nullptr,
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND window =
        CreateTopLevel(kProgressClass, kProgressCaption, WS_OVERLAPPEDWINDOW, kProgressClientLeft,
                       kProgressClientTop, kProgressClientWidth, kProgressClientHeight);
    if (window == nullptr) return nullptr;

    if (label_font_ == nullptr) {
      HDC screen = GetDC(nullptr);
      const int height = -MulDiv(kLabelFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
      ReleaseDC(nullptr, screen);
      label_font_ = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, kLabelFontFace);
    }
    HWND label = CreateWindowExA(
        0, "STATIC", kLabelCaption, WS_CHILD | WS_VISIBLE | SS_LEFT,
        ToPixels(kLabelLeft, Measure::kLeft), ToPixels(kLabelTop, Measure::kTop),
        ToPixels(kLabelWidth, Measure::kWidth), ToPixels(kLabelHeight, Measure::kHeight), window,
        reinterpret_cast<HMENU>(kLabelId), instance_, nullptr);
    if (label == nullptr) {
      DestroyWindow(window);
      return nullptr;
    }
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(label_font_), FALSE);
    return window;
  }

  const HINSTANCE instance_ = GetModuleHandleA(nullptr);
  const float twips_per_pixel_x_ = ScreenTwipsPerPixel(LOGPIXELSX);
  const float twips_per_pixel_y_ = ScreenTwipsPerPixel(LOGPIXELSY);
  std::map<WindowId, HWND> windows_;
  HFONT label_font_ = nullptr;
};

}  // namespace

std::unique_ptr<ScreenApi> CreateWin32Screen() { return std::make_unique<Win32Screen>(); }

}  // namespace levorn
