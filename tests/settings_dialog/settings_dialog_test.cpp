// The settings dialog under Wine (code page 932): layout, bars and labels,
// saving and cancelling, the photo sample, the gradient, the photo chooser,
// the web address and bad settings.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "command_win32.h"
#include "dialog_layout.h"
#include "dialog_test_support_win32.h"
#include "exif_jpeg.h"
#include "paths.h"
#include "photo_chooser_win32.h"
#include "settings_dialog_win32.h"
#include "text_win32.h"
#include "window_helpers_win32.h"

namespace sorvane {
extern const unsigned char kTestBaselineJpeg[];
extern const std::size_t kTestBaselineJpegSize;
}  // namespace sorvane

namespace sorvane::testing {
namespace {

// The file "設定" writes for these three values.
std::string SavedFile(const std::string& Path, const std::string& Count, const std::string& Size) {
  return std::string("[Section]\r\n") + kKeyPicture + "=" + Path + "\r\n" + kKeyCount + "=" + Count + "\r\n" +
         kKeySize + "=" + Size + "\r\n";
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

TEST(SettingsDialog, FormAndControlsSitWhereTheLayoutSays) {
  if (ScreenDpi() != 96) GTEST_SKIP() << "layout figures are for 96 dpi";
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  HWND form = d.Window();

  wchar_t title[64] = {};
  GetWindowTextW(form, title, 64);
  EXPECT_EQ(std::wstring(title), L"Sorvane\u306E\u8A2D\u5B9A");
  EXPECT_EQ(FindWindowW(nullptr, L"Sorvane\u306E\u8A2D\u5B9A"), form);
  const LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(IsWindowVisible(form));

  // 5925 x 4755 twips; on the 1024 x 768 test screen 4717 and 2255 twips from
  // the top-left corner (314 and 150 px).
  RECT outer{};
  GetWindowRect(form, &outer);
  EXPECT_EQ(outer.right - outer.left, 395);
  EXPECT_EQ(outer.bottom - outer.top, 317);
  const FormPosition at = PlaceForm(GetSystemMetrics(SM_CXSCREEN) * 15.0, GetSystemMetrics(SM_CYSCREEN) * 15.0);
  EXPECT_EQ(outer.left, TwipsToPixels(at.Left, 96));
  EXPECT_EQ(outer.top, TwipsToPixels(at.Top, 96));

  struct Expected {
    DialogControl Which;
    Box Where;
    DialogControl Parent;
  } controls[] = {
      {DialogControl::Pic_B, {12, 16, 365, 101}, DialogControl::Form},
      {DialogControl::Pic_D, {12, 124, 365, 97}, DialogControl::Form},
      {DialogControl::Pname, {8, 56, 257, 33}, DialogControl::Pic_B},
      {DialogControl::Display, {272, 8, 80, 80}, DialogControl::Pic_B},
      {DialogControl::Cmd_Pic, {228, 32, 37, 21}, DialogControl::Pic_B},
      {DialogControl::VS_Multi, {112, 8, 17, 77}, DialogControl::Pic_D},
      {DialogControl::VS_Size, {300, 8, 17, 77}, DialogControl::Pic_D},
      {DialogControl::Cmd_Can, {232, 236, 73, 25}, DialogControl::Form},
      {DialogControl::Cmd_Set, {304, 236, 73, 25}, DialogControl::Form},
  };
  for (const Expected& e : controls) {
    HWND w = d.Control(e.Which);
    ASSERT_NE(w, nullptr) << static_cast<int>(e.Which);
    EXPECT_EQ(GetParent(w), d.Control(e.Parent)) << static_cast<int>(e.Which);
    EXPECT_EQ(ChildBox(w), e.Where) << static_cast<int>(e.Which);
    EXPECT_TRUE(IsWindowVisible(w)) << static_cast<int>(e.Which);
  }
  // The three buttons are gradient buttons with their captions.
  EXPECT_EQ(d.Button(DialogControl::Cmd_Pic)->Caption(), L"...");
  EXPECT_EQ(d.Button(DialogControl::Cmd_Can)->Caption(), L"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");
  EXPECT_EQ(d.Button(DialogControl::Cmd_Set)->Caption(), L"\u8A2D\u5B9A");
  for (DialogControl b : {DialogControl::Cmd_Pic, DialogControl::Cmd_Can, DialogControl::Cmd_Set}) {
    EXPECT_EQ(Command::FromWindow(d.Control(b)), d.Button(b));
    EXPECT_TRUE(d.Button(b)->Enabled());
  }

  // Labels: texts and places.
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl0), L"\u5199\u771F\u306E\u9078\u629E");
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl2),
            L"<\u9078\u629E\u306A\u3057\u306F\uFF83\uFF9E\uFF8C\uFF6B\uFF99\uFF84\u753B\u50CF>");
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl4), L"\u753B\u50CF\u306E\u5927\u304D\u3055");
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl7), L"\u591A");
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_URL), kAddressText);
  const RECT url = d.LabelRect(DialogLabel::lbl_URL);
  EXPECT_EQ(url.left, 12);
  EXPECT_EQ(url.top, 248);
  EXPECT_EQ(url.right - url.left, 214);
  const RECT size = d.LabelRect(DialogLabel::lbl_Size);
  EXPECT_EQ(size.left, 320);
  EXPECT_EQ(size.top, 40);

  // Tab order: Pname, Cmd_Pic, Cmd_Can, Cmd_Set, VS_Multi, VS_Size, and round.
  const DialogControl order[] = {DialogControl::Pname,   DialogControl::Cmd_Pic,  DialogControl::Cmd_Can,
                                 DialogControl::Cmd_Set, DialogControl::VS_Multi, DialogControl::VS_Size,
                                 DialogControl::Pname};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(GetNextDlgTabItem(form, d.Control(order[i]), FALSE), d.Control(order[i + 1])) << i;
  }
}

