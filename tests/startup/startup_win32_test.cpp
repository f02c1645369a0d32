// The built Sorvane.scr refuses to start while another copy shows its window,
// and ends at once on switches it cannot serve.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
    ASSERT_TRUE(program.Started());
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForEnd(5000, &code)) << args;
    EXPECT_EQ(code, 0u);
  }
}

}  // namespace
}  // namespace sorvane
