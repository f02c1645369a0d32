// The Windows show and preview windows, driven by their window messages
// (show/saver_window_win32.h, startup/preview_window_win32.h). The show's
// load handler, which ends the process, is covered by the end-to-end tests.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "embedded_resources.h"
#include "picture_file.h"
#include "preview_window_win32.h"
#include "saver_window_win32.h"

namespace sorvane {
namespace {

// The show's system calls, counted instead of made.
class NoSystemCalls final : public ShowSystemCalls {
 public:
  void ShowCursor(bool) override { ++Calls; }
  void AllowSystemKeys(bool) override { ++Calls; }
  void SwitchScreenSavingOn() override { ++Calls; }
  int Calls = 0;
};
NoSystemCalls noCalls;

// Full path of a file beside the running test program (the show's folder).
std::wstring BesideThisProgram(const std::wstring& Name) {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring path(buf, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + Name;
}

SettingsRecord DefaultSettings() {
  SettingsRecord s;
  s.StarCount = 30;
  s.StarSize = 12.0f;
  return s;
}

TEST(SaverWindow, IsABorderlessGreyWindowWithItsOwnDeviceContext) {
  Sorvane_S show(DefaultSettings(), 'S', noCalls);
  ASSERT_TRUE(show.Create());
  const HWND w = show.Window();
  wchar_t title[64] = {};
  GetWindowTextW(w, title, 64);
  EXPECT_STREQ(title, L"Sorvane_Main");
  const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_BORDER | WS_CAPTION | WS_THICKFRAME));
  EXPECT_FALSE(IsWindowVisible(w));  // made hidden; the show shows it
  EXPECT_TRUE(GetClassLongPtrW(w, GCL_STYLE) & CS_OWNDC);
  LOGBRUSH brush{};
  GetObjectW(reinterpret_cast<HBRUSH>(GetClassLongPtrW(w, GCLP_HBRBACKGROUND)), sizeof brush, &brush);
  EXPECT_EQ(brush.lbColor, RGB(0x80, 0x80, 0x80));
  DestroyWindow(w);  // unloading would end this test program
}

// Every key (a lone Shift included) and every mouse button ends the show;
// releasing keys and moving the mouse do not.
TEST(SaverWindow, KeysAndButtonsEndTheShowMovesDoNot) {
  struct Case {
    UINT message;
    WPARAM wparam;
    bool ends;
  };
  const Case cases[] = {
      {WM_KEYDOWN, VK_SHIFT, true},       {WM_KEYDOWN, VK_CONTROL, true},   {WM_KEYDOWN, 'A', true},
      {WM_SYSKEYDOWN, VK_MENU, true},     {WM_SYSKEYDOWN, VK_F10, true},    {WM_LBUTTONDOWN, MK_LBUTTON, true},
      {WM_RBUTTONDOWN, MK_RBUTTON, true}, {WM_MBUTTONDOWN, MK_MBUTTON, true}, {WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON2), true},
      {WM_MOUSEMOVE, 0, false},           {WM_KEYUP, 'A', false},           {WM_SYSKEYUP, VK_MENU, false},
      {WM_LBUTTONUP, 0, false},           {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), false},
  };
  for (const Case& c : cases) {
    Sorvane_S show(DefaultSettings(), 'S', noCalls);
    ASSERT_TRUE(show.Create());
    SendMessageW(show.Window(), c.message, c.wparam, MAKELPARAM(10, 10));
    EXPECT_EQ(show.ShowDone, c.ends ? -1 : 0) << "message 0x" << std::hex << c.message;
    EXPECT_EQ(noCalls.Calls, 0);  // the end of the show is the frame loop's business
    DestroyWindow(show.Window());
  }
}