TEST(SettingsDialog, PanelsAreTiledAndTheFormHasItsGradient) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  // Marble: light grey everywhere in both panels, never the panel's own grey.
  for (DialogControl panel : {DialogControl::Pic_B, DialogControl::Pic_D}) {
    RECT client{};
    GetClientRect(d.Control(panel), &client);
    for (int y = 0; y < client.bottom; y += 7) {
      for (int x = 0; x < client.right; x += 13) {
        const COLORREF c = d.ImagePixel(panel, x, y);
        ASSERT_NE(c, CLR_INVALID);
        EXPECT_GE(GetGValue(c), 140) << x << "," << y;
      }
    }
  }

  // A client height of 290: rows 0..289 follow the gradient of that height.
  HWND form = d.Window();
  RECT want{0, 0, 389, 290};
  AdjustWindowRectEx(&want, static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(form, GWL_EXSTYLE)));
  SetWindowPos(form, nullptr, 0, 0, want.right - want.left, want.bottom - want.top, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  RECT client{};
  GetClientRect(form, &client);
  ASSERT_EQ(client.bottom, 290);
  const std::vector<int> levels = GradientLevels(290);
  for (int row = 0; row < 290; ++row) {
    const int c = levels[row];
    for (int x : {0, 200, static_cast<int>(client.right) - 1}) {
      ASSERT_EQ(d.ImagePixel(DialogControl::Form, x, row), RGB(c, c, c + 30)) << "row " << row << " x " << x;
    }
  }
  EXPECT_EQ(d.ImagePixel(DialogControl::Form, 0, 0), RGB(0, 0, 30));
  EXPECT_EQ(d.ImagePixel(DialogControl::Form, 5, 145), RGB(220, 220, 250));
}

TEST(SettingsDialog, BarsAndLabelsFollowTheSettings) {
  struct Case {
    int16_t Count;
    float Size;
    int MultiValue, SizeValue;
    const wchar_t* MultiLabel;
    const wchar_t* SizeLabel;
    const char* SavedCount;
    const char* SavedSize;
  } cases[] = {
      {30, 12.0f, 30, 12, L"30", L"12", " 30", " 12"},
      {30, 12.5f, 30, 12, L"30", L"12.5", " 30", " 12"},
      {5, 13.5f, 10, 14, L"5", L"13.5", " 10", " 14"},
      {150, 0.5f, 10, 1, L"150", L"0.5", " 10", " 1"},
      {100, 20.0f, 100, 20, L"100", L"20", " 100", " 20"},
  };
  for (const Case& c : cases) {
    SettingsRecord r;
    r.StarCount = c.Count;
    r.StarSize = c.Size;
    r.PicturePath = "C:\\photos\\sea.jpg";
    DialogUnderTest t(r);
    ASSERT_TRUE(t.Open());
    Sorvane_P& d = t.Dialog();
    EXPECT_EQ(d.MultiValue(), c.MultiValue) << c.Count;
    EXPECT_EQ(d.SizeValue(), c.SizeValue) << c.Size;
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Multi), c.MultiLabel);
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Size), c.SizeLabel);
    // The scroll bars' top is their largest value.
    EXPECT_EQ(GetScrollPos(d.Control(DialogControl::VS_Multi), SB_CTL), BarPositionOf(kMultiBar, c.MultiValue));
    EXPECT_EQ(GetScrollPos(d.Control(DialogControl::VS_Size), SB_CTL), BarPositionOf(kSizeBar, c.SizeValue));
    EXPECT_EQ(d.PnameText(), L"C:\\photos\\sea.jpg");
    EXPECT_EQ(t.Record().PictureFolder, "C:\\photos");
    // The record itself is never changed by the bars.
    EXPECT_EQ(t.Record().StarCount, c.Count);

    d.Cmd_Set_Click();
    EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile("C:\\photos\\sea.jpg", c.SavedCount, c.SavedSize));
    EXPECT_EQ(t.EndCalls(), 1);
    Pump();
    EXPECT_EQ(d.Window(), nullptr) << "the dialog is gone after saving";
  }
}

