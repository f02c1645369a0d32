// End-to-end helper on Windows: a plain window standing in for the display
// settings page's preview area. Pairs with host_window_x11.cpp. Usage:
// host_window_win32.exe WIDTH HEIGHT ID_FILE STOP_FILE
// Writes the window's handle (decimal) to ID_FILE once shown; when STOP_FILE
// appears it destroys the window, keeps running two more seconds (so that the
// window's end, not this process's, is what the preview sees) and exits.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  const int width = _wtoi(argv[1]), height = _wtoi(argv[2]);
  if (width <= 0 || height <= 0 || width > 10000 || height > 10000) return 2;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"SorvaneTestHost";
  RegisterClassW(&wc);
  const HWND w = CreateWindowW(wc.lpszClassName, L"SorvaneTestHost", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 30, width, height,
                               nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return 1;
  UpdateWindow(w);
  if (FILE* f = _wfopen(argv[3], L"w")) {
    std::fprintf(f, "%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(w)));
    std::fclose(f);
  }
  // Serve the window while waiting for the stop file (at most two minutes).
  for (int i = 0; i < 1200 && GetFileAttributesW(argv[4]) == INVALID_FILE_ATTRIBUTES; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(100);
  }
  DestroyWindow(w);
  const DWORD until = GetTickCount() + 2000;
  while (GetTickCount() < until) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(50);
  }
  return 0;
}
