// The built Sorvane.scr refuses to start while another copy shows its window
// or is starting one, ends at once on switches and preview parents it cannot
// serve, and its preview ends with its host; the calls that bracket a show.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "startup_win32.h"
#include "../support/run_program_win32.h"

namespace sorvane {
namespace {

using testing::BesideTestProgram;
using testing::RunningProgram;

// A plain top-level window with a given title, standing in for another copy.
class TitledWindow {
 public:
  explicit TitledWindow(const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SorvaneTestTitledWindow";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowW(wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                          wc.hInstance, nullptr);
  }
  ~TitledWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

const std::wstring kProgram = BesideTestProgram(L"Sorvane.scr");

TEST(SingleInstanceGuard, FindsBothTitlesWhateverTheCodePage) {
  EXPECT_FALSE(AnotherCopyIsShowing());
  {
    TitledWindow w(kShowWindowTitle);
    EXPECT_TRUE(AnotherCopyIsShowing());
  }
  {
    TitledWindow w(kSettingsWindowTitle);
    EXPECT_TRUE(AnotherCopyIsShowing());
  }
  {
    TitledWindow w(L"Sorvane_Main2");  // whole titles only
    EXPECT_FALSE(AnotherCopyIsShowing());
  }
}

TEST(SingleInstanceGuard, EveryModeEndsAtOnceWhileAnotherCopyShows) {
  for (const wchar_t* title : {kShowWindowTitle, kSettingsWindowTitle}) {
    TitledWindow other(title);
    const std::wstring parent = std::to_wstring(reinterpret_cast<INT_PTR>(other.Handle()));
    for (const std::wstring& args : {std::wstring(L"/s"), std::wstring(), std::wstring(L"/c"), L"/p " + parent, std::wstring(L"/a")}) {
      RunningProgram program(kProgram, args);
      ASSERT_TRUE(program.Started());
      DWORD code = 1;
      EXPECT_TRUE(program.WaitForEnd(5000, &code)) << "switch \"" << std::string(args.begin(), args.end()) << "\"";
      EXPECT_EQ(code, 0u);
      // It ended without opening a window of its own.
      EXPECT_EQ(FindWindowW(nullptr, kShowWindowTitle) == nullptr, title != kShowWindowTitle);
    }
  }
}

TEST(Startup, BadPreviewParentsAndUnknownSwitchesEndSilently) {
  for (const wchar_t* args : {L"/p", L"/p 0", L"/p 99999999999999", L"/p 12345678", L"/a", L"s", L"/x 1"}) {
    RunningProgram program(kProgram, args);
    ASSERT_TRUE(program.Started()) << "error " << program.StartError();
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForEnd(5000, &code)) << args;
    EXPECT_EQ(code, 0u) << args;
  }
}

std::wstring Decimal(HWND Window) { return std::to_wstring(reinterpret_cast<INT_PTR>(Window)); }

// The desktop and the shell's own top-level windows cannot host a preview: a
// preview there would cover them with a black window that nothing closes.
TEST(Startup, PreviewInsideTheDesktopOrTheShellEndsAtOnce) {
  std::vector<HWND> shell = {GetDesktopWindow()};
  if (const HWND w = GetShellWindow()) shell.push_back(w);
  if (const HWND w = FindWindowW(L"Shell_TrayWnd", nullptr)) shell.push_back(w);
  for (const HWND parent : shell) {
    EXPECT_TRUE(IsShellWindow(parent)) << Decimal(parent);
    RunningProgram program(kProgram, L"/p " + Decimal(parent));
    ASSERT_TRUE(program.Started());
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForEnd(5000, &code)) << "parent " << Decimal(parent);
    EXPECT_EQ(code, 0u);
  }
  // An ordinary window, top-level or child, is a fine host.
  TitledWindow host(L"host");
  EXPECT_FALSE(IsShellWindow(host.Handle()));
  const HWND child = CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, host.Handle(), nullptr, nullptr, nullptr);
  EXPECT_FALSE(IsShellWindow(child));
}