TEST(SettingsDialog, BarsMoveByTheirStepsAndTheLabelsFollow) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  HWND picD = d.Control(DialogControl::Pic_D);
  HWND multi = d.Control(DialogControl::VS_Multi);
  HWND size = d.Control(DialogControl::VS_Size);
  auto scroll = [&](HWND bar, int code) { SendMessageW(picD, WM_VSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(bar)); };

  scroll(multi, SB_LINEUP);
  EXPECT_EQ(d.MultiValue(), 31);
  scroll(multi, SB_PAGEUP);
  EXPECT_EQ(d.MultiValue(), 41);
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Multi), L"41");
  scroll(multi, SB_PAGEDOWN);
  scroll(multi, SB_LINEDOWN);
  EXPECT_EQ(d.MultiValue(), 30);
  scroll(multi, SB_TOP);
  EXPECT_EQ(d.MultiValue(), 100);
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Multi), L"100");
  EXPECT_EQ(GetScrollPos(multi, SB_CTL), 10);
  scroll(multi, SB_PAGEUP);  // already at the top
  EXPECT_EQ(d.MultiValue(), 100);
  scroll(multi, SB_BOTTOM);
  scroll(multi, SB_PAGEDOWN);
  EXPECT_EQ(d.MultiValue(), 10);
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Multi), L"10");

  scroll(size, SB_PAGEUP);
  EXPECT_EQ(d.SizeValue(), 13);
  scroll(size, SB_LINEUP);
  EXPECT_EQ(d.SizeValue(), 14);
  scroll(size, SB_TOP);
  EXPECT_EQ(d.SizeValue(), 20);
  scroll(size, SB_LINEUP);
  EXPECT_EQ(d.SizeValue(), 20);
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Size), L"20");
  // The keyboard on a focused bar: the up arrow makes the value larger.
  SetFocus(size);
  SendMessageW(size, WM_KEYDOWN, VK_DOWN, 0);
  Pump();
  EXPECT_EQ(d.SizeValue(), 19);

  d.Cmd_Set_Click();
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile("", " 10", " 19"));
}

TEST(SettingsDialog, CancelAndTheCloseBoxWriteNothing) {
  const std::string old = "[Section]\r\n; kept as it is\r\nx=1\r\n";
  {
    DialogUnderTest t(DefaultRecord());
    t.Folder().Write("Sorvane.ini", old);
    ASSERT_TRUE(t.Open());
    SendMessageW(t.Dialog().Control(DialogControl::Pic_D), WM_VSCROLL, SB_PAGEUP,
                 reinterpret_cast<LPARAM>(t.Dialog().Control(DialogControl::VS_Multi)));
    t.Dialog().Cmd_Can_Click();
    EXPECT_EQ(t.EndCalls(), 1);
    Pump();
    EXPECT_EQ(t.Dialog().Window(), nullptr);
    EXPECT_EQ(FileBytes(t.SettingsFile()), old);
  }
  {
    DialogUnderTest t(DefaultRecord());
    t.Folder().Write("Sorvane.ini", old);
    ASSERT_TRUE(t.Open());
    SendMessageW(t.Dialog().Window(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(t.Dialog().Window(), nullptr);
    // The close box leaves ending the program to the start-up code.
    EXPECT_EQ(t.EndCalls(), 0);
    EXPECT_EQ(FileBytes(t.SettingsFile()), old);
  }
  {
    // No file before: none after.
    DialogUnderTest t(DefaultRecord());
    ASSERT_TRUE(t.Open());
    t.Dialog().Cmd_Can_Click();
    Pump();
    EXPECT_FALSE(std::filesystem::exists(t.SettingsFile()));
  }
}

TEST(SettingsDialog, ButtonsClickThroughTheirWindows) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  HWND set = t.Dialog().Control(DialogControl::Cmd_Set);
  // The pointer over the button, as a real click has it.
  POINT centre{30, 12};
  ClientToScreen(set, &centre);
  SetCursorPos(centre.x, centre.y);
  SendMessageW(set, WM_MOUSEMOVE, 0, MAKELPARAM(30, 12));
  SendMessageW(set, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 12));
  SendMessageW(set, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 12));
  SendMessageW(set, WM_LBUTTONUP, 0, MAKELPARAM(30, 12));
  Pump();
  EXPECT_EQ(t.EndCalls(), 1);
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile("", " 30", " 12"));
}

