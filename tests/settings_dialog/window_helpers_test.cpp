// The window helpers (SetupButtons, the zoom origin) and the settings dialog
// of the built Sorvane.scr seen from outside. Windows only.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

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

  // The walk stays inside the window it is given: only the nested button.
  SetupButtons(panel, false, false);
  EXPECT_FALSE(c->Enabled());
  EXPECT_TRUE(a->Enabled());
  EXPECT_TRUE(b->Enabled());
  // No form at all: nothing happens, nothing breaks.
  SetupButtons(nullptr, false, false);
  EXPECT_TRUE(a->Enabled());
  DestroyWindow(form);
  Pump();
}

TEST(SetupButtons, AFormWithoutGradientButtonsIsLeftAsItWas) {
  HWND form = MakeForm();
  ASSERT_NE(form, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"text", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, form, nullptr, nullptr,
                              nullptr);
  HWND button = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 30, 80, 20, form,
                                nullptr, nullptr, nullptr);
  const LONG_PTR editStyle = GetWindowLongPtrW(edit, GWL_STYLE);
  // Disabling "every gradient button" must not disable the system's buttons
  // or anything else.
  SetupButtons(form, false, false);
  EXPECT_TRUE(IsWindowEnabled(edit));
  EXPECT_TRUE(IsWindowEnabled(button));
  SetupButtons(form, true, false);
  EXPECT_EQ(GetWindowLongPtrW(edit, GWL_STYLE), editStyle);
  EXPECT_EQ(Command::FromWindow(button), nullptr);
  DestroyWindow(form);
  Pump();
}

TEST(Zoom, OpenGrowsFromTheOriginAndCloseShrinksBackToIt) {
  HWND form = MakeForm();
  ASSERT_NE(form, nullptr);
  SetWindowPos(form, nullptr, 100, 80, 300, 200, SWP_NOZORDER);
  RECT window{};
  GetWindowRect(form, &window);
  struct Call {
    HWND Window;
    RECT From, To;
  };
  std::vector<Call> calls;
  const RectAnimation record = [&](HWND w, const RECT& from, const RECT& to) { calls.push_back({w, from, to}); };
  const ZoomOrigin saved = ProgramZoomOrigin();
  POINT mouse{500, 300};
  SetZoomOrigin(ProgramZoomOrigin(), &mouse);
  ZoomOpen(form, record);
  ZoomClose(form, record);
  // GetCursorPos failing: the top-left corner of the screen.
  SetZoomOrigin(ProgramZoomOrigin(), nullptr);
  ZoomClose(form, record);
  ProgramZoomOrigin() = saved;
  ASSERT_EQ(calls.size(), 3u);
  const RECT point{500, 300, 500, 300};
  EXPECT_EQ(calls[0].Window, form);
  EXPECT_TRUE(SameRect(calls[0].From, point));
  EXPECT_TRUE(SameRect(calls[0].To, window));
  EXPECT_TRUE(SameRect(calls[1].From, window));
  EXPECT_TRUE(SameRect(calls[1].To, point));
  EXPECT_TRUE(SameRect(calls[2].To, RECT{0, 0, 0, 0}));
  // Without a recorder the system's animation runs, and returns.
  ZoomOpen(form);
  ZoomClose(form);
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

// The version block's numbers and the manifest agree with the version text.
TEST(SorvaneScr, VersionNumbersAgreeWithTheVersionText) {
  const std::wstring exe = BesideTestProgram(L"Sorvane.scr");
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  // "1.01": major 1, minor 0, build 1.
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  for (const wchar_t* key : {L"\\StringFileInfo\\041104B0\\FileVersion", L"\\StringFileInfo\\041104B0\\ProductVersion"}) {
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&text), &length)) << key;
    EXPECT_EQ(std::wstring(text), L"1.01") << key;
  }
  // The manifest names the same version.
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const char* manifest = static_cast<const char*>(LockResource(LoadResource(module, found)));
  const std::string text(manifest, SizeofResource(module, found));
  EXPECT_NE(text.find("version=\"1.0.1.0\""), std::string::npos);
  FreeLibrary(module);
}

}  // namespace
}  // namespace sorvane::testing
