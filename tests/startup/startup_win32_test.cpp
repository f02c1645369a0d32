// The built Sorvane.scr refuses to start while another copy shows its window
// or is starting one (a show only for another show), ends at once on switches
// and preview parents it cannot serve, and its preview ends with its host;
// its settings dialog is modal to the window it is given; it starts by its
// short name; the calls that bracket a show.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "settings_file.h"
#include "startup_win32.h"
#include "text_win32.h"
#include "../support/run_program_win32.h"
#include "../support/temp_folder.h"

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

// Every mode ends at once while a show is on; while a dialog is open, every
// mode but the show (see AShowStartsWhileOnlyTheDialogIsOpen).
TEST(SingleInstanceGuard, EveryModeEndsAtOnceWhileAnotherCopyShows) {
  for (const wchar_t* title : {kShowWindowTitle, kSettingsWindowTitle}) {
    TitledWindow other(title);
    const std::wstring parent = std::to_wstring(reinterpret_cast<INT_PTR>(other.Handle()));
    for (const std::wstring& args : {std::wstring(L"/s"), std::wstring(), std::wstring(L"/c"), L"/p " + parent, std::wstring(L"/a")}) {
      if (title == kSettingsWindowTitle && args == L"/s") continue;
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

// Copies started at the same moment: exactly one show lives on, and at most
// one dialog (exactly one when no show was started), over several tries.
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
    bool aShow = false;
    for (const wchar_t* args : arguments) aShow = aShow || std::wstring(args) == L"/s" || std::wstring(args) == L"/S";
    // Wait until all but the survivors have ended (at most 20 seconds), then
    // a while longer: a late second window would show here.
    const int most = aShow ? 2 : 1;
    int running = static_cast<int>(copies.size());
    for (int i = 0; i < 200 && running > most; ++i) {
      copies.front()->WaitForEnd(100);
      running = 0;
      for (auto& c : copies) running += WaitForSingleObject(c->Handle(), 0) == WAIT_TIMEOUT;
    }
    Sleep(1500);
    running = 0;
    for (auto& c : copies) running += WaitForSingleObject(c->Handle(), 0) == WAIT_TIMEOUT;
    int shows = 0, dialogs = 0;
    for (HWND w = FindWindowW(nullptr, kShowWindowTitle); w; w = FindWindowExW(nullptr, w, nullptr, kShowWindowTitle)) ++shows;
    for (HWND w = FindWindowW(nullptr, kSettingsWindowTitle); w; w = FindWindowExW(nullptr, w, nullptr, kSettingsWindowTitle)) ++dialogs;
    EXPECT_EQ(shows, aShow ? 1 : 0);
    EXPECT_LE(dialogs, 1);
    if (!aShow) {
      EXPECT_EQ(dialogs, 1);
    }
    EXPECT_EQ(running, shows + dialogs);
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

// The started program itself: "/s" hides the cursor over the show. The
// cursor's state is the foreground thread's, which the show is once it runs.
TEST(ShowMode, TheSwitchSHidesTheCursor) {
  RunningProgram show(kProgram, L"/s");
  ASSERT_TRUE(show.Started()) << "error " << show.StartError();
  const HWND window = WaitForShowWindow(20000);
  ASSERT_NE(window, nullptr) << "no show window";
  Sleep(1000);
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  ASSERT_TRUE(GetCursorInfo(&cursor));
  EXPECT_EQ(cursor.flags & CURSOR_SHOWING, 0u);
  PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(show.WaitForEnd(10000));
}

// Sorvane.scr copied into a folder of its own, so that what it writes (the
// settings, the temporary bitmap) stays there and goes with the folder.
class ProgramCopy {
 public:
  explicit ProgramCopy(const std::string& Subfolder = "prog", const std::wstring& Name = L"Sorvane.scr")
      : name_(Name) {
    folder_ = AnsiToWide(base_.File(Subfolder));
    CreateDirectoryW(folder_.c_str(), nullptr);
    copied_ = CopyFileW(kProgram.c_str(), Exe().c_str(), FALSE) != FALSE;
  }
  bool Copied() const { return copied_; }
  std::wstring Exe() const { return folder_ + L"\\" + name_; }
  std::wstring File(const std::wstring& Name) const { return folder_ + L"\\" + Name; }

 private:
  testing::TempFolder base_;
  std::wstring name_;
  std::wstring folder_;
  bool copied_ = false;
};

// Waits, keeping this thread's windows answering, until Program shows a
// visible window titled Title; null when it ended or the time ran out.
HWND WaitForVisibleWindow(RunningProgram& Program, const wchar_t* Title, DWORD Milliseconds) {
  for (DWORD waited = 0; waited < Milliseconds; waited += 100) {
    if (const HWND w = FindWindowW(nullptr, Title); w && IsWindowVisible(w)) return w;
    if (Program.WaitForEnd(100)) return nullptr;
  }
  return nullptr;
}

// A window of this test program, standing in for the screen saver settings
// page whose handle Windows passes with /c.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SorvaneTestSettingsPage";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowW(wc.lpszClassName, L"settings page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200,
                          nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(hwnd_);
  }
  ~HostWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// The dialog opened from the settings page ("/c:HWND" in its three forms, and
// "/c" alone or with a handle that is not a window, which mean the
// foreground window) belongs to that window: the window is disabled while the
// dialog is open and is enabled and active again after every way of closing
// it. The empty command line (Configure) opens the dialog on its own.
TEST(SettingsMode, TheDialogIsModalToTheWindowItBelongsTo) {
  enum Close { Enter, Esc, CloseBox };
  const struct {
    const wchar_t* Args;  // %H stands for the host's handle
    Close How;
    bool Owned;
  } cases[] = {
      {L"/c:%H", Enter, true},       {L"/c %H", Esc, true},   {L"/C:%H", CloseBox, true},
      {L"/c", Enter, true},          {L"/c:12345678", Esc, true}, {L"", CloseBox, false},
  };
  for (const auto& c : cases) {
    ProgramCopy copy;
    ASSERT_TRUE(copy.Copied());
    HostWindow host;
    std::wstring args = c.Args;
    if (const size_t at = args.find(L"%H"); at != std::wstring::npos) args.replace(at, 2, Decimal(host.Handle()));
    SCOPED_TRACE(std::string(args.begin(), args.end()));
    RunningProgram dialog(copy.Exe(), args);
    ASSERT_TRUE(dialog.Started());
    const HWND form = WaitForVisibleWindow(dialog, kSettingsWindowTitle, 20000);
    ASSERT_NE(form, nullptr) << "no settings dialog";
    EXPECT_EQ(GetWindow(form, GW_OWNER), c.Owned ? host.Handle() : nullptr);
    EXPECT_EQ(IsWindowEnabled(host.Handle()) != FALSE, !c.Owned);
    if (c.How == CloseBox) {
      PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      PostMessageW(form, WM_KEYDOWN, c.How == Enter ? VK_RETURN : VK_ESCAPE, 1);
    }
    DWORD code = 1;
    EXPECT_TRUE(dialog.WaitForEnd(10000, &code)) << "the dialog did not close";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(IsWindowEnabled(host.Handle()));
    if (c.Owned) {
      EXPECT_EQ(GetForegroundWindow(), host.Handle()) << "the settings page is not active again";
    }
    // Enter is "設定", Esc and the close box write nothing.
    EXPECT_EQ(GetFileAttributesW(copy.File(L"Sorvane.ini").c_str()) != INVALID_FILE_ATTRIBUTES, c.How == Enter);
  }
}

// A dialog left open must not keep the screen from blanking: the show starts
// beside it. Two shows still never run together, a second dialog does not
// open, and neither does a dialog over a show.
TEST(SingleInstanceGuard, AShowStartsWhileOnlyTheDialogIsOpen) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  RunningProgram dialog(copy.Exe(), L"/c");
  const HWND form = WaitForVisibleWindow(dialog, kSettingsWindowTitle, 20000);
  ASSERT_NE(form, nullptr) << "no settings dialog";
  RunningProgram show(copy.Exe(), L"/s");
  const HWND window = WaitForVisibleWindow(show, kShowWindowTitle, 20000);
  ASSERT_NE(window, nullptr) << "the show did not start while the dialog was open";
  EXPECT_FALSE(show.WaitForEnd(1000));
  for (const wchar_t* args : {L"/s", L"/S", L"/c", L""}) {
    RunningProgram again(copy.Exe(), args);
    DWORD code = 1;
    EXPECT_TRUE(again.WaitForEnd(5000, &code)) << "\"" << std::string(args, args + wcslen(args)) << "\" started";
    EXPECT_EQ(code, 0u);
  }
  PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(show.WaitForEnd(10000));
  EXPECT_TRUE(IsWindow(form)) << "the show took the dialog with it";
  EXPECT_FALSE(dialog.WaitForEnd(0));
  PostMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(dialog.WaitForEnd(10000));
}

// Windows starts a screen saver by its short 8.3 name with a lower-case
// switch: the show still finds its settings (a red photograph) and writes
// its bitmap beside itself, and the guard still holds.
TEST(ShowMode, AStartByTheShortNameFindsTheSettingsAndKeepsTheGuard) {
  // Long names for the folder and the file, so both have short names of
  // their own (SORVAN~1.SCR and the like).
  ProgramCopy copy("Sorvane Screen Saver Folder", L"Sorvane Photo Screen Saver.scr");
  ASSERT_TRUE(copy.Copied());
  // A 64 x 48 red BMP, and the settings naming it by its long path.
  std::string bmp(54 + 64 * 48 * 3, '\0');
  const unsigned char header[54] = {'B', 'M', 0x36, 0x24, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 64, 0, 0, 0, 48, 0, 0, 0, 1, 0, 24};
  std::copy(header, header + 54, bmp.begin());
  for (size_t i = 54; i + 2 < bmp.size(); i += 3) bmp[i + 2] = static_cast<char>(0xFF);
  const std::string ini = std::string("[Section]\r\n") + kKeyPicture + "=" + WideToAnsi(copy.File(L"red photo.bmp")) +
                          "\r\n" + kKeyCount + "= 30\r\n" + kKeySize + "= 12\r\n";
  for (const auto& [name, bytes] : {std::pair{std::wstring(L"red photo.bmp"), bmp}, std::pair{std::wstring(L"Sorvane.ini"), ini}}) {
    FILE* f = _wfopen(copy.File(name).c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(copy.Exe().c_str(), shortName, MAX_PATH), 0u);
  std::printf("short name: %ls\n", shortName);
  EXPECT_EQ(std::wstring(shortName).find(L' '), std::wstring::npos);
  EXPECT_NE(std::wstring(shortName).find(L'~'), std::wstring::npos);

  auto show = RunningProgram::WithCommandLine(shortName, std::wstring(shortName) + L" /s");
  ASSERT_TRUE(show->Started()) << "error " << show->StartError();
  const HWND window = WaitForVisibleWindow(*show, kShowWindowTitle, 20000);
  ASSERT_NE(window, nullptr) << "no show window";
  // The bitmap beside the program, with the photograph in the middle.
  const std::wstring bitmap = copy.File(L"Sorvane.bmp");
  std::string square;
  for (int i = 0; i < 100 && square.size() != 786486; ++i) {
    show->WaitForEnd(100);
    if (FILE* f = _wfopen(bitmap.c_str(), L"rb")) {
      square.assign(786486, '\0');
      square.resize(std::fread(&square[0], 1, square.size(), f));
      std::fclose(f);
    }
  }
  ASSERT_EQ(square.size(), 786486u) << "no temporary bitmap beside the program";
  const size_t middle = 54 + (256 * 512 + 256) * 3;
  EXPECT_EQ(static_cast<unsigned char>(square[middle + 2]), 0xFF) << "not the red photograph of the settings";
  EXPECT_EQ(static_cast<unsigned char>(square[middle + 1]), 0);
  // The guard: a second show, started by the long name, ends at once.
  RunningProgram second(copy.Exe(), L"/S");
  DWORD code = 1;
  EXPECT_TRUE(second.WaitForEnd(5000, &code));
  EXPECT_EQ(code, 0u);
  PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(show->WaitForEnd(10000));
  EXPECT_EQ(GetFileAttributesW(bitmap.c_str()), INVALID_FILE_ATTRIBUTES) << "the temporary bitmap is left behind";
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
// manifest, needs no DLL beside it, and imports no call that keeps the
// system awake.
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

  // Nothing in it asks the system to keep the display or the machine awake.
  FILE* f = _wfopen(kProgram.c_str(), L"rb");
  ASSERT_NE(f, nullptr);
  std::string bytes;
  char chunk[65536];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
  std::fclose(f);
  for (const char* call : {"SetThreadExecutionState", "PowerSetRequest", "PowerCreateRequest"}) {
    EXPECT_EQ(bytes.find(call), std::string::npos) << call;
  }
}

}  // namespace
}  // namespace sorvane