TEST(SettingsDialog, SampleKeepsTheAspectAndTheTopLeftCorner) {
  struct Case {
    int W, H;
    Box Where;
  } cases[] = {
      {400, 300, {272, 8, 80, 60}}, {300, 400, {272, 8, 60, 80}}, {100, 100, {272, 8, 80, 80}},
      {160, 101, {272, 8, 80, 50}}, {1000, 3, {272, 8, 80, 0}},
  };
  for (const Case& c : cases) {
    TempFolder photos;
    photos.Write("photo.bmp", BmpBytes(c.W, c.H, 200, 40, 10));
    SettingsRecord r = DefaultRecord();
    r.PicturePath = photos.File("photo.bmp");
    DialogUnderTest t(r);
    ASSERT_TRUE(t.Open());
    Sorvane_P& d = t.Dialog();
    const Box got = ChildBox(d.Control(DialogControl::Display));
    EXPECT_EQ(got, c.Where) << c.W << "x" << c.H;
    if (c.Where.H > 0) {
      EXPECT_EQ(d.ImagePixel(DialogControl::Display, 0, 0), RGB(200, 40, 10));
      EXPECT_EQ(d.ImagePixel(DialogControl::Display, c.Where.W - 1, c.Where.H - 1), RGB(200, 40, 10));
    }
  }
}

// Each channel of two colours within Tolerance.
bool NearColour(COLORREF A, COLORREF B, int Tolerance) {
  return std::abs(GetRValue(A) - GetRValue(B)) <= Tolerance && std::abs(GetGValue(A) - GetGValue(B)) <= Tolerance &&
         std::abs(GetBValue(A) - GetBValue(B)) <= Tolerance;
}

TEST(SettingsDialog, SampleShowsTurnedPhotographsUpright) {
  // The 64 x 48 quarter picture (red, green / blue, white) with each EXIF
  // orientation: a quarter turn gives the 60 x 80 sample of a 48 x 64 photo.
  const COLORREF quarters[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
  const std::string plain(reinterpret_cast<const char*>(kTestBaselineJpeg), kTestBaselineJpegSize);
  TempFolder photos;
  SettingsRecord r = DefaultRecord();
  DialogUnderTest t(r);
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    const std::string name = "phone" + std::to_string(o) + ".jpg";
    photos.Write(name, WithExif(plain, OrientationBlock(static_cast<unsigned>(o))));
    SetWindowTextW(d.Control(DialogControl::Pname), AnsiToWide(photos.File(name)).c_str());
    d.ShowSample();
    Pump();
    const Box want = o >= 5 ? Box{272, 8, 60, 80} : Box{272, 8, 80, 60};
    EXPECT_EQ(ChildBox(d.Control(DialogControl::Display)), want);
    const int* q = UprightQuarters(o);
    const int xs[2] = {want.W / 4, want.W * 3 / 4}, ys[2] = {want.H / 4, want.H * 3 / 4};
    for (int i = 0; i < 4; ++i)
      EXPECT_TRUE(NearColour(d.ImagePixel(DialogControl::Display, xs[i % 2], ys[i / 2]), quarters[q[i]], 40)) << i;
  }
}

