/* The floor LevornSetup.exe is measured against: the least a program can do
 * to show what it shows and write what it writes. The same two windows (an
 * MDI frame with an empty workspace, the progress window with its bold
 * label, painted once), the same registry reads and writes in the same
 * order, the same completion box, and nothing else: no error handling, no
 * abstraction, no C++ run time. Built by scripts/bench with the program's
 * own resources. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#define ODBC_INI "SOFTWARE\\ODBC\\ODBC.INI\\"
#define WOW_ODBC_INI "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\"
/* Built for 64-bit Windows, it writes where the program's 64-bit build does:
 * the 32-bit programs' view, its keys named without the node and that view
 * asked for. */
#if defined(_WIN64)
#define VIEW KEY_WOW64_32KEY
#else
#define VIEW 0
#endif

static HWND g_workspace;

static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CREATE) {
    CLIENTCREATESTRUCT client = {0};
    client.idFirstChild = 0xFF00;
    g_workspace = CreateWindowExA(0, "MDICLIENT", NULL, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0,
                                  0, 0, 0, window, (HMENU)1, GetModuleHandleA(NULL), &client);
    return 0;
  }
  return DefFrameProcA(window, g_workspace, message, w, l);
}

static LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CTLCOLORSTATIC) {
    SetTextColor((HDC)w, RGB(255, 255, 255));
    SetBkColor((HDC)w, GetSysColor(COLOR_CAPTIONTEXT));
    return (LRESULT)GetSysColorBrush(COLOR_CAPTIONTEXT);
  }
  return DefWindowProcA(window, message, w, l);
}

static HWND CreateAt(const char* class_name, const char* caption, DWORD style, int width,
                     int height) {
  RECT r = {4, 23, 4 + width, 23 + height};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  return CreateWindowExA(0, class_name, caption, style, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

static void SetText(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
}

static void SetDword(HKEY key, const char* name, DWORD number) {
  RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&number, 4);
}

static void CreateKey(const char* path, HKEY* key) {
  DWORD disposition = 0;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                  MAXIMUM_ALLOWED | VIEW, NULL, key, &disposition);
}

/* Returns whether it wrote the year. */
static int RegisterYear(const char* root, int year) {
  char path[160], sub[200], name[32], dbq[64], description[32], driver[MAX_PATH + 16], list[160];
  HKEY key;
  DWORD type = 0, size = 0;
  sprintf(name, "DunmerePemrod%04d", year);
  sprintf(path, "%s%s", root, name);
  sprintf(list, "%sODBC Data Sources", root);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS | VIEW, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    /* present with its list entry */
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, list, 0, KEY_READ | VIEW, &key);
    RegQueryValueExA(key, name, NULL, &type, NULL, &size);
    RegCloseKey(key);
    return 0;
  }
  GetSystemDirectoryA(driver, MAX_PATH);
  strcat(driver, "\\odbcjt32.dll");
  sprintf(dbq, "C:\\Halvex\\Levorn\\Pemrod%04d.mdb", year);
  sprintf(description, "Levorn %04d", year);

  CreateKey(path, &key);
  SetText(key, "DBQ", dbq);
  SetText(key, "Description", description);
  SetText(key, "Driver", driver);
  SetDword(key, "DriverId", 25);
  SetText(key, "FIL", "MS Access;");
  SetDword(key, "SafeTransactions", 0);
  SetText(key, "UID", "");
  RegCloseKey(key);
  sprintf(sub, "%s\\Engines", path);
  CreateKey(sub, &key);
  RegCloseKey(key);
  sprintf(sub, "%s\\Engines\\Jet", path);
  CreateKey(sub, &key);
  SetText(key, "ImplicitCommitSync", "");
  SetDword(key, "MaxBufferSize", 2048);
  SetDword(key, "PageTimeout", 5);
  SetDword(key, "Threads", 3);
  SetText(key, "UserCommitSync", "Yes");
  RegCloseKey(key);
  CreateKey(list, &key);
  SetText(key, name, "Microsoft Access Driver (*.mdb)");
  RegCloseKey(key);
  return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  WNDCLASSA frame_class = {0}, progress_class = {0};
  HWND frame, progress, label;
  RECT outer;
  HFONT font;
  HKEY cpu = NULL;
  DWORD type = 0, size = 0;
  char identifier[256] = "";
  const char* root;
  SYSTEMTIME now;
  int year, wrote = 0;
  (void)previous;
  (void)command_line;
  (void)show;

  frame_class.lpfnWndProc = FrameProc;
  frame_class.hInstance = instance;
  frame_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  frame_class.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  frame_class.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
  frame_class.lpszClassName = "FloorMain";
  RegisterClassA(&frame_class);
  frame = CreateAt("FloorMain", "Levorn Setup", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 419, 251);
  ShowWindow(frame, SW_SHOWNORMAL);

  progress_class.lpfnWndProc = ProgressProc;
  progress_class.hInstance = instance;
  progress_class.hCursor = frame_class.hCursor;
  progress_class.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  progress_class.lpszClassName = "FloorMessage";
  RegisterClassA(&progress_class);
  progress = CreateAt("FloorMessage", "Searching", WS_OVERLAPPEDWINDOW, 308, 138);
  font = CreateFontA(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     "MS Sans Serif");
  label = CreateWindowExA(0, "STATIC", "   ***  Installing  ***   ***  Please Wait  ***",
                          WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 32, 273, 65, progress, (HMENU)2,
                          instance, NULL);
  SendMessageA(label, WM_SETFONT, (WPARAM)font, FALSE);
  GetWindowRect(frame, &outer);
  SetWindowPos(progress, NULL, ((outer.right - outer.left) - 316) / 2,
               ((outer.bottom - outer.top) - 165) / 2, 316, 165, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(progress, SW_SHOWNORMAL);
  RedrawWindow(progress, NULL, NULL,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);

  RegOpenKeyA(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System\\CentralProcessor\\0", &cpu);
  RegQueryValueExA(cpu, "Identifier", NULL, &type, NULL, &size);
  size = sizeof identifier - 1;
  RegQueryValueExA(cpu, "Identifier", NULL, &type, (BYTE*)identifier, &size);
  RegCloseKey(cpu);
  root = strstr(identifier, "x86") != NULL || VIEW ? ODBC_INI : WOW_ODBC_INI;

  GetLocalTime(&now);
  for (year = 2002; year <= now.wYear; ++year) wrote |= RegisterYear(root, year);
  if (wrote) { /* on disk before the completion box */
    char view[160];
    HKEY key = NULL;
    strcpy(view, root);
    view[strlen(view) - 1] = '\0';
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, view, 0, KEY_READ | VIEW, &key);
    RegFlushKey(key);
    RegCloseKey(key);
  }

  DestroyWindow(progress);
  MessageBoxA(GetActiveWindow(), "Setup Complete - DO NOT run this setup again.",
              "Levorn Installation", MB_OK);
  DestroyWindow(frame);
  DeleteObject(font);
  return 0;
}
