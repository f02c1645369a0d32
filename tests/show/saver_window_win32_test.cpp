// The Windows show and preview windows, driven by their window messages
// (show/saver_window_win32.h, startup/preview_window_win32.h). The show's
// load handler, which ends the process, is covered by the end-to-end tests.

#include <windows.h>

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

TEST(SaverWindow, IsABorderlessBlackWindowWithItsOwnDeviceContext) {
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
  EXPECT_EQ(brush.lbColor, RGB(0, 0, 0));  // what covers the screen until the first frame
  DestroyWindow(w);  // unloading would end this test program
}

// The temporary bitmap the hook below looks for.
std::wstring gWatchedBitmap;

// Runs after each message the show's window has handled: at the moment the
// window first becomes visible, the photograph must not be prepared yet and
// the window must cover the screen; then a key ends the show.
LRESULT CALLBACK WatchTheShowing(int Code, WPARAM W, LPARAM L) {
  static bool seen = false;
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(L);
  wchar_t title[32] = {};
  if (Code == HC_ACTION && !seen && m->message == WM_WINDOWPOSCHANGED && IsWindowVisible(m->hwnd) &&
      GetWindowTextW(m->hwnd, title, 32) && std::wstring(title) == L"Sorvane_Main") {
    seen = true;
    if (GetFileAttributesW(gWatchedBitmap.c_str()) != INVALID_FILE_ATTRIBUTES) {
      std::fprintf(stderr, "the photograph was prepared before the window showed\n");
      ExitProcess(6);
    }
    RECT r{};
    GetWindowRect(m->hwnd, &r);
    if (r.left > 0 || r.top > 0 || r.right < GetSystemMetrics(SM_CXSCREEN) || r.bottom < GetSystemMetrics(SM_CYSCREEN)) {
      std::fprintf(stderr, "the window does not cover the screen\n");
      ExitProcess(7);
    }
    PostMessageW(m->hwnd, WM_KEYDOWN, VK_SPACE, 0);
  }
  return CallNextHookEx(nullptr, Code, W, L);
}

// The show of the next test, in the death test's own process.
void ShowWatchedByAHook(const std::wstring& Bitmap) {
  gWatchedBitmap = Bitmap;
  if (!SetWindowsHookExW(WH_CALLWNDPROCRET, WatchTheShowing, nullptr, GetCurrentThreadId())) std::exit(3);
  Sorvane_S show(DefaultSettings(), 'S', noCalls);
  if (!show.Create()) std::exit(4);
  show.Form_Load();
}