// Copies started at the same moment: exactly one lives on, whether they are
// shows, dialogs or a mix, over several tries.
TEST(SingleInstanceGuard, OneOfSeveralCopiesStartedTogetherSurvives) {
  const std::vector<std::vector<const wchar_t*>> tries = {
      {L"/s", L"/s", L"/s"}, {L"/s", L"/s", L"/s"}, {L"/s", L"/s", L"/s"}, {L"/s", L"", L"/S"},
      {L"/c", L"/c", L"/c"}, {L"/c", L"/s", L"/c", L"/s"},
  };
  int round = 0;
  for (const auto& arguments : tries) {
    SCOPED_TRACE("try " + std::to_string(++round));
    std::vector<std::unique_ptr<RunningProgram>> copies;
    for (const wchar_t* args : arguments) copies.push_back(std::make_unique<RunningProgram>(kProgram, args));
    // Wait until all but one have ended (at most 20 seconds), then a while
    // longer: a late second window would show here.
    int running = static_cast<int>(copies.size());
    for (int i = 0; i < 200 && running > 1; ++i) {
      copies.front()->WaitForEnd(100);
      running = 0;
      for (auto& c : copies) running += WaitForSingleObject(c->Handle(), 0) == WAIT_TIMEOUT;
    }
    Sleep(1500);
    running = 0;
    for (auto& c : copies) running += WaitForSingleObject(c->Handle(), 0) == WAIT_TIMEOUT;
    EXPECT_EQ(running, 1);
    int windows = 0;
    for (const wchar_t* title : {kShowWindowTitle, kSettingsWindowTitle}) {
      for (HWND w = FindWindowW(nullptr, title); w; w = FindWindowExW(nullptr, w, nullptr, title)) ++windows;
    }
    EXPECT_EQ(windows, 1);
    // The survivor ends normally: a key ends the show, the close box the dialog.
    if (const HWND show = FindWindowW(nullptr, kShowWindowTitle)) PostMessageW(show, WM_KEYDOWN, VK_SPACE, 0);
    if (const HWND dialog = FindWindowW(nullptr, kSettingsWindowTitle)) PostMessageW(dialog, WM_CLOSE, 0, 0);
    for (auto& c : copies) EXPECT_TRUE(c->WaitForEnd(10000));
  }
  EXPECT_EQ(GetFileAttributesW(BesideTestProgram(L"Sorvane.bmp").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the temporary bitmap is left behind";
}

// The preview ends within about a second of its host's process, however that
// ends; here it is killed, which under Wine takes the preview's window along
// without a message.
TEST(Preview, EndsWhenTheHostProcessIsKilled) {
  const std::wstring idFile = BesideTestProgram(L"preview-host-" + std::to_wstring(GetCurrentProcessId()) + L".id");
  const std::wstring stopFile = idFile + L".stop";
  DeleteFileW(idFile.c_str());
  RunningProgram host(BesideTestProgram(L"e2e_host_window_win32.exe"),
                      L"200 150 \"" + idFile + L"\" \"" + stopFile + L"\"");
  ASSERT_TRUE(host.Started());
  HWND parent = nullptr;
  for (int i = 0; i < 200 && !parent; ++i) {
    Sleep(100);
    if (FILE* f = _wfopen(idFile.c_str(), L"r")) {
      long long id = 0;
      if (std::fscanf(f, "%lld", &id) == 1) parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(id));
      std::fclose(f);
    }
  }
  DeleteFileW(idFile.c_str());
  ASSERT_TRUE(parent && IsWindow(parent)) << "the host window did not come up";

  RunningProgram preview(kProgram, L"/p " + Decimal(parent));
  ASSERT_TRUE(preview.Started());
  EXPECT_FALSE(preview.WaitForEnd(3000)) << "the preview ended while its host was there";
  TerminateProcess(host.Handle(), 1);
  const DWORD killed = GetTickCount();
  DWORD code = 1;
  EXPECT_TRUE(preview.WaitForEnd(5000, &code)) << "the preview outlived its host";
  EXPECT_EQ(code, 0u);
  std::printf("preview ended %lu ms after its host was killed\n", GetTickCount() - killed);
}

// Waits up to Milliseconds for the show's window; null when none came.
HWND WaitForShowWindow(DWORD Milliseconds) {
  for (DWORD waited = 0; waited < Milliseconds; waited += 100) {
    if (const HWND w = FindWindowW(nullptr, kShowWindowTitle); w && IsWindowVisible(w)) return w;
    Sleep(100);
  }
  return nullptr;
}

// The started program itself: "/s" hides the cursor over the show, an empty
// command line leaves it visible. The cursor's state is the foreground
// thread's, which the show is once it runs.
TEST(ShowMode, OnlyTheSwitchSHidesTheCursor) {
  for (const bool hides : {true, false}) {
    RunningProgram show(kProgram, hides ? L"/s" : L"");
    ASSERT_TRUE(show.Started()) << "error " << show.StartError();
    const HWND window = WaitForShowWindow(20000);
    ASSERT_NE(window, nullptr) << "no show window";
    Sleep(1000);
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_EQ((cursor.flags & CURSOR_SHOWING) == 0, hides) << (hides ? "/s" : "empty command line");
    PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(show.WaitForEnd(10000));
  }
}

// The calls around a show, in order: only "S" hides the cursor and sets the
// screen-saver-running flag; at the end "S" clears the flag before screen
// saving is switched on, and an empty command line only switches it on.
TEST(ShowMode, SystemCallsAroundTheShowInOrder) {
  class Recorder final : public ShowSystemCalls {
   public:
    void ShowCursor(bool Show) override { Calls += Show ? "cursor shown;" : "cursor hidden;"; }
    void AllowSystemKeys(bool Allow) override { Calls += Allow ? "keys allowed;" : "keys not allowed;"; }
    void SwitchScreenSavingOn() override { Calls += "screen saving on;"; }
    std::string Calls;
  };
  struct Case {
    char Switch;
    const char* Begin;
    const char* End;
  };
  const Case cases[] = {
      {'S', "cursor hidden;keys not allowed;", "keys allowed;screen saving on;"},
      {'\0', "", "screen saving on;"},
  };
  for (const Case& c : cases) {
    Recorder system;
    BeginShowMode(c.Switch, system);
    EXPECT_EQ(system.Calls, c.Begin) << "switch " << static_cast<int>(c.Switch);
    system.Calls.clear();
    EndShowMode(c.Switch, system);
    EXPECT_EQ(system.Calls, c.End) << "switch " << static_cast<int>(c.Switch);
  }
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

// The program file carries its icon, its Japanese version block and its
// manifest, and needs no DLL beside it.
TEST(ProgramFile, CarriesIconVersionBlockAndManifest) {
  HMODULE scr = LoadLibraryExW(kProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(scr, nullptr);

  // One 32 x 32 icon with 256 colours.
  HRSRC group = FindResourceW(scr, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(scr, group)));
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(*reinterpret_cast<const WORD*>(dir + 4), 1);  // image count
  EXPECT_EQ(dir[6], 32);                                   // width
  EXPECT_EQ(dir[7], 32);                                   // height
  EXPECT_EQ(*reinterpret_cast<const WORD*>(dir + 6 + 6), 8);  // bits per pixel

  // The manifest asks for per-monitor DPI awareness.
  HRSRC manifest = FindResourceW(scr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(scr, manifest))),
                         SizeofResource(scr, manifest));
  EXPECT_NE(text.find("PerMonitorV2"), std::string::npos);
  FreeLibrary(scr);

  // The version block.
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(kProgram.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(kProgram.c_str(), 0, size, &block[0]));
  auto value = [&](const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text) {
      return std::wstring();
    }
    return std::wstring(text);
  };
  EXPECT_EQ(value(L"FileVersion"), L"1.01");
  EXPECT_EQ(value(L"ProductVersion"), L"1.01");
  EXPECT_EQ(value(L"ProductName"), L"Sorvane (Screen Saver)");
  EXPECT_EQ(value(L"OriginalFilename"), L"Sorvane.scr");
}

}  // namespace
}  // namespace sorvane
