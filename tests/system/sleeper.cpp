// Stands in for a running program in the process tests: it only waits. It
// ends by itself after two minutes (exit code 3), so that nothing outlives a
// test run even if a test could not end it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  Sleep(120 * 1000);
  return 3;
}