// The window covers the screen, shown and in front, before the photograph is
// prepared (a large one takes seconds): a hook on the show's thread sees the
// window become visible, notes whether the temporary bitmap exists yet and
// how much of the screen the window covers, and ends the show with a key.
TEST(SaverWindowDeathTest, TheWindowCoversTheScreenBeforeThePhotographIsPrepared) {
  const std::wstring bitmap = BesideThisProgram(L"Sorvane.bmp");
  DeleteFileW(bitmap.c_str());
  EXPECT_EXIT(ShowWatchedByAHook(bitmap), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(GetFileAttributesW(bitmap.c_str()), INVALID_FILE_ATTRIBUTES) << "the temporary bitmap is left behind";
}

// Tells the show's window, as the system would, that a power setting changed.
struct PowerMessage {
  POWERBROADCAST_SETTING Header;
  BYTE Rest[sizeof(DWORD)];
};
void TellPower(HWND Window, PowerMessage& Message, const GUID& Setting, DWORD Value, bool Post) {
  Message = PowerMessage{};
  Message.Header.PowerSetting = Setting;
  Message.Header.DataLength = sizeof Value;
  std::memcpy(Message.Header.Data, &Value, sizeof Value);
  const LPARAM l = reinterpret_cast<LPARAM>(&Message);
  if (Post) {
    PostMessageW(Window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, l);
  } else {
    SendMessageW(Window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, l);
  }
}

// What each power notification makes of the show's view of the power.
TEST(SaverWindow, PowerNotificationsSetTheDisplayStateAndTheSupply) {
  Sorvane_S show(DefaultSettings(), 'S', noCalls);
  ASSERT_TRUE(show.Create());
  const struct {
    const GUID* Setting;
    DWORD Value;
    ShowPower::Display Display;
    bool Frugal;
  } steps[] = {
      {&kConsoleDisplayState, 0, ShowPower::Display::Off, false},
      {&kConsoleDisplayState, 2, ShowPower::Display::Dimmed, false},
      {&kConsoleDisplayState, 1, ShowPower::Display::On, false},
      {&kMonitorPowerOn, 0, ShowPower::Display::Off, false},
      {&kMonitorPowerOn, 1, ShowPower::Display::On, false},
      {&kAcDcPowerSource, 1, ShowPower::Display::On, true},
      {&kAcDcPowerSource, 0, ShowPower::Display::On, false},
      {&kAcDcPowerSource, 2, ShowPower::Display::On, true},  // a UPS
      {&kAcDcPowerSource, 0, ShowPower::Display::On, false},
      {&kPowerSavingStatus, 1, ShowPower::Display::On, true},
      {&kPowerSavingStatus, 0, ShowPower::Display::On, false},
  };
  PowerMessage message;
  int i = 0;
  for (const auto& step : steps) {
    TellPower(show.Window(), message, *step.Setting, step.Value, false);
    EXPECT_EQ(show.Power().DisplayState, step.Display) << "step " << i;
    EXPECT_EQ(show.Power().Frugal(), step.Frugal) << "step " << i;
    ++i;
  }
  // A suspend is never refused.
  EXPECT_EQ(SendMessageW(show.Window(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), TRUE);
  DestroyWindow(show.Window());
}

// CPU time of a thread of this process so far, in seconds (0 when unknown).
double ThreadCpuSeconds(DWORD Thread) {
  const HANDLE t = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, Thread);
  FILETIME created, exited, kernel, user;
  double seconds = 0;
  if (t && GetThreadTimes(t, &created, &exited, &kernel, &user)) {
    auto value = [](const FILETIME& f) {
      return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    seconds = value(kernel) + value(user);
  }
  if (t) CloseHandle(t);
  return seconds;
}

// Drives a running show through the power notifications, phase by phase, as
// its frames come (see the test below). A failure ends the process with a
// code of its own and a line on standard error.
class PowerPhases final : public FrameObserver {
 public:
  explicit PowerPhases(Sorvane_S& Show) : show_(Show) {}
  bool Unpaced() const override { return false; }

  bool FramePresented(const FramePacer& Pacer, FramePacer::Clock::time_point, int Steps) override {
    ++frames_;
    const HWND w = show_.Window();
    switch (phase_.load()) {
      case 0:  // running: then the display goes off, and a thread turns it on again
        if (frames_ < 10) return false;
        phase_ = 1;
        TellPower(w, message_, kConsoleDisplayState, 0, false);
        std::thread([this, w] {
          const double before = ThreadCpuSeconds(showThread_);
          Sleep(1500);
          darkCpu_ = ThreadCpuSeconds(showThread_) - before;
          onAt_ = GetTickCount();
          phase_ = 2;
          TellPower(w, wake_, kConsoleDisplayState, 1, true);
        }).detach();
        return false;
      case 1:
        Fail(11, "a frame was drawn while the display was off");
      case 2:  // the first frame after the dark: soon, and no race to catch up
        if (darkCpu_ > 0.2) Fail(12, "the show kept busy while the display was off");
        if (Steps > 2) Fail(13, "the first frame after the dark made up for the time missed");
        if (GetTickCount() - onAt_ > 5000) Fail(14, "no frame soon after the display came back");
        phase_ = 3;
        TellPower(w, message_, kConsoleDisplayState, 2, false);  // dimmed
        mark_ = frames_;
        return false;
      case 3:  // dimmed: still drawing; then on battery
        if (frames_ < mark_ + 5) return false;
        phase_ = 4;
        TellPower(w, message_, kAcDcPowerSource, 1, false);
        mark_ = frames_;
        return false;
      case 4:  // a frame later the plan is the battery's
        if (frames_ < mark_ + 2) return false;
        if (Pacer.Current().StepsPerFrame != 2) Fail(15, "on battery the frames do not stand for two steps");
        phase_ = 5;
        TellPower(w, message_, kAcDcPowerSource, 0, false);
        mark_ = frames_;
        return false;
      default: {  // mains power: the renderer's own rate again, and the show ends
        if (frames_ < mark_ + 2) return false;
        const bool software = IsSoftwareRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        if (Pacer.Current().StepsPerFrame != (software ? 2 : 1)) Fail(16, "mains power keeps the battery's rate");
        return true;
      }
    }
  }

 private:
  [[noreturn]] static void Fail(int Code, const char* Why) {
    std::fprintf(stderr, "%s\n", Why);
    std::fflush(stderr);
    ExitProcess(Code);
  }

  Sorvane_S& show_;
  const DWORD showThread_ = GetCurrentThreadId();  // made on the show's thread
  std::atomic<int> phase_{0};
  long frames_ = 0;
  long mark_ = 0;
  std::atomic<DWORD> onAt_{0};
  std::atomic<double> darkCpu_{0};
  PowerMessage message_{};
  PowerMessage wake_{};
};

// The show of the next test, in the death test's own process.
void ShowThroughThePowerPhases() {
  static Sorvane_S show(DefaultSettings(), 'S', noCalls);
  static PowerPhases phases(show);
  show.Observe(&phases);
  if (!show.Create()) std::exit(3);
  show.Form_Load();
}

// The running show through its own power notifications: with the display
// off no frame is drawn and the show's thread sleeps (its CPU time stays
// near nothing); a first frame comes once the display is on again and does
// not make up for the dark time; dimmed keeps drawing; on battery each frame
// stands for two steps (30 frames and 60 steps a second), on mains power
// again for as many as the renderer wants.
TEST(SaverWindowDeathTest, TheShowRestsWhileTheDisplayIsOffAndIsFrugalOnBattery) {
  EXPECT_EXIT(ShowThroughThePowerPhases(), ::testing::ExitedWithCode(0), "");
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
