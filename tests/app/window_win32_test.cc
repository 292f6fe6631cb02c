// The two windows as the window system sees them, created through the same
// code the setup uses, on Wine's real window system (a virtual display at 96
// dots per inch). Each test also saves what the screen shows of the window
// it checked, as a bitmap under build/win32/screenshots.
#ifdef _WIN32
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_message.h"
#include "app/layout.h"
#include "app/screen.h"

namespace levorn {
namespace {

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

RECT RectIn(HWND window, HWND parent) {  // a child's rectangle in its parent's client area
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Lets the window system paint (unless the picture must show the windows as
// the setup pass leaves them, with no message loop run yet), then writes the
// screen's pixels under the window's outer rectangle to a 24-bit bitmap file.
void SaveScreenshot(HWND window, const char* name, bool run_message_loop = true) {
  for (int i = 0; run_message_loop && i < 20; ++i) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  RECT r = {};
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD row = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD image = row * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + image),
                           0, 0, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
  CreateDirectoryA(LEVORN_SCREENSHOT_DIR, nullptr);
  const std::string path = std::string(LEVORN_SCREENSHOT_DIR) + "/" + name + ".bmp";
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    std::fwrite(bits, 1, image, out);
    std::fclose(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

class WindowsWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96) << "these sizes are for 96 dots per inch";
    ReleaseDC(nullptr, screen);
  }

  // The screen hands out no handles: its windows are found by their class,
  // in this test's own prefix.
  static HWND Main() { return FindWindowA("LevornSetupMain", nullptr); }
  static HWND Progress() { return FindWindowA("LevornSetupMessage", nullptr); }

  std::unique_ptr<ScreenApi> owned_ = CreateWin32Screen();
  ScreenApi& windows_ = *owned_;
};

bool HasScrollBars(HWND window) {
  return (GetWindowLongA(window, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) != 0;
}

TEST_F(WindowsWin32Test, MainWindowIsAnEmptyMdiFrameWithItsCaptionSizeAndIcon) {
  windows_.Create(WindowId::kMain);
  HWND main = Main();
  windows_.Show(WindowId::kMain);
  // The empty workspace shows no scroll bars from the moment it is shown,
  // without waiting for a message loop.
  EXPECT_FALSE(HasScrollBars(GetWindow(main, GW_CHILD)));
  windows_.Refresh(WindowId::kMain);
  SaveScreenshot(main, "main-window-during-pass", false);

  EXPECT_EQ(WindowText(main), "Levorn Setup");
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU),
            WS_CAPTION | WS_THICKFRAME | WS_SYSMENU);
  EXPECT_EQ(style & WS_CHILD, 0);
  EXPECT_EQ(GetMenu(main), nullptr);

  RECT client = {};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 419);   // 6285 twips
  EXPECT_EQ(client.bottom, 251);  // 3765 twips
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  EXPECT_EQ(origin.x, 4);   // 60 twips from the left of the screen
  EXPECT_EQ(origin.y, 23);  // 345 twips from the top

  // Its whole client area is the (empty) MDI client, in the workspace colour.
  const std::vector<HWND> children = Children(main);
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(ClassName(children[0]), "MDIClient");
  const RECT mdi = RectIn(children[0], main);
  EXPECT_EQ(mdi.left, 0);
  EXPECT_EQ(mdi.top, 0);
  EXPECT_EQ(mdi.right, client.right);
  EXPECT_EQ(mdi.bottom, client.bottom);
  EXPECT_TRUE(Children(children[0]).empty());
  EXPECT_EQ(GetClassLongPtrA(children[0], GCLP_HBRBACKGROUND), COLOR_APPWORKSPACE + 1);

  // The title-bar icon is the application icon: 32 x 32, from icon group 1.
  HICON icon = reinterpret_cast<HICON>(GetClassLongPtrA(main, GCLP_HICON));
  EXPECT_EQ(icon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kApplicationIconGroup)));
  ICONINFO icon_info = {};
  ASSERT_TRUE(GetIconInfo(icon, &icon_info));
  BITMAP colour = {};
  GetObjectA(icon_info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  DeleteObject(icon_info.hbmColor);
  DeleteObject(icon_info.hbmMask);

  SaveScreenshot(main, "main-window");
}

TEST_F(WindowsWin32Test, ProgressWindowIsCreatedWithItsDesignClientSize) {
  windows_.Create(WindowId::kProgress);
  HWND progress = Progress();
  RECT client = {};
  GetClientRect(progress, &client);
  EXPECT_EQ(client.right, 308);   // 4620 twips
  EXPECT_EQ(client.bottom, 138);  // 2070 twips
  POINT origin = {0, 0};
  ClientToScreen(progress, &origin);
  EXPECT_EQ(origin.x, 4);
  EXPECT_EQ(origin.y, 23);
}