TEST(SettingsDialog, BadSettingsGiveTheBlackBoxAndSaveWhatTheControlsHold) {
  TempFolder photos;
  photos.Write("broken.jpg", std::string("\xFF\xD8\xFF\xE0 this is no picture at all", 30));
  photos.Write("empty.bmp", "");
  std::filesystem::create_directories(photos.File("folder.jpg"));
  const std::string longPath = "C:\\" + std::string(297, 'a');
  const std::string paths[] = {longPath, photos.File("folder.jpg"), photos.File("broken.jpg"),
                               photos.File("empty.bmp"), photos.File("missing.bmp"), ""};
  for (const std::string& path : paths) {
    SettingsRecord r;
    r.PicturePath = path;
    r.StarCount = -32768;
    r.StarSize = -1e30f;
    DialogUnderTest t(r);
    ASSERT_TRUE(t.Open()) << path;
    Sorvane_P& d = t.Dialog();
    const Box sample = ChildBox(d.Control(DialogControl::Display));
    EXPECT_EQ(sample.W, 80) << path;
    EXPECT_EQ(sample.H, 80) << path;
    EXPECT_EQ(d.ImagePixel(DialogControl::Display, 40, 40), RGB(0, 0, 0)) << path;
    EXPECT_EQ(d.MultiValue(), 10);
    EXPECT_EQ(d.SizeValue(), 1);
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Multi), L"-32768");
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Size), L"-1E+30");
    d.Cmd_Set_Click();
    EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile(path, " 10", " 1")) << path;
  }
}

TEST(SettingsDialog, GarbageInTheSettingsFileOpensTheDialog) {
  TempFolder program;
  program.Write("Sorvane.ini", std::string("[Section]\r\n") + kKeyPicture + "=" + std::string(300, 'x') + "\r\n" +
                                   kKeyCount + "=abc\r\n" + kKeySize + "=1e999\r\n");
  SettingsRecord r;
  LoadSettings(r, program.Path());
  DialogUnderTest t(r);
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(t.Dialog().MultiValue(), 10);
  EXPECT_EQ(t.Dialog().SizeValue(), 1);
  EXPECT_EQ(ChildBox(t.Dialog().Control(DialogControl::Display)).W, 80);
  t.Dialog().Cmd_Set_Click();
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile(WideToAnsi(t.Dialog().PnameText()), " 10", " 1"));
}

