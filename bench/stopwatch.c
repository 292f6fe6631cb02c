/* Times programs from launch to their completion box, for scripts/bench.
 *
 *   stopwatch <runs> <fresh|present> <program> <floor>
 *
 * Starts the two programs by turns, <runs> times each (the order swaps every
 * round, so that drift in the machine's load falls on both alike), after
 * one untimed start of each. "fresh" deletes HKLM\SOFTWARE\ODBC\ODBC.INI
 * (built for 64-bit Windows, that of the 32-bit programs' view, where the
 * 64-bit builds write) before every start, so that each writes every data
 * source anew;
 * "present" leaves what the untimed starts wrote, so that each finds them
 * all. A run is timed from CreateProcess until the box titled
 * "Levorn Installation" is visible; the box is then answered OK and the
 * program waited for. Prints each program's median, quartiles and extremes
 * in milliseconds, and the ratio of the medians, program over floor. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_RUNS 200

static double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return (double)(to.QuadPart - from.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}

/* One start; the time to the box, or a negative number when none came. */
static double TimeOneRun(const char* program, int fresh) {
  STARTUPINFOA startup = {0};
  PROCESS_INFORMATION process = {0};
  char command_line[MAX_PATH + 2];
  LARGE_INTEGER start, now;
  HWND box = NULL;
  double elapsed = -1;

#if defined(_WIN64)
  if (fresh) {
    HKEY software = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                      &software) == ERROR_SUCCESS) {
      RegDeleteTreeA(software, "ODBC\\ODBC.INI");
      RegCloseKey(software);
    }
  }
#else
  if (fresh) RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI");
#endif
  startup.cb = sizeof startup;
  snprintf(command_line, sizeof command_line, "\"%s\"", program);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(program, command_line, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                      &process)) {
    fprintf(stderr, "cannot start %s: %lu\n", program, GetLastError());
    return -1;
  }
  for (;;) {
    box = FindWindowA("#32770", "Levorn Installation");
    QueryPerformanceCounter(&now);
    if (box != NULL && IsWindowVisible(box)) {
      elapsed = Milliseconds(start, now);
      break;
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    if (Milliseconds(start, now) > 30000) break;
  }
  if (box != NULL) PostMessageA(box, WM_COMMAND, IDOK, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    elapsed = -1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

static int Compare(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

/* The value at fraction q of the sorted sample, interpolated. */
static double Quantile(const double* sorted, int n, double q) {
  const double at = q * (n - 1);
  const int low = (int)at;
  if (low + 1 >= n) return sorted[n - 1];
  return sorted[low] + (at - low) * (sorted[low + 1] - sorted[low]);
}

static double Report(const char* name, double* times, int n) {
  qsort(times, (size_t)n, sizeof times[0], Compare);
  printf("  %-16s median %7.1f ms  quartiles %7.1f-%-7.1f  min %7.1f  max %7.1f\n", name,
         Quantile(times, n, 0.5), Quantile(times, n, 0.25), Quantile(times, n, 0.75), times[0],
         times[n - 1]);
  return Quantile(times, n, 0.5);
}

static const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/') base = p + 1;
  }
  return base;
}

int main(int argc, char** argv) {
  static double times[2][MAX_RUNS];
  const char* programs[2];
  int runs, fresh, round, i;
  if (argc != 5 || (runs = atoi(argv[1])) < 1 || runs > MAX_RUNS) {
    fprintf(stderr, "usage: stopwatch <runs 1-%d> <fresh|present> <program> <floor>\n", MAX_RUNS);
    return 2;
  }
  fresh = strcmp(argv[2], "fresh") == 0;
  programs[0] = argv[3];
  programs[1] = argv[4];

  for (i = 0; i < 2; ++i) {
    if (TimeOneRun(programs[i], fresh) < 0) return 1;
  }
  for (round = 0; round < runs; ++round) {
    for (i = 0; i < 2; ++i) {
      const int which = (round % 2 == 0) ? i : 1 - i;
      const double t = TimeOneRun(programs[which], fresh);
      if (t < 0) {
        fprintf(stderr, "%s showed no completion box\n", programs[which]);
        return 1;
      }
      times[which][round] = t;
    }
  }
  printf("series %s: %d runs each, launch to completion box\n",
         fresh ? "fresh (every data source written anew)" : "present (every data source there)",
         runs);
  {
    const double program = Report(BaseName(programs[0]), times[0], runs);
    const double floor = Report(BaseName(programs[1]), times[1], runs);
    printf("  ratio %.3f\n", program / floor);
  }
  return 0;
}
