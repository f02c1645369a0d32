// The settings dialog of the built Sorvane.scr in a folder nobody can write
// (scripts: tests/settings_dialog/readonly_folder.sh mounts one read-only and
// names it in SORVANE_RO_FOLDER): "設定" says that the settings file cannot be
// written, naming it, and the dialog stays; "ｷｬﾝｾﾙ" then ends the program.
// Windows only; it runs only through that script.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "run_program_win32.h"

namespace sorvane::testing {
namespace {

const wchar_t* const kDialogTitle = L"Sorvane\u306E\u8A2D\u5B9A";

// The read-only folder as Wine shows it (its Z: drive is the root).
std::wstring ReadOnlyFolder() {
  const char* folder = std::getenv("SORVANE_RO_FOLDER");
  if (!folder || !*folder) return std::wstring();
  std::wstring path = L"Z:";
  for (const char* c = folder; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

// A window of the program's process for which Test holds, within Milliseconds.
template <typename Predicate>
HWND WaitForWindow(DWORD ProcessId, DWORD Milliseconds, Predicate Test) {
  struct Search {
    DWORD Process;
    Predicate* Test;
    HWND Found;
  } search{ProcessId, &Test, nullptr};
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < Milliseconds) {
    EnumWindows(
        [](HWND Window, LPARAM Data) {
          auto* s = reinterpret_cast<Search*>(Data);
          DWORD owner = 0;
          GetWindowThreadProcessId(Window, &owner);
          if (owner == s->Process && IsWindowVisible(Window) && (*s->Test)(Window)) {
            s->Found = Window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.Found) return search.Found;
    Sleep(50);
  }
  return nullptr;
}

std::wstring TextOf(HWND Window) {
  wchar_t text[2048] = {};
  GetWindowTextW(Window, text, 2048);
  return text;
}

// The dialog's two gradient buttons on the form itself, left to right
// (ｷｬﾝｾﾙ, 設定).
std::vector<HWND> FormButtons(HWND Dialog) {
  std::vector<HWND> buttons;
  for (HWND child = GetWindow(Dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (std::wstring(name) == L"Sorvane.Command") buttons.push_back(child);
  }
  std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return buttons;
}

// A click as the mouse gives it, posted to the other program's button.
void Click(HWND Button) {
  PostMessageW(Button, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  PostMessageW(Button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageW(Button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

TEST(ReadOnlyFolder, SettingsThatCannotBeSavedAreSaidAndTheDialogStays) {
  const std::wstring folder = ReadOnlyFolder();
  ASSERT_FALSE(folder.empty()) << "run through tests/settings_dialog/readonly_folder.sh";
  // The folder really cannot be written.
  const std::wstring probe = folder + L"\\probe.txt";
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "the folder is writable";
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    DeleteFileW(probe.c_str());
  }

  RunningProgram program(folder + L"\\Sorvane.scr", L"/c");
  ASSERT_TRUE(program.Started()) << program.StartError();
  const DWORD pid = GetProcessId(program.Handle());
  HWND dialog = WaitForWindow(pid, 30000, [](HWND w) { return TextOf(w) == kDialogTitle; });
  ASSERT_NE(dialog, nullptr) << "the dialog never showed";
  std::vector<HWND> buttons = FormButtons(dialog);
  ASSERT_EQ(buttons.size(), 2u);

  Click(buttons[1]);  // 設定
  HWND box = WaitForWindow(pid, 20000, [&](HWND w) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    return w != dialog && std::wstring(name) == L"#32770";
  });
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(TextOf(box), L"Sorvane");
  // The message: that the settings could not be saved, and which file.
  std::wstring message;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) message += TextOf(child);
  EXPECT_NE(message.find(L"\u4FDD\u5B58\u3067\u304D\u307E\u305B\u3093"), std::wstring::npos) << "保存できません";
  std::wstring lowerMessage = message, lowerFile = folder + L"\\Sorvane.ini";
  CharLowerW(&lowerMessage[0]);
  CharLowerW(&lowerFile[0]);
  EXPECT_NE(lowerMessage.find(lowerFile), std::wstring::npos) << "the file is named";

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  const DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < 10000) Sleep(50);
  EXPECT_FALSE(IsWindow(box));
  Sleep(300);
  EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
  EXPECT_EQ(WaitForSingleObject(program.Handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  Click(buttons[0]);  // ｷｬﾝｾﾙ
  DWORD code = 1;
  EXPECT_TRUE(program.WaitForEnd(20000, &code)) << "ｷｬﾝｾﾙ still leaves";
  EXPECT_EQ(GetFileAttributesW((folder + L"\\Sorvane.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace sorvane::testing
