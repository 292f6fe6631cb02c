/* A library planted beside LevornSetup.exe under a system library's name.
   Loading it leaves "<its own path>.loaded" behind, and does nothing else. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  char path[MAX_PATH + 8];
  DWORD length;
  HANDLE marker;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  lstrcpyA(path + length, ".loaded");
  marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}