TEST_F(WindowsWin32Test, ProgressWindowAfterLoadingMeasures316By165WithItsLabel) {
  windows_.Create(WindowId::kMain);
  windows_.Show(WindowId::kMain);
  frmMessage progress_form(windows_);
  progress_form.Show();
  progress_form.Refresh();
  HWND progress = Progress();

  EXPECT_EQ(WindowText(progress), "Searching");
  const LONG style = GetWindowLongA(progress, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), WS_CAPTION | WS_THICKFRAME);
  EXPECT_EQ(style & WS_CHILD, 0);
  EXPECT_EQ(GetWindow(progress, GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(progress), nullptr);
  EXPECT_EQ(GetClassLongPtrA(progress, GCLP_HICON), 0u);
  EXPECT_EQ(GetClassLongPtrA(progress, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);

  RECT outer = {};
  GetWindowRect(progress, &outer);
  EXPECT_EQ(outer.right - outer.left, 316);
  EXPECT_EQ(outer.bottom - outer.top, 165);
  RECT main_outer = {};
  GetWindowRect(Main(), &main_outer);
  // Half the difference in size, to the nearest pixel (halves away from 0).
  EXPECT_EQ(outer.left, std::lround(((main_outer.right - main_outer.left) - 316) / 2.0));
  EXPECT_EQ(outer.top, std::lround(((main_outer.bottom - main_outer.top) - 165) / 2.0));

  const std::vector<HWND> children = Children(progress);
  ASSERT_EQ(children.size(), 1u);
  HWND label = children[0];
  EXPECT_EQ(WindowText(label), "   ***  Installing  ***   ***  Please Wait  ***");
  EXPECT_EQ(WindowText(label).size(), 47u);
  const RECT where = RectIn(label, progress);
  EXPECT_EQ(where.left, 16);
  EXPECT_EQ(where.top, 32);
  EXPECT_EQ(where.right, 289);  // covers client pixels 16 to 288
  EXPECT_EQ(where.bottom, 97);  // and 32 to 96
  const LONG label_style = GetWindowLongA(label, GWL_STYLE);
  EXPECT_EQ(label_style & SS_TYPEMASK, SS_LEFT);  // broken at blanks, fixed size
  EXPECT_EQ(label_style & WS_BORDER, 0);

  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(font.lfHeight, -24);  // 18 points at 96 dots per inch
  EXPECT_EQ(font.lfWeight, 700);
  EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(font.lfItalic + font.lfUnderline + font.lfStrikeOut, 0);

  // It paints opaque, on the caption-text colour, in the button-text colour
  // (black here) unless the scheme makes that vanish into the background:
  // then in black or white, whichever reads.
  const int elements[] = {COLOR_CAPTIONTEXT, COLOR_BTNTEXT};
  const COLORREF scheme[] = {GetSysColor(COLOR_CAPTIONTEXT), GetSysColor(COLOR_BTNTEXT)};
  const std::pair<COLORREF, COLORREF> caption_text_and_text_drawn[] = {
      {RGB(0, 0, 0), RGB(255, 255, 255)},   {RGB(255, 255, 255), RGB(0, 0, 0)},
      {RGB(0, 255, 0), RGB(0, 0, 0)},       {RGB(0, 128, 255), RGB(0, 0, 0)},
      {RGB(255, 0, 0), RGB(255, 255, 255)}, {RGB(255, 40, 0), RGB(0, 0, 0)},
      {RGB(0, 40, 255), RGB(255, 255, 255)}};
  for (const auto& [caption_text, drawn] : caption_text_and_text_drawn) {
    const COLORREF colours[] = {caption_text, RGB(0, 0, 0)};
    SetSysColors(2, elements, colours);
    HDC dc = CreateCompatibleDC(nullptr);
    const LRESULT brush = SendMessageA(progress, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_CAPTIONTEXT));
    EXPECT_EQ(GetBkColor(dc), caption_text);
    EXPECT_EQ(GetTextColor(dc), drawn) << std::hex << caption_text;
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    DeleteDC(dc);
  }
  SetSysColors(2, elements, scheme);

  SaveScreenshot(progress, "progress-window");
}

TEST_F(WindowsWin32Test, AMainWindowSmallerThanTheProgressWindowPutsItAtNegativeCoordinates) {
  windows_.Create(WindowId::kMain);
  windows_.Set(WindowId::kMain, Measure::kWidth, 3000);   // 200 pixels
  windows_.Set(WindowId::kMain, Measure::kHeight, 1200);  // 80 pixels
  frmMessage progress_form(windows_);
  progress_form.Show();
  RECT outer = {};
  GetWindowRect(Progress(), &outer);
  EXPECT_EQ(outer.left, -58);  // (3000 - 4740) / 2 = -870 twips
  EXPECT_EQ(outer.top, -43);   // (1200 - 2475) / 2 = -637.5 twips, -42.5 pixels
  EXPECT_EQ(windows_.Get(WindowId::kProgress, Measure::kLeft), -870.0f);
}

}  // namespace
}  // namespace levorn
#endif  // _WIN32
