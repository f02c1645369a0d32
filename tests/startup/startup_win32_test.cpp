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