// A start whose pixel format cannot be set ends the program at once, with
// code 0, no message box (it would hold the process up) and no temporary
// bitmap left beside the program. The window's device context is given
// another pixel format first: a window's format can be set only once.
TEST(SaverWindowDeathTest, AStartWhosePixelFormatFailsEndsSilentlyWithoutABitmap) {
  const std::wstring bitmap = BesideThisProgram(L"Sorvane.bmp");
  DeleteFileW(bitmap.c_str());
  EXPECT_EXIT(
      {
        Sorvane_S show(DefaultSettings(), 'S', noCalls);
        if (!show.Create()) std::exit(3);
        const HDC dc = GetDC(show.Window());
        const PIXELFORMATDESCRIPTOR request = ShowPixelFormatRequest(16);
        const int chosen = ChoosePixelFormat(dc, &request);
        const int count = DescribePixelFormat(dc, 1, sizeof(PIXELFORMATDESCRIPTOR), nullptr);
        int other = 0;
        for (int i = 1; i <= count && other == 0; ++i) {
          if (i != chosen) other = i;
        }
        PIXELFORMATDESCRIPTOR format{};
        DescribePixelFormat(dc, other, sizeof format, &format);
        if (other == 0 || !SetPixelFormat(dc, other, &format)) std::exit(4);
        show.Form_Load();
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(GetFileAttributesW(bitmap.c_str()), INVALID_FILE_ATTRIBUTES) << "the temporary bitmap is left behind";
}

// A start whose texture cannot be read: the loader's message box, then the
// program ends with code 0 and leaves no bitmap. A helper thread of the
// started show opens the bitmap without sharing as soon as it is written, so
// that the loader cannot read it; it lets go once the box is up, answers it,
// and ends the process with code 5 if no box comes.
TEST(SaverWindowDeathTest, AStartWhoseTextureFailsReportsItEndsAndLeavesNoBitmap) {
  const std::wstring bitmap = BesideThisProgram(L"Sorvane.bmp");
  DeleteFileW(bitmap.c_str());
  EXPECT_EXIT(
      {
        std::thread([bitmap] {
          HANDLE held = INVALID_HANDLE_VALUE;
          for (int i = 0; i < 20000 && held == INVALID_HANDLE_VALUE; ++i) {
            held = CreateFileW(bitmap.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (held == INVALID_HANDLE_VALUE) Sleep(1);
          }
          HWND box = nullptr;
          for (int i = 0; i < 200 && !box; ++i) {
            Sleep(50);
            box = FindWindowW(L"#32770", L"Sorvane");
          }
          if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
          if (!box) ExitProcess(5);
          PostMessageW(box, WM_COMMAND, IDOK, 0);
        }).detach();
        Sorvane_S show(DefaultSettings(), 'S', noCalls);
        if (!show.Create()) std::exit(3);
        show.Form_Load();
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(GetFileAttributesW(bitmap.c_str()), INVALID_FILE_ATTRIBUTES) << "the temporary bitmap is left behind";
}

TEST(SaverWindow, TimerSweepsTheTilt) {
  Sorvane_S show(DefaultSettings(), 'S', noCalls);
  ASSERT_TRUE(show.Create());
  show.Show().TiltAngle = 90.0f;
  show.TiltUp = -1;
  SendMessageW(show.Window(), WM_TIMER, Sorvane_S::kTimer1, 0);
  EXPECT_FLOAT_EQ(show.Show().TiltAngle, 90.2f);
  show.Show().TiltAngle = 270.1f;
  SendMessageW(show.Window(), WM_TIMER, Sorvane_S::kTimer1, 0);
  EXPECT_EQ(show.Show().TiltAngle, 270.0f);
  EXPECT_EQ(show.TiltUp, 0);
  SendMessageW(show.Window(), WM_TIMER, 99, 0);  // someone else's timer
  EXPECT_EQ(show.Show().TiltAngle, 270.0f);
  DestroyWindow(show.Window());
}

// A host window standing in for the display settings page's preview area.
class HostWindow {
 public:
  HostWindow(int width, int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SorvaneTestHost";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowW(wc.lpszClassName, L"host", WS_POPUP | WS_VISIBLE, 50, 60, width, height, nullptr,
                          nullptr, wc.hInstance, nullptr);
  }
  ~HostWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// Paints the preview into a memory bitmap of Width x Height.
std::vector<COLORREF> PrintPreview(HWND preview, int width, int height) {
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SendMessageW(preview, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SelectObject(dc, old);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> raw(static_cast<size_t>(width) * height);
  GetDIBits(dc, bitmap, 0, height, raw.data(), &bi, DIB_RGB_COLORS);
  std::vector<COLORREF> pixels;
  for (uint32_t p : raw) pixels.push_back(RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff));
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Writes Pixels (top-down, Width x Height) as a 24-bit BMP file.
void SaveBmp(const char* path, const std::vector<COLORREF>& pixels, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  std::string bytes(54 + static_cast<size_t>(stride) * height, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixels[static_cast<size_t>(height - 1 - y) * width + x];
      const size_t at = 54 + static_cast<size_t>(y) * stride + x * 3;
      bytes[at] = static_cast<char>(GetBValue(c));
      bytes[at + 1] = static_cast<char>(GetGValue(c));
      bytes[at + 2] = static_cast<char>(GetRValue(c));
    }
  }
  if (FILE* f = std::fopen(path, "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

TEST(PreviewWindow, BecomesAChildOfTheHostWithItsSize) {
  HostWindow host(152, 112);
  Sorvane_R preview;
  ASSERT_TRUE(preview.Create());
  preview.PlaceInParent(host.Handle());
  EXPECT_EQ(GetParent(preview.Window()), host.Handle());
  EXPECT_TRUE(GetWindowLongPtrW(preview.Window(), GWL_STYLE) & WS_CHILD);
  RECT r{};
  GetWindowRect(preview.Window(), &r);
  RECT h{};
  GetWindowRect(host.Handle(), &h);
  EXPECT_EQ(r.left, h.left);
  EXPECT_EQ(r.top, h.top);
  EXPECT_EQ(r.right - r.left, 152);
  EXPECT_EQ(r.bottom - r.top, 112);
  wchar_t title[32] = {};
  GetWindowTextW(preview.Window(), title, 32);
  EXPECT_STREQ(title, L"Preview Window");
}

TEST(PreviewWindow, DrawsThePictureUnscaledAtTopLeftAndBlackBeyond) {
  BgrImage picture;
  ASSERT_TRUE(DecodeJpegMemory(kPreviewJpeg, kPreviewJpegSize, picture));
  ASSERT_EQ(picture.Width, 152);
  HostWindow host(200, 200);
  Sorvane_R preview;
  ASSERT_TRUE(preview.Create());
  preview.PlaceInParent(host.Handle());
  const std::vector<COLORREF> pixels = PrintPreview(preview.Window(), 200, 200);
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * 200 + x]; };
  auto expected = [&](int x, int y) {
    const uint8_t* p = &picture.Pixels[(static_cast<size_t>(y) * picture.Width + x) * 3];
    return RGB(p[2], p[1], p[0]);
  };
  for (auto [x, y] : {std::pair{0, 0}, {151, 0}, {0, 151}, {151, 151}, {76, 40}, {20, 130}}) {
    EXPECT_EQ(at(x, y), expected(x, y)) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{152, 0}, {199, 199}, {0, 152}, {151, 199}, {199, 10}}) {
    EXPECT_EQ(at(x, y), RGB(0, 0, 0)) << x << "," << y;
  }
  // scripts/screenshots.sh keeps this painting as the documentation's picture.
  if (const char* shot = std::getenv("SORVANE_PREVIEW_SHOT")) SaveBmp(shot, pixels, 200, 200);
}

// The program lives by its message loop: the preview's end must quit it.
bool QuitPosted() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return true;
    DispatchMessageW(&msg);
  }
  return false;
}

TEST(PreviewWindow, EndsWhenClosedAndWhenTheHostGoesAway) {
  {
    HostWindow host(152, 112);
    Sorvane_R preview;
    ASSERT_TRUE(preview.Create());
    preview.PlaceInParent(host.Handle());
    QuitPosted();
    SendMessageW(preview.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(preview.Window(), nullptr);
    EXPECT_TRUE(QuitPosted());
  }
  {
    HostWindow host(152, 112);
    Sorvane_R preview;
    ASSERT_TRUE(preview.Create());
    preview.PlaceInParent(host.Handle());
    QuitPosted();
    DestroyWindow(host.Handle());  // the child goes with its parent
    EXPECT_EQ(preview.Window(), nullptr);
    EXPECT_TRUE(QuitPosted());
  }
}

TEST(PreviewWindow, InputDoesNothing) {
  HostWindow host(152, 112);
  Sorvane_R preview;
  ASSERT_TRUE(preview.Create());
  preview.PlaceInParent(host.Handle());
  QuitPosted();
  for (UINT m : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR}) {
    SendMessageW(preview.Window(), m, m == WM_SYSKEYDOWN ? VK_F4 : 'A', 0);
  }
  EXPECT_TRUE(IsWindow(preview.Window()));
  EXPECT_FALSE(QuitPosted());
}

}  // namespace
}  // namespace sorvane
