// The window helpers (SetupButtons, the zoom origin) and the settings dialog
// of the built Sorvane.scr seen from outside. Windows only.

#include <gtest/gtest.h>

#include <thread>

#include "command_win32.h"
#include "dialog_test_support_win32.h"
#include "run_program_win32.h"
#include "text_win32.h"
#include "window_helpers_win32.h"

namespace sorvane::testing {
namespace {

// A plain top-level window to hang controls on.
HWND MakeForm() {
  return CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"form", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(SetupButtons, TouchesOnlyGradientButtonsNestedOnesIncluded) {
  HWND form = MakeForm();
  ASSERT_NE(form, nullptr);
  HWND panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, form, nullptr, nullptr,
                               nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"text", WS_CHILD | WS_VISIBLE, 0, 120, 80, 20, form, nullptr, nullptr,
                              nullptr);
  Command* a = Command::Create(form, 1, 100, 120, 60, 20);
  Command* b = Command::Create(form, 2, 170, 120, 60, 20);
  Command* c = Command::Create(panel, 3, 10, 10, 60, 20);
  ASSERT_TRUE(a && b && c);
  PropertyStore store;
  for (Command* button : {a, b, c}) button->ReadProperties(store);

  SetupButtons(form, false, false);
  for (Command* button : {a, b, c}) {
    EXPECT_FALSE(button->Enabled());
    EXPECT_EQ(button->Core().ButtonState(), 0) << "not initialised";
  }
  EXPECT_TRUE(IsWindowEnabled(edit));
  SetupButtons(form, false, true);
  for (Command* button : {a, b, c}) EXPECT_TRUE(button->Enabled());

  SetupButtons(form, true, false);
  for (Command* button : {a, b, c}) {
    EXPECT_EQ(button->Core().ButtonState(), 1) << "hover tracking started";
    EXPECT_TRUE(button->Enabled()) << "Enabled untouched when initialising";
  }
  wchar_t text[16] = {};
  GetWindowTextW(edit, text, 16);
  EXPECT_EQ(std::wstring(text), L"text");

  // A form without gradient buttons, and no form at all.
  SetupButtons(panel, true, true);
  SetupButtons(nullptr, true, true);
  DestroyWindow(form);
  Pump();
}

TEST(ZoomOrigin, KeepsTheLow16BitsSigned) {
  ZoomOrigin o;
  POINT p{500, 300};
  SetZoomOrigin(o, &p);
  EXPECT_EQ(o.ZoomOriginX, 500);
  EXPECT_EQ(o.ZoomOriginY, 300);
  p = POINT{70000, -5};
  SetZoomOrigin(o, &p);
  EXPECT_EQ(o.ZoomOriginX, 70000 - 65536);
  EXPECT_EQ(o.ZoomOriginY, -5);
  p = POINT{40000, 0};
  SetZoomOrigin(o, &p);
  EXPECT_EQ(o.ZoomOriginX, 40000 - 65536);
  const RECT r = ZoomPointRect(o);
  EXPECT_EQ(r.left, 40000 - 65536);
  EXPECT_EQ(r.right, r.left);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 0);
  SetZoomOrigin(o, nullptr);
  EXPECT_EQ(o.ZoomOriginX, 0);
  EXPECT_EQ(o.ZoomOriginY, 0);
}

TEST(ZoomOrigin, TheDialogTakesTheMousePositionWhenItOpens) {
  ASSERT_TRUE(SetCursorPos(500, 300));
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(ProgramZoomOrigin().ZoomOriginX, 500);
  EXPECT_EQ(ProgramZoomOrigin().ZoomOriginY, 300);
  // Moving the mouse later does not move the origin the dialog closes into.
  SetCursorPos(10, 10);
  t.Dialog().Cmd_Can_Click();
  Pump();
  EXPECT_EQ(ProgramZoomOrigin().ZoomOriginX, 500);
}

// Finds a top-level window by title within Milliseconds.
HWND WaitForWindow(const wchar_t* Title, DWORD Milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < Milliseconds) {
    if (HWND w = FindWindowW(nullptr, Title)) return w;
    Sleep(50);
  }
  return nullptr;
}

TEST(SorvaneScr, SettingsDialogClosedByItsCloseBoxWritesNothing) {
  const std::wstring exe = BesideTestProgram(L"Sorvane.scr");
  const std::wstring ini = BesideTestProgram(L"Sorvane.ini");
  const std::string iniAnsi = WideToAnsi(ini);
  const std::string before = FileBytes(iniAnsi);
  const std::string contents = std::string("[Section]\r\n") + "x=1\r\n";
  {
    std::FILE* f = std::fopen(iniAnsi.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
  }
  {
    RunningProgram program(exe, L"/c");
    ASSERT_TRUE(program.Started());
    HWND dialog = WaitForWindow(L"Sorvane\u306E\u8A2D\u5B9A", 20000);
    ASSERT_NE(dialog, nullptr) << "the dialog never showed";
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForEnd(20000, &code));
    EXPECT_EQ(FindWindowW(nullptr, L"Sorvane\u306E\u8A2D\u5B9A"), nullptr);
  }
  EXPECT_EQ(FileBytes(iniAnsi), contents);
  // Leave the folder as it was found.
  if (before == "<none>") {
    DeleteFileW(ini.c_str());
  } else {
    std::FILE* f = std::fopen(iniAnsi.c_str(), "wb");
    if (f) {
      std::fwrite(before.data(), 1, before.size(), f);
      std::fclose(f);
    }
  }
}

}  // namespace
}  // namespace sorvane::testing