TEST(SettingsDialog, AFileThatCannotBeWrittenStaysAsItWas) {
  const std::string old = "[Section]\r\nold=1\r\n";
  DialogUnderTest t(DefaultRecord());
  t.Folder().Write("Sorvane.ini", old);
  ASSERT_TRUE(t.Open());
  // Held open without sharing: nothing can replace it.
  HANDLE lock = CreateFileW(AnsiToWide(t.SettingsFile()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  t.Dialog().Cmd_Set_Click();
  EXPECT_EQ(t.EndCalls(), 1);
  CloseHandle(lock);
  EXPECT_EQ(FileBytes(t.SettingsFile()), old);
  Pump();
}

TEST(SettingsDialog, SettingsFolderThatIsMissing) {
  SettingsDialogHost host;
  SettingsRecord r = DefaultRecord();
  host.Settings = &r;
  TempFolder t;
  host.SettingsFile = t.File("missing\\Sorvane.ini");
  int ended = 0;
  host.EndProgram = [&] { ++ended; };
  Sorvane_P d(std::move(host));
  ASSERT_TRUE(d.Open());
  d.Cmd_Set_Click();
  Pump();
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(std::filesystem::exists(t.File("missing")));
}

TEST(PhotoChooser, AChoiceBecomesPathFolderAndSample) {
  TempFolder photos;
  // A folder with a Japanese name: the path reaches the settings as code page
  // 932 bytes.
  const std::wstring folder = AnsiToWide(photos.Path()) + L"\\\u5199\u771F";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring file = folder + L"\\sea.JPG";
  {
    const std::string bmp = BmpBytes(40, 20, 10, 200, 30);  // a BMP named .JPG decodes by content
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr);
    CloseHandle(h);
  }
  SettingsRecord r = DefaultRecord();
  r.PictureFolder = "C:\\start";
  DialogUnderTest t(r);
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  EXPECT_EQ(t.Record().PictureFolder, "") << "an empty path box gives an empty folder";

  int calls = 0;
  t.OnChoose([&](OPENFILENAMEW& q) {
    ++calls;
    EXPECT_EQ(q.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(q.hwndOwner, d.Window());
    EXPECT_EQ(q.Flags, 0u);
    EXPECT_EQ(q.nMaxFile, 255u);
    EXPECT_EQ(q.nMaxFileTitle, 255u);
    EXPECT_EQ(q.nFilterIndex, 0u);
    EXPECT_EQ(std::wstring(q.lpstrTitle), L"\uFF8C\uFF67\uFF72\uFF99\u3092\u958B\u304F");
    EXPECT_EQ(std::wstring(q.lpstrFilter), L"\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99 (BMP JPG)");
    const wchar_t* pattern = q.lpstrFilter + wcslen(q.lpstrFilter) + 1;
    EXPECT_EQ(std::wstring(pattern), L"*.BMP;*JPG");
    EXPECT_EQ(pattern[wcslen(pattern) + 1], L'\0');
    EXPECT_EQ(q.lpstrFile[0], L'\0');
    if (calls == 1) {
      EXPECT_EQ(std::wstring(q.lpstrInitialDir), L"");
      wcscpy(q.lpstrFile, file.c_str());
      return true;
    }
    EXPECT_EQ(std::wstring(q.lpstrInitialDir), folder);
    return false;  // cancelled
  });
  d.Cmd_Pic_Click();
  const std::string chosen = WideToAnsi(file);
  EXPECT_EQ(t.Record().PicturePath, chosen);
  EXPECT_EQ(d.PnameText(), file);
  EXPECT_EQ(t.Record().PictureFolder, WideToAnsi(folder));
  EXPECT_EQ(ChildBox(d.Control(DialogControl::Display)), (Box{272, 8, 80, 40}));
  EXPECT_EQ(d.ImagePixel(DialogControl::Display, 3, 3), RGB(10, 200, 30));

  // A cancel changes nothing.
  d.Cmd_Pic_Click();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(t.Record().PicturePath, chosen);
  EXPECT_EQ(d.PnameText(), file);
  EXPECT_EQ(ChildBox(d.Control(DialogControl::Display)).H, 40);

  // "設定" stores the path as code page 932 bytes.
  d.Cmd_Set_Click();
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile(chosen, " 30", " 12"));
  EXPECT_NE(chosen.find("\x8E\xCA\x90\x5E"), std::string::npos) << "写真 in Shift-JIS";
}

TEST(PhotoChooser, ANameThatDoesNotExistGivesTheBlackBox) {
  TempFolder photos;
  photos.Write("a.bmp", BmpBytes(50, 50, 255, 255, 255));
  SettingsRecord r = DefaultRecord();
  r.PicturePath = photos.File("a.bmp");
  DialogUnderTest t(r);
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(ChildBox(t.Dialog().Control(DialogControl::Display)).W, 80);
  EXPECT_EQ(t.Dialog().ImagePixel(DialogControl::Display, 1, 1), RGB(255, 255, 255));
  const std::wstring typed = AnsiToWide(photos.File("nothing.jpg"));
  t.OnChoose([&](OPENFILENAMEW& q) {
    wcscpy(q.lpstrFile, typed.c_str());
    return true;
  });
  t.Dialog().Cmd_Pic_Click();
  EXPECT_EQ(t.Dialog().PnameText(), typed);
  EXPECT_EQ(t.Dialog().ImagePixel(DialogControl::Display, 1, 1), RGB(0, 0, 0));
  EXPECT_EQ(ChildBox(t.Dialog().Control(DialogControl::Display)), (Box{272, 8, 80, 80}));
}

TEST(SettingsDialog, TheAddressOpensOnAClick) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  HWND form = t.Dialog().Window();
  const RECT r = t.Dialog().LabelRect(DialogLabel::lbl_URL);
  const LPARAM inside = MAKELPARAM(r.left + 5, r.top + 5);
  const LPARAM outside = MAKELPARAM(r.left + 5, r.top - 30);
  SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, outside);
  SendMessageW(form, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(t.Opened(), L"");
  SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(form, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(t.Opened(), kAddressText);
}

TEST(SettingsDialog, PrintClientPaintsTheLabelsOverTheImage) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  HWND form = t.Dialog().Window();
  RECT client{};
  GetClientRect(form, &client);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(form, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  // The address is drawn in light yellow somewhere in its label.
  const RECT r = t.Dialog().LabelRect(DialogLabel::lbl_URL);
  int yellow = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) yellow += GetPixel(dc, x, y) == RGB(255, 255, 192);
  }
  EXPECT_GT(yellow, 20);
  // Between the labels the gradient shows.
  EXPECT_EQ(GetPixel(dc, 5, 0), t.Dialog().ImagePixel(DialogControl::Form, 5, 0));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
}  // namespace sorvane::testing
