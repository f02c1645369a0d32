// The settings dialog under Wine (code page 932): layout, bars and labels,
// saving and cancelling, the photo sample, the gradient, the photo chooser,
// the web address and bad settings.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "button_face_checks_win32.h"
#include "command_win32.h"
#include "dialog_layout.h"
#include "dialog_test_support_win32.h"
#include "exif_jpeg.h"
#include "paths.h"
#include "photo_chooser_win32.h"
#include "photo_library.h"
#include "settings_dialog_win32.h"
#include "text_win32.h"
#include "window_helpers_win32.h"

namespace sorvane {
extern const unsigned char kTestBaselineJpeg[];
extern const std::size_t kTestBaselineJpegSize;
}  // namespace sorvane

namespace sorvane::testing {
namespace {

// The file "設定" writes for these values.
std::string SavedFile(const std::string& Path, const std::string& Count, const std::string& Size,
                      const std::string& Change = " 1") {
  return std::string("[Section]\r\n") + kKeyPicture + "=" + Path + "\r\n" + kKeyCount + "=" + Count + "\r\n" +
         kKeySize + "=" + Size + "\r\n" + kKeyChange + "=" + Change + "\r\n";
}

// A 96-dpi layout coordinate at Dpi.
long S(long Pixels96, int Dpi) { return ScaledEdge(Pixels96, Dpi); }

// A window's box from its 96-dpi layout at Dpi: its edges scaled.
Box Scaled(long X, long Y, long W, long H, int Dpi) {
  return Box{S(X, Dpi), S(Y, Dpi), S(X + W, Dpi) - S(X, Dpi), S(Y + H, Dpi) - S(Y, Dpi)};
}

// The frame (outer minus client size) of the dialog's kind of window at Dpi.
SIZE FrameAt(HWND Form, int Dpi) {
  using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  const auto Adjust = reinterpret_cast<AdjustForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  RECT r{0, 0, 0, 0};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(Form, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(Form, GWL_EXSTYLE));
  if (Adjust) {
    Adjust(&r, style & ~WS_VISIBLE, FALSE, exStyle, Dpi);
  } else {
    AdjustWindowRectEx(&r, style & ~WS_VISIBLE, FALSE, exStyle);
  }
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// A window's rectangle in the form's client coordinates.
RECT InForm(HWND Form, HWND Window) {
  RECT r{};
  GetWindowRect(Window, &r);
  MapWindowPoints(HWND_DESKTOP, Form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The control table at 96 dpi.
struct ControlPlace {
  DialogControl Which;
  Box Where;
  DialogControl Parent;
};
const ControlPlace kPlaces[] = {
    {DialogControl::Pic_B, {12, 16, 365, 101}, DialogControl::Form},
    {DialogControl::Pic_D, {12, 124, 365, 97}, DialogControl::Form},
    {DialogControl::Pname, {8, 56, 257, 33}, DialogControl::Pic_B},
    {DialogControl::Cmd_Pic, {228, 32, 37, 21}, DialogControl::Pic_B},
    {DialogControl::VS_Multi, {112, 8, 17, 77}, DialogControl::Pic_D},
    {DialogControl::VS_Size, {300, 8, 17, 77}, DialogControl::Pic_D},
    {DialogControl::Cmd_Can, {232, 236, 73, 25}, DialogControl::Form},
    {DialogControl::Cmd_Set, {304, 236, 73, 25}, DialogControl::Form},
    {DialogControl::Pic_F, {12, 268, 365, 73}, DialogControl::Form},
    {DialogControl::Cmd_Folder, {108, 12, 37, 21}, DialogControl::Pic_F},
    {DialogControl::VS_Change, {284, 8, 17, 53}, DialogControl::Pic_F},
};

// True when two rectangles share any pixel.
bool Overlap(const RECT& A, const RECT& B) {
  return A.left < B.right && B.left < A.right && A.top < B.bottom && B.top < A.bottom;
}

// Everything of the open dialog where its layout puts it at Dpi, all inside
// the client area, which is the 96-dpi one scaled; each button's frame whole
// on all four sides and its caption centred and unclipped.
void ExpectLayoutAt(Sorvane_P& d, int Dpi) {
  SCOPED_TRACE("at " + std::to_string(Dpi) + " dpi");
  HWND form = d.Window();
  EXPECT_EQ(d.Dpi(), Dpi);
  RECT client{};
  GetClientRect(form, &client);
  // 5925 x 5715 twips (the folder panel below the buttons) make the outer
  // size at 96 dpi; the client area that leaves is what every DPI scales.
  const SIZE frame96 = FrameAt(form, 96);
  const long clientWidth96 = 395 - frame96.cx, clientHeight96 = 381 - frame96.cy;
  EXPECT_NEAR(client.right, S(clientWidth96, Dpi), 1);
  EXPECT_NEAR(client.bottom, S(clientHeight96, Dpi), 1);

  for (const ControlPlace& e : kPlaces) {
    SCOPED_TRACE(static_cast<int>(e.Which));
    HWND w = d.Control(e.Which);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetParent(w), d.Control(e.Parent));
    EXPECT_EQ(ChildBox(w), Scaled(e.Where.X, e.Where.Y, e.Where.W, e.Where.H, Dpi));
    EXPECT_TRUE(IsWindowVisible(w));
    const RECT r = InForm(form, w);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, client.right);
    EXPECT_LE(r.bottom, client.bottom);
  }
  // The empty sample: 80 x 80 at 96 dpi, its corner where the layout says.
  const Box sample = ChildBox(d.Control(DialogControl::Display));
  EXPECT_EQ(sample.X, S(272, Dpi));
  EXPECT_EQ(sample.Y, S(8, Dpi));
  EXPECT_EQ(sample.W, S(80, Dpi));
  EXPECT_EQ(sample.H, S(80, Dpi));
  // Inside its panel.
  RECT panel{};
  GetClientRect(d.Control(DialogControl::Pic_B), &panel);
  EXPECT_LE(sample.X + sample.W, panel.right);
  EXPECT_LE(sample.Y + sample.H, panel.bottom);

  // Labels beside their bars, inside their containers.
  const RECT multi = d.LabelRect(DialogLabel::lbl_Multi);
  const Box multiBar = ChildBox(d.Control(DialogControl::VS_Multi));
  EXPECT_GE(multi.left, multiBar.X + multiBar.W);
  EXPECT_LE(multi.left - (multiBar.X + multiBar.W), S(4, Dpi));
  for (int i = 0; i < kLabelCount; ++i) {
    const DialogLabel label = static_cast<DialogLabel>(i);
    const RECT r = d.LabelRect(label);
    HWND container = d.Control(d.LabelContainer(label));
    RECT inside{};
    GetClientRect(container, &inside);
    EXPECT_GE(r.left, 0) << i;
    EXPECT_GE(r.top, 0) << i;
    EXPECT_LE(r.right, inside.right) << i;
    EXPECT_LE(r.bottom, inside.bottom) << i;
  }

  // The folder panel covers nothing else on the form, and nothing in it
  // covers anything else there: windows, labels and heading frames. (The
  // form's own buttons meet by a pixel, as they always have.)
  for (DialogControl panel : {DialogControl::Form, DialogControl::Pic_F}) {
    std::vector<std::pair<int, RECT>> parts;
    for (const ControlPlace& e : kPlaces) {
      if (e.Parent != panel) continue;
      const Box b = ChildBox(d.Control(e.Which));
      parts.push_back({static_cast<int>(e.Which), RECT{b.X, b.Y, b.X + b.W, b.Y + b.H}});
    }
    for (int i = 0; i < kLabelCount; ++i) {
      const DialogLabel label = static_cast<DialogLabel>(i);
      if (d.LabelContainer(label) == panel) parts.push_back({100 + i, d.LabelRect(label)});
    }
    for (int i = 0; i < kFrameCount; ++i)
      if (d.FrameContainer(i) == panel) parts.push_back({200 + i, d.FrameRect(i)});
    for (size_t i = 0; i < parts.size(); ++i)
      for (size_t j = i + 1; j < parts.size(); ++j) {
        // A heading sits in its frame.
        if (parts[i].first >= 100 && parts[j].first >= 200) continue;
        const int folderPanel = static_cast<int>(DialogControl::Pic_F);
        if (panel == DialogControl::Form && parts[i].first != folderPanel && parts[j].first != folderPanel) continue;
        EXPECT_FALSE(Overlap(parts[i].second, parts[j].second)) << parts[i].first << " and " << parts[j].first;
      }
  }

  for (DialogControl b :
       {DialogControl::Cmd_Pic, DialogControl::Cmd_Can, DialogControl::Cmd_Set, DialogControl::Cmd_Folder}) {
    Command* button = d.Button(b);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Dpi(), Dpi);
    EXPECT_EQ(FrameMismatch(*button, FacePicture::Normal, Dpi), "") << static_cast<int>(b);
    // The caption's text fits the button and its band.
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, button->CaptionFontHandle());
    SIZE text{};
    const std::wstring caption = button->Caption();
    GetTextExtentPoint32W(screen, caption.c_str(), static_cast<int>(caption.size()), &text);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    EXPECT_LT(text.cx, button->FaceWidth() - 2 * S(4, Dpi)) << static_cast<int>(b);
    const CaptionLabel& band = button->Core().LblMsg();
    EXPECT_LE(metrics.tmAscent, std::lround(band.Height * Dpi / 1440.0) + 1) << static_cast<int>(b);
    EXPECT_GT(band.Top * Dpi / 1440.0, 0) << static_cast<int>(b);
  }

  // Tab order: Pname, Cmd_Pic, Cmd_Can, Cmd_Set, VS_Multi, VS_Size, then the
  // folder panel's Cmd_Folder and VS_Change, and round.
  const DialogControl order[] = {DialogControl::Pname,    DialogControl::Cmd_Pic,    DialogControl::Cmd_Can,
                                 DialogControl::Cmd_Set,  DialogControl::VS_Multi,   DialogControl::VS_Size,
                                 DialogControl::Cmd_Folder, DialogControl::VS_Change, DialogControl::Pname};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(GetNextDlgTabItem(form, d.Control(order[i]), FALSE), d.Control(order[i + 1])) << i;
  }
}

TEST(SettingsDialog, RunsAtTheDisplayScalingItWasAskedFor) {
  // A scaled run whose prefix kept 96 dpi would test nothing it claims to.
  if (RequestedDpi() != 0) {
    EXPECT_EQ(ScreenDpi(), RequestedDpi());
  }
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(t.Dialog().Dpi(), ScreenDpi());
}

TEST(SettingsDialog, FormAndControlsSitWhereTheLayoutSays) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  HWND form = d.Window();
  const int dpi = ScreenDpi();

  wchar_t title[64] = {};
  GetWindowTextW(form, title, 64);
  EXPECT_EQ(std::wstring(title), L"Sorvane\u306E\u8A2D\u5B9A");
  EXPECT_EQ(FindWindowW(nullptr, L"Sorvane\u306E\u8A2D\u5B9A"), form);
  const LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(IsWindowVisible(form));

  // 5925 x 5715 twips at 96 dpi (the form and the folder panel below it); on
  // the 1024 x 768 test screen 4717 and 1935 twips from the top-left corner
  // (314 and 129 px). At other DPIs the same rule places the larger form.
  RECT outer{};
  GetWindowRect(form, &outer);
  if (dpi == 96) {
    EXPECT_EQ(outer.right - outer.left, 395);
    EXPECT_EQ(outer.bottom - outer.top, 381);
    EXPECT_EQ(outer.left, 314);
    EXPECT_EQ(outer.top, 129);
  } else {
    const FormPosition at =
        PlaceForm(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi), PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi),
                  PixelsToTwips(outer.right - outer.left, dpi), PixelsToTwips(outer.bottom - outer.top, dpi));
    EXPECT_EQ(outer.left, TwipsToPixels(at.Left, dpi));
    EXPECT_EQ(outer.top, TwipsToPixels(at.Top, dpi));
  }
  // Always inside the work area, caption and all.
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_GE(outer.left, work.left);
  EXPECT_GE(outer.top, work.top);
  EXPECT_LE(outer.right, work.right);
  EXPECT_LE(outer.bottom, work.bottom);
  ExpectLayoutAt(d, dpi);

  // The three buttons are gradient buttons with their captions.
  EXPECT_EQ(d.Button(DialogControl::Cmd_Pic)->Caption(), L"...");
  EXPECT_EQ(d.Button(DialogControl::Cmd_Can)->Caption(), L"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");
  EXPECT_EQ(d.Button(DialogControl::Cmd_Set)->Caption(), L"\u8A2D\u5B9A");
  for (DialogControl b : {DialogControl::Cmd_Pic, DialogControl::Cmd_Can, DialogControl::Cmd_Set}) {
    EXPECT_EQ(Command::FromWindow(d.Control(b)), d.Button(b));
    EXPECT_TRUE(d.Button(b)->Enabled());
  }
}

TEST(SettingsDialog, MovingToAnotherDpiLaysEverythingOutAgainAndKeepsValuesAndFocus) {
  TempFolder photos;
  photos.Write("photo.bmp", BmpBytes(400, 300, 200, 40, 10));
  SettingsRecord r = DefaultRecord();
  r.PicturePath = photos.File("photo.bmp");
  DialogUnderTest t(r);
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  HWND form = d.Window();
  const int from = d.Dpi();
  SendMessageW(d.Control(DialogControl::Pic_D), WM_VSCROLL, SB_PAGEUP,
               reinterpret_cast<LPARAM>(d.Control(DialogControl::VS_Multi)));
  SetFocus(d.Control(DialogControl::VS_Size));
  ASSERT_EQ(GetFocus(), d.Control(DialogControl::VS_Size));

  for (int to : {from == 144 ? 96 : 144, 192, from}) {
    // The system's suggestion: the window scaled about its top-left corner.
    RECT before{};
    GetWindowRect(form, &before);
    RECT suggested{before.left, before.top,
                   before.left + MulDiv(before.right - before.left, to, d.Dpi()),
                   before.top + MulDiv(before.bottom - before.top, to, d.Dpi())};
    SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    RECT after{};
    GetWindowRect(form, &after);
    EXPECT_TRUE(SameRect(after, suggested)) << to;
    // The suggestion is not exact, so the client size is checked by the
    // layout only where the form was sized by the dialog itself.
    for (const ControlPlace& e : kPlaces) {
      EXPECT_EQ(ChildBox(d.Control(e.Which)), Scaled(e.Where.X, e.Where.Y, e.Where.W, e.Where.H, to))
          << static_cast<int>(e.Which) << " at " << to;
    }
    // The sample: a 400 x 300 photograph is 80 x 60 at 96 dpi.
    const Box sample = ChildBox(d.Control(DialogControl::Display));
    EXPECT_EQ(sample.W, S(80, to));
    EXPECT_EQ(sample.H, S(60, to));
    EXPECT_EQ(d.ImagePixel(DialogControl::Display, sample.W - 1, sample.H - 1), RGB(200, 40, 10));
    EXPECT_EQ(d.Dpi(), to);
    for (DialogControl b : {DialogControl::Cmd_Pic, DialogControl::Cmd_Can, DialogControl::Cmd_Set}) {
      EXPECT_EQ(d.Button(b)->Dpi(), to);
      EXPECT_EQ(d.Button(b)->FaceWidth(), ChildBox(d.Control(b)).W);
      EXPECT_EQ(FrameMismatch(*d.Button(b), FacePicture::Normal, to), "") << static_cast<int>(b) << " at " << to;
    }
    // The labels and frames follow; the panels are tiled to their new edges.
    EXPECT_EQ(d.LabelRect(DialogLabel::lbl_URL).left, S(12, to));
    EXPECT_EQ(d.LabelRect(DialogLabel::lbl_URL).top, S(248, to));
    EXPECT_EQ(d.FrameRect(2).right, S(196 + 93, to));
    RECT panel{};
    GetClientRect(d.Control(DialogControl::Pic_D), &panel);
    EXPECT_GE(GetGValue(d.ImagePixel(DialogControl::Pic_D, panel.right - 1, panel.bottom - 1)), 140);
    // Values, focus and tab order survive.
    EXPECT_EQ(d.MultiValue(), 40);
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Multi), L"40");
    EXPECT_EQ(d.SizeValue(), 12);
    EXPECT_EQ(d.PnameText(), AnsiToWide(photos.File("photo.bmp")));
    EXPECT_EQ(GetFocus(), d.Control(DialogControl::VS_Size));
    EXPECT_EQ(GetNextDlgTabItem(form, d.Control(DialogControl::Cmd_Set), FALSE), d.Control(DialogControl::VS_Multi));
  }
  // Back at the first DPI, sized by the dialog itself: the full layout holds.
  RECT outer{};
  GetWindowRect(form, &outer);
  d.Cmd_Set_Click();
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile(photos.File("photo.bmp"), " 40", " 12"));
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
      // The labels show what the bars hold, which is what "設定" saves:
      // values between steps rounded, beyond the range the nearest end.
      {30, 12.0f, 30, 12, L"30", L"12", " 30", " 12"},
      {30, 12.5f, 30, 12, L"30", L"12", " 30", " 12"},
      {5, 13.5f, 10, 14, L"10", L"14", " 10", " 14"},
      {150, 0.5f, 100, 1, L"100", L"1", " 100", " 1"},
      {101, 21.0f, 100, 20, L"100", L"20", " 100", " 20"},
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
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Multi), L"10");
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Size), L"1");
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

// "設定" when the settings file cannot be written: a message box naming the
// file, the dialog stays open with its values, the file stays as it was, and
// "ｷｬﾝｾﾙ" still leaves.
TEST(SettingsDialog, SettingsThatCannotBeSavedAreSaidAndTheDialogStays) {
  const std::string old = "[Section]\r\nold=1\r\n";
  enum class Fault { Locked, ReadOnly, Folder, MissingFolder };
  for (Fault fault : {Fault::Locked, Fault::ReadOnly, Fault::Folder, Fault::MissingFolder}) {
    SCOPED_TRACE(static_cast<int>(fault));
    TempFolder program;
    SettingsDialogHost host;
    SettingsRecord r = DefaultRecord();
    r.PicturePath = "C:\\photos\\sea.jpg";
    host.Settings = &r;
    host.SettingsFile = fault == Fault::MissingFolder ? program.File("missing\\Sorvane.ini") : program.File("Sorvane.ini");
    int ended = 0;
    std::vector<std::wstring> messages;
    host.EndProgram = [&] { ++ended; };
    host.ShowMessage = [&](HWND Owner, const std::wstring& Text) {
      EXPECT_NE(Owner, nullptr);
      messages.push_back(Text);
    };
    const std::wstring file = AnsiToWide(host.SettingsFile);
    HANDLE lock = INVALID_HANDLE_VALUE;
    switch (fault) {
      case Fault::Locked:
        program.Write("Sorvane.ini", old);
        // Held open without sharing: nothing can replace it.
        lock = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        break;
      case Fault::ReadOnly:
        program.Write("Sorvane.ini", old);
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
        break;
      case Fault::Folder:
        ASSERT_TRUE(CreateDirectoryW(file.c_str(), nullptr));
        break;
      case Fault::MissingFolder:
        break;
    }
    Sorvane_P d(std::move(host));
    ASSERT_TRUE(d.Open());
    SendMessageW(d.Control(DialogControl::Pic_D), WM_VSCROLL, SB_PAGEUP,
                 reinterpret_cast<LPARAM>(d.Control(DialogControl::VS_Multi)));
    d.Cmd_Set_Click();
    Pump();
    EXPECT_EQ(ended, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(file), std::wstring::npos) << "the message names the file";
    EXPECT_NE(messages[0].find(L"\u4FDD\u5B58\u3067\u304D\u307E\u305B\u3093"), std::wstring::npos);  // 保存できません
    ASSERT_NE(d.Window(), nullptr) << "the dialog stays open";
    EXPECT_TRUE(IsWindowVisible(d.Window()));
    EXPECT_EQ(d.MultiValue(), 40);
    EXPECT_EQ(d.PnameText(), L"C:\\photos\\sea.jpg");
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    if (fault == Fault::Locked || fault == Fault::ReadOnly) {
      EXPECT_EQ(program.Read("Sorvane.ini"), old);
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (fault == Fault::Folder) {
      EXPECT_TRUE(std::filesystem::is_directory(program.File("Sorvane.ini")));
    }
    EXPECT_FALSE(std::filesystem::exists(program.File("missing")));
    // No half-written file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(program.Path())) {
      (void)entry;
      ++files;
    }
    EXPECT_EQ(files, fault == Fault::MissingFolder ? 0 : 1);
    d.Cmd_Can_Click();
    EXPECT_EQ(ended, 1);
    Pump();
    EXPECT_EQ(d.Window(), nullptr);
  }
}

TEST(SettingsDialog, ARepairedFileSavesOnTheNextPress) {
  DialogUnderTest t(DefaultRecord());
  std::filesystem::create_directories(t.SettingsFile());
  ASSERT_TRUE(t.Open());
  t.Dialog().Cmd_Set_Click();
  EXPECT_EQ(t.Messages().size(), 1u);
  EXPECT_EQ(t.EndCalls(), 0);
  std::filesystem::remove(t.SettingsFile());
  t.Dialog().Cmd_Set_Click();
  EXPECT_EQ(t.Messages().size(), 1u);
  EXPECT_EQ(t.EndCalls(), 1);
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile("", " 30", " 12"));
}

// All thirteen labels and the three heading frames: place, text, colour, and
// that each is really drawn there.
TEST(SettingsDialog, LabelsAndFramesAreWhereAndHowTheLayoutSays) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  const int dpi = d.Dpi();
  const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
  struct Expected {
    DialogLabel Which;
    DialogControl In;
    Box Where;
    const wchar_t* Text;
    COLORREF Colour;
  } labels[] = {
      {DialogLabel::lbl0, DialogControl::Pic_B, {8, 16, 95, 13}, L"\u5199\u771F\u306E\u9078\u629E", windowText},
      {DialogLabel::lbl1, DialogControl::Pic_B, {128, 36, 92, 13},
       L"\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99\u3092\u6307\u5B9A", GetSysColor(COLOR_BTNTEXT)},
      {DialogLabel::lbl2, DialogControl::Pic_B, {108, 8, 141, 13},
       L"<\u9078\u629E\u306A\u3057\u306F\uFF83\uFF9E\uFF8C\uFF6B\uFF99\uFF84\u753B\u50CF>", windowText},
      {DialogLabel::lbl3, DialogControl::Pic_D, {8, 16, 95, 13}, L"\u540C\u6642\u8868\u793A\u6570", windowText},
      {DialogLabel::lbl4, DialogControl::Pic_D, {196, 16, 95, 13}, L"\u753B\u50CF\u306E\u5927\u304D\u3055", windowText},
      {DialogLabel::lbl5, DialogControl::Pic_D, {320, 72, 13, 13}, L"\u5C0F", windowText},
      {DialogLabel::lbl6, DialogControl::Pic_D, {320, 8, 13, 13}, L"\u5927", windowText},
      {DialogLabel::lbl7, DialogControl::Pic_D, {132, 8, 13, 13}, L"\u591A", windowText},
      {DialogLabel::lbl8, DialogControl::Pic_D, {132, 72, 13, 13}, L"\u5C11", windowText},
      {DialogLabel::lbl9, DialogControl::Form, {12, 232, 165, 13}, kCreditText, RGB(255, 255, 255)},
      {DialogLabel::lbl_Multi, DialogControl::Pic_D, {132, 40, 15, 13}, L"30", windowText},
      {DialogLabel::lbl_Size, DialogControl::Pic_D, {320, 40, 15, 13}, L"12", windowText},
      {DialogLabel::lbl_URL, DialogControl::Form, {12, 248, 214, 13}, kAddressText, RGB(255, 255, 192)},
      {DialogLabel::lbl10, DialogControl::Pic_F, {8, 16, 95, 13}, L"\u5199\u771F\u306E\uFF8C\uFF6B\uFF99\uFF80\uFF9E",
       windowText},
      {DialogLabel::lbl11, DialogControl::Pic_F, {180, 16, 95, 13}, L"\u5207\u66FF\u9593\u9694", windowText},
      {DialogLabel::lbl12, DialogControl::Pic_F, {304, 8, 13, 13}, L"\u9577", windowText},
      {DialogLabel::lbl13, DialogControl::Pic_F, {304, 48, 13, 13}, L"\u77ED", windowText},
      {DialogLabel::lbl_Change, DialogControl::Pic_F, {304, 28, 55, 13}, L"1 \u5206", windowText},
      {DialogLabel::lbl_Count, DialogControl::Pic_F, {8, 44, 165, 13}, L"", windowText},
  };
  struct Frame {
    int Index;
    DialogControl In;
    Box Where;
  } frames[] = {{0, DialogControl::Pic_B, {8, 8, 93, 29}},  {1, DialogControl::Pic_D, {8, 8, 93, 29}},
                {2, DialogControl::Pic_D, {196, 8, 93, 29}}, {3, DialogControl::Pic_F, {8, 8, 93, 29}},
                {4, DialogControl::Pic_F, {180, 8, 93, 29}}};
  static_assert(std::size(labels) == kLabelCount, "every label");
  static_assert(std::size(frames) == kFrameCount, "every frame");

  // Each container as its paint routine draws it.
  auto print = [](HWND Window) {
    RECT client{};
    GetClientRect(Window, &client);
    std::vector<COLORREF> pixels(static_cast<size_t>(client.right) * client.bottom);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(Window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    for (long y = 0; y < client.bottom; ++y)
      for (long x = 0; x < client.right; ++x) pixels[static_cast<size_t>(y) * client.right + x] = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return std::make_pair(client, pixels);
  };
  auto at = [](const std::pair<RECT, std::vector<COLORREF>>& p, long x, long y) -> COLORREF {
    if (x < 0 || y < 0 || x >= p.first.right || y >= p.first.bottom) return CLR_INVALID;
    return p.second[static_cast<size_t>(y) * p.first.right + x];
  };
  for (const Expected& e : labels) {
    SCOPED_TRACE(static_cast<int>(e.Which));
    const RECT r = d.LabelRect(e.Which);
    EXPECT_EQ(d.LabelContainer(e.Which), e.In);
    EXPECT_EQ((Box{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              Scaled(e.Where.X, e.Where.Y, e.Where.W, e.Where.H, dpi));
    EXPECT_EQ(d.LabelCaption(e.Which), e.Text);
    EXPECT_EQ(d.LabelColour(e.Which), e.Colour);
    // Its text in its colour, drawn inside its box (a little overhang aside).
    if (*e.Text == L'\0') continue;  // the count of a folder, empty for no folder
    const auto painted = print(d.Control(e.In));
    int inColour = 0;
    for (long y = r.top; y < r.bottom + S(2, dpi); ++y)
      for (long x = r.left; x < r.right; ++x) inColour += at(painted, x, y) == e.Colour;
    EXPECT_GT(inColour, 3);
  }
  for (const Frame& f : frames) {
    SCOPED_TRACE(f.Index);
    const RECT r = d.FrameRect(f.Index);
    EXPECT_EQ(d.FrameContainer(f.Index), f.In);
    EXPECT_EQ((Box{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              Scaled(f.Where.X, f.Where.Y, f.Where.W, f.Where.H, dpi));
    const auto painted = print(d.Control(f.In));
    const long midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
    // All four sides drawn, whole, and nothing just outside them.
    EXPECT_EQ(at(painted, midX, r.top), windowText);
    EXPECT_EQ(at(painted, midX, r.bottom - 1), windowText);
    EXPECT_EQ(at(painted, r.left, midY), windowText);
    EXPECT_EQ(at(painted, r.right - 1, midY), windowText);
    EXPECT_EQ(at(painted, r.left + 1, r.top), windowText);
    EXPECT_EQ(at(painted, r.right - 2, r.bottom - 1), windowText);
    EXPECT_NE(at(painted, midX, r.top - 1), windowText);
    EXPECT_NE(at(painted, r.left - 1, midY), windowText);
    EXPECT_NE(at(painted, r.right, midY), windowText);
  }
}

// Dragging each bar's thumb: the label follows the thumb while it is dragged,
// the value stays where the thumb is let go, and the thumb's position reads
// the right way up (the top is the largest value).
TEST(SettingsDialog, DraggingEachThumbMovesItsValueAndLabel) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  HWND picD = d.Control(DialogControl::Pic_D);
  struct Bar {
    DialogControl Which;
    DialogLabel Label;
    int (Sorvane_P::*Value)() const;
    const BarRange& Range;
  } bars[] = {{DialogControl::VS_Multi, DialogLabel::lbl_Multi, &Sorvane_P::MultiValue, kMultiBar},
              {DialogControl::VS_Size, DialogLabel::lbl_Size, &Sorvane_P::SizeValue, kSizeBar}};
  for (const Bar& b : bars) {
    SCOPED_TRACE(static_cast<int>(b.Which));
    HWND bar = d.Control(b.Which);
    auto send = [&](int Code, int Position) {
      SendMessageW(picD, WM_VSCROLL, MAKEWPARAM(Code, Position), reinterpret_cast<LPARAM>(bar));
    };
    // Through the whole track: each position shows its value at once.
    for (int position = b.Range.Max; position >= b.Range.Min; position -= 3) {
      send(SB_THUMBTRACK, position);
      const int value = b.Range.Max + b.Range.Min - position;
      EXPECT_EQ((d.*b.Value)(), value) << position;
      EXPECT_EQ(d.LabelCaption(b.Label), std::to_wstring(value)) << position;
      EXPECT_EQ(GetScrollPos(bar, SB_CTL), position);
    }
    // Let go at the top: the largest value.
    send(SB_THUMBTRACK, b.Range.Min);
    send(SB_THUMBPOSITION, b.Range.Min);
    send(SB_ENDSCROLL, 0);
    EXPECT_EQ((d.*b.Value)(), b.Range.Max);
    EXPECT_EQ(d.LabelCaption(b.Label), std::to_wstring(b.Range.Max));
    // Positions beyond the track (a 16-bit wrap) stay at the ends.
    send(SB_THUMBTRACK, 0xFFFF);
    EXPECT_EQ((d.*b.Value)(), b.Range.Max);
    send(SB_THUMBTRACK, b.Range.Max + 500);
    EXPECT_EQ((d.*b.Value)(), b.Range.Min);
    send(SB_THUMBPOSITION, b.Range.Max + 500);
  }
  d.Cmd_Set_Click();
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile("", " 10", " 1"));
}

// The zoom: open from the mouse position to the window, close from the
// window back to that point, once, whichever way the dialog closes.
TEST(SettingsDialog, TheDialogZoomsOpenAndClosedOnEveryWayOut) {
  enum class Way { Set, Cancel, CloseBox };
  for (Way way : {Way::Set, Way::Cancel, Way::CloseBox}) {
    SCOPED_TRACE(static_cast<int>(way));
    ASSERT_TRUE(SetCursorPos(500, 300));
    DialogUnderTest t(DefaultRecord());
    ASSERT_TRUE(t.Open());
    HWND form = t.Dialog().Window();
    RECT window{};
    GetWindowRect(form, &window);
    const RECT point{500, 300, 500, 300};
    ASSERT_EQ(t.Zooms().size(), 1u);
    EXPECT_EQ(t.Zooms()[0].Window, form);
    EXPECT_TRUE(SameRect(t.Zooms()[0].From, point));
    EXPECT_TRUE(SameRect(t.Zooms()[0].To, window));
    // The mouse moves on; the dialog still closes into where it opened.
    SetCursorPos(20, 700);
    switch (way) {
      case Way::Set: t.Dialog().Cmd_Set_Click(); break;
      case Way::Cancel: t.Dialog().Cmd_Can_Click(); break;
      case Way::CloseBox: SendMessageW(form, WM_CLOSE, 0, 0); break;
    }
    Pump();
    EXPECT_EQ(t.Dialog().Window(), nullptr);
    ASSERT_EQ(t.Zooms().size(), 2u);
    EXPECT_EQ(t.Zooms()[1].Window, form);
    EXPECT_TRUE(SameRect(t.Zooms()[1].From, window));
    EXPECT_TRUE(SameRect(t.Zooms()[1].To, point));
  }
}

// After the chooser closes, and when the dialog is activated again, the focus
// is where it was.
TEST(SettingsDialog, TheFocusComesBackToTheControlThatHadIt) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  HWND size = d.Control(DialogControl::VS_Size);
  SetFocus(size);
  ASSERT_EQ(GetFocus(), size);
  // A chooser that takes the focus with it, chosen or cancelled.
  for (bool choose : {false, true}) {
    t.OnChoose([&](OPENFILENAMEW& q) {
      SetFocus(d.Control(DialogControl::Pname));
      if (choose) wcscpy(q.lpstrFile, L"C:\\nothing-here.jpg");
      return choose;
    });
    d.Cmd_Pic_Click();
    EXPECT_EQ(GetFocus(), size) << choose;
  }
  // The chooser pressed with the mouse: the focus returns to "...".
  HWND pic = d.Control(DialogControl::Cmd_Pic);
  t.OnChoose([&](OPENFILENAMEW&) {
    SetFocus(nullptr);
    return false;
  });
  SendMessageW(pic, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageW(pic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(pic, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(GetFocus(), pic);

  // Another window activated, then the dialog again.
  HWND multi = d.Control(DialogControl::VS_Multi);
  SetFocus(multi);
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  SetActiveWindow(other);
  SetFocus(other);
  Pump();
  EXPECT_NE(GetFocus(), multi);
  SetActiveWindow(d.Window());
  Pump();
  EXPECT_EQ(GetFocus(), multi);
  DestroyWindow(other);
}

// Runs every waiting message through the dialog's own key handling first,
// as its modal loop does.
void PumpDialog(Sorvane_P& d) {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (d.TranslateDialogMessage(m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// A key pressed (and released) on the window with the focus.
void Key(Sorvane_P& d, WPARAM Key, bool Down) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(Key), MAPVK_VK_TO_VSC);
  PostMessageW(GetFocus(), Down ? WM_KEYDOWN : WM_KEYUP, Key,
               1 | (scan << 16) | (Down ? 0 : (3u << 30)));
  PumpDialog(d);
}

// The dialog from the keyboard: Tab reaches the buttons, Space and Enter
// click the focused one (Pressed while Space is down), Enter elsewhere is
// "設定", Esc is "ｷｬﾝｾﾙ" wherever the focus is.
TEST(SettingsDialog, TheKeyboardWorksTheDialog) {
  enum Outcome { Saved, Cancelled, Chooser };
  const struct {
    const char* Name;
    DialogControl Focus;
    WPARAM Key;
    Outcome Result;
  } cases[] = {
      {"Space on 設定", DialogControl::Cmd_Set, VK_SPACE, Saved},
      {"Enter on 設定", DialogControl::Cmd_Set, VK_RETURN, Saved},
      {"Space on ｷｬﾝｾﾙ", DialogControl::Cmd_Can, VK_SPACE, Cancelled},
      {"Enter on ｷｬﾝｾﾙ", DialogControl::Cmd_Can, VK_RETURN, Cancelled},
      {"Space on ...", DialogControl::Cmd_Pic, VK_SPACE, Chooser},
      {"Enter in the path box", DialogControl::Pname, VK_RETURN, Saved},
      {"Enter on a bar", DialogControl::VS_Size, VK_RETURN, Saved},
      {"Esc in the path box", DialogControl::Pname, VK_ESCAPE, Cancelled},
      {"Esc on 設定", DialogControl::Cmd_Set, VK_ESCAPE, Cancelled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    DialogUnderTest t(DefaultRecord());
    int chosen = 0;
    t.OnChoose([&](OPENFILENAMEW&) {
      ++chosen;
      return false;
    });
    ASSERT_TRUE(t.Open());
    Sorvane_P& d = t.Dialog();
    SetFocus(d.Control(c.Focus));
    ASSERT_EQ(GetFocus(), d.Control(c.Focus));
    Key(d, c.Key, true);
    if (c.Key == VK_SPACE) {
      Command* button = d.Button(c.Focus);
      EXPECT_TRUE(button->Core().SpaceHeld());
      EXPECT_EQ(FrameMismatch(*button, FacePicture::Pressed, d.Dpi()), "");
      EXPECT_EQ(t.EndCalls() + chosen, 0) << "clicked before Space came up";
      Key(d, c.Key, false);
    }
    EXPECT_EQ(chosen, c.Result == Chooser ? 1 : 0);
    EXPECT_EQ(t.EndCalls(), c.Result == Chooser ? 0 : 1);
    EXPECT_EQ(std::filesystem::exists(t.SettingsFile()), c.Result == Saved);
  }

  // Tab from the path box reaches "...", "ｷｬﾝｾﾙ" and "設定" in turn, and the
  // focused button shows it: its Selected face.
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  SetFocus(d.Control(DialogControl::Pname));
  for (DialogControl next : {DialogControl::Cmd_Pic, DialogControl::Cmd_Can, DialogControl::Cmd_Set}) {
    Key(d, VK_TAB, true);
    Key(d, VK_TAB, false);
    EXPECT_EQ(GetFocus(), d.Control(next)) << static_cast<int>(next);
    EXPECT_EQ(FrameMismatch(*d.Button(next), FacePicture::Selected, d.Dpi()), "") << static_cast<int>(next);
  }
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
    // The picture entry lists the installed decoders' extensions (Wine's
    // WIC has at least these), then comes the entry for all files.
    const std::wstring label = q.lpstrFilter;
    EXPECT_EQ(label.rfind(L"\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99 (BMP JPG ", 0), 0u) << WideToAnsi(label);
    const wchar_t* pattern = q.lpstrFilter + label.size() + 1;
    const std::wstring patterns = std::wstring(pattern) + L";";
    EXPECT_EQ(patterns.rfind(L"*.BMP;*JPG;", 0), 0u) << WideToAnsi(patterns);
    for (const wchar_t* wanted : {L"*.JPEG;", L"*.PNG;", L"*.GIF;", L"*.TIF;", L"*.TIFF;", L"*.ICO;"})
      EXPECT_NE(patterns.find(wanted), std::wstring::npos) << WideToAnsi(wanted);
    const wchar_t* all = pattern + wcslen(pattern) + 1;
    EXPECT_EQ(std::wstring(all), L"\u3059\u3079\u3066\u306E\uFF8C\uFF67\uFF72\uFF99 (*.*)");
    const wchar_t* allPattern = all + wcslen(all) + 1;
    EXPECT_EQ(std::wstring(allPattern), L"*.*");
    EXPECT_EQ(allPattern[wcslen(allPattern) + 1], L'\0');
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

// Writes Bytes to a file named by a wide path.
bool WriteWide(const std::wstring& Path, const std::string& Bytes) {
  HANDLE h = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, Bytes.data(), static_cast<DWORD>(Bytes.size()), &written, nullptr);
  CloseHandle(h);
  return written == Bytes.size();
}

// A settings file saved as UTF-8, with or without a byte order mark, and a
// Japanese photo path: the dialog shows the path and its sample, and "設定"
// writes the file back in UTF-8, the same keys rewritten and no code page
// 932 key added beside them.
TEST(SettingsDialog, AUtf8SettingsFileKeepsItsJapanesePath) {
  const std::string utf8Pic = "\xE7\x94\xBB\xE5\x83\x8F\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99";
  const std::string utf8Count = "\xE5\x90\x8C\xE6\x99\x82\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x95\xB0";
  const std::string utf8Size = "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\xAE\xE5\xA4\xA7\xE3\x81\x8D\xE3\x81\x95";
  const std::string utf8Change = "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\xAE\xE5\x88\x87\xE6\x9B\xBF\xE9\x96\x93\xE9\x9A\x94";
  for (const std::string mark : {"\xEF\xBB\xBF", ""}) {
    SCOPED_TRACE(mark.empty() ? "without a byte order mark" : "with a byte order mark");
    DialogUnderTest t(DefaultRecord());
    const std::wstring folder = AnsiToWide(t.Folder().Path()) + L"\\\u5199\u771F";  // 写真
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring photo = folder + L"\\\u6D77.bmp";  // 海.bmp
    ASSERT_TRUE(WriteWide(photo, BmpBytes(40, 20, 10, 200, 30)));
    const std::string photoUtf8 = t.Folder().Path() + "\\\xE5\x86\x99\xE7\x9C\x9F\\\xE6\xB5\xB7.bmp";
    const std::string before = mark + "[Section]\r\n" + utf8Pic + "=" + photoUtf8 + "\r\n" + utf8Count + "=40\r\n" +
                               utf8Size + "=7\r\n";
    t.Folder().Write("Sorvane.ini", before);
    LoadSettings(t.Record(), t.Folder().Path());
    ASSERT_TRUE(t.Open());
    Sorvane_P& d = t.Dialog();
    EXPECT_EQ(d.PnameText(), photo);
    EXPECT_EQ(d.ImagePixel(DialogControl::Display, 2, 2), RGB(10, 200, 30));
    EXPECT_EQ(d.MultiValue(), 40);
    d.Cmd_Set_Click();
    EXPECT_EQ(FileBytes(t.SettingsFile()), mark + "[Section]\r\n" + utf8Pic + "=" + photoUtf8 + "\r\n" + utf8Count +
                                                 "= 40\r\n" + utf8Size + "= 7\r\n" + utf8Change + "= 1\r\n");
  }
}

TEST(PhotoChooser, ALongJapanesePathIsKeptWholeAndWorks) {
  TempFolder photos;
  // Three folders of 40 kanji each and a Japanese file name: about 140
  // characters, over 280 bytes in code page 932, within the chooser's 255.
  const std::wstring name40 = std::wstring(20, L'\u5199') + std::wstring(20, L'\u771F');
  std::wstring folder = AnsiToWide(photos.Path());
  for (int i = 0; i < 3; ++i) {
    folder += L"\\" + name40;
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << i;
  }
  const std::wstring file = folder + L"\\\u6D77\u306E\u5199\u771F.bmp";  // 海の写真.bmp
  ASSERT_LT(file.size(), 255u);
  ASSERT_TRUE(WriteWide(file, BmpBytes(40, 20, 10, 200, 30)));
  const std::string ansi = WideToAnsi(file);
  ASSERT_GT(ansi.size(), 254u);

  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  t.OnChoose([&](OPENFILENAMEW& q) {
    wcscpy(q.lpstrFile, file.c_str());
    return true;
  });
  t.Dialog().Cmd_Pic_Click();
  EXPECT_EQ(t.Record().PicturePath, ansi);
  EXPECT_EQ(t.Dialog().PnameText(), file);
  EXPECT_EQ(t.Record().PictureFolder, WideToAnsi(folder));
  // It works: the sample is the photograph.
  EXPECT_EQ(ChildBox(t.Dialog().Control(DialogControl::Display)).H, S(40, t.Dialog().Dpi()));
  EXPECT_EQ(t.Dialog().ImagePixel(DialogControl::Display, 3, 3), RGB(10, 200, 30));
  t.Dialog().Cmd_Set_Click();
  EXPECT_EQ(t.Messages().size(), 0u);
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile(ansi, " 30", " 12"));
}

TEST(PhotoChooser, APathOutsideTheCodePageIsRefusedOrGivenByItsShortName) {
  TempFolder photos;
  // A snowman and an accented letter: code page 932 has neither (the accent
  // would best-fit to a plain "e", which names another file).
  const std::wstring odd = AnsiToWide(photos.Path()) + L"\\snow\u2603 caf\u00E9.bmp";
  SettingsRecord r = DefaultRecord();
  r.PicturePath = "C:\\photos\\sea.jpg";
  r.PictureFolder = "C:\\photos";
  DialogUnderTest t(r);
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  const std::string folderBefore = t.Record().PictureFolder;
  std::wstring answer;
  t.OnChoose([&](OPENFILENAMEW& q) {
    wcscpy(q.lpstrFile, answer.c_str());
    return true;
  });

  // No such file, so no short name either: the choice does not fit the
  // settings, and nothing changes.
  answer = odd;
  d.Cmd_Pic_Click();
  EXPECT_EQ(t.Record().PicturePath, "C:\\photos\\sea.jpg");
  EXPECT_EQ(t.Record().PictureFolder, folderBefore);
  EXPECT_EQ(d.PnameText(), L"C:\\photos\\sea.jpg");
  std::string stored;
  EXPECT_FALSE(StoredPathFor(odd, stored));

  // The file exists and has a short name that converts exactly: that is the
  // answer, and it names the same file.
  ASSERT_TRUE(WriteWide(odd, BmpBytes(30, 30, 250, 5, 5)));
  ASSERT_TRUE(StoredPathFor(odd, stored));
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(odd.c_str(), shortName, MAX_PATH), 0u);
  EXPECT_EQ(stored, WideToAnsi(shortName));
  EXPECT_EQ(AnsiToWide(stored).find(L'\u2603'), std::wstring::npos);
  d.Cmd_Pic_Click();
  EXPECT_EQ(t.Record().PicturePath, stored);
  EXPECT_EQ(d.PnameText(), AnsiToWide(stored));
  EXPECT_EQ(d.ImagePixel(DialogControl::Display, 3, 3), RGB(250, 5, 5));

  // Text typed into the path box that the settings cannot hold is said, not
  // saved as question marks.
  SetWindowTextW(d.Control(DialogControl::Pname), L"C:\\nowhere\\\u2603.jpg");
  d.Cmd_Set_Click();
  ASSERT_EQ(t.Messages().size(), 1u);
  EXPECT_NE(t.Messages()[0].find(L"\u2603"), std::wstring::npos);
  EXPECT_EQ(t.EndCalls(), 0);
  EXPECT_EQ(FileBytes(t.SettingsFile()), "<none>");
}

TEST(SettingsDialog, ALongPathFromTheSettingsIsShownWholeAndSavedWhole) {
  // A photograph under three folders of 40 kanji each: over 255 bytes in
  // code page 932 (the reader keeps only paths of files that exist).
  TempFolder program;
  std::wstring wide = AnsiToWide(program.Path());
  for (int i = 0; i < 3; ++i) {
    wide += L"\\" + std::wstring(40, L'\u5199');
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
  }
  wide += L"\\\u6D77.bmp";
  ASSERT_TRUE(WriteWide(wide, BmpBytes(8, 8, 1, 2, 3)));
  const std::string ansi = WideToAnsi(wide);
  ASSERT_GT(ansi.size(), 255u);
  // Written by hand into the settings file, read as the program reads it.
  program.Write("Sorvane.ini", std::string("[Section]\r\n") + kKeyPicture + "=" + ansi + "\r\n" + kKeyCount +
                                   "= 30\r\n" + kKeySize + "= 12\r\n");
  SettingsRecord r;
  LoadSettings(r, program.Path());
  ASSERT_EQ(r.PicturePath, ansi);
  DialogUnderTest t(r);
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(t.Dialog().PnameText(), wide);
  t.Dialog().Cmd_Set_Click();
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile(r.PicturePath, " 30", " 12"));
  EXPECT_EQ(ReadIniValue(kSettingsSection, kKeyPicture, t.SettingsFile()), ansi);
}

TEST(SettingsDialog, ADoubleClickOnTheAddressOpensItOnce) {
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  HWND form = t.Dialog().Window();
  SetForegroundWindow(form);
  Pump();
  const RECT r = t.Dialog().LabelRect(DialogLabel::lbl_URL);
  POINT p{r.left + 10, (r.top + r.bottom) / 2};
  ClientToScreen(form, &p);
  SetCursorPos(p.x, p.y);
  Pump();
  ASSERT_EQ(WindowFromPoint(p), form);
  INPUT clicks[4] = {};
  for (int i = 0; i < 4; ++i) {
    clicks[i].type = INPUT_MOUSE;
    clicks[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  SendInput(4, clicks, sizeof(INPUT));
  for (int i = 0; i < 20; ++i) {
    Pump();
    Sleep(10);
  }
  EXPECT_EQ(t.Opened(), kAddressText) << "opened once, not twice";
  // Two clicks further apart than a double click open it twice.
  Sleep(GetDoubleClickTime() + 100);
  SendInput(2, clicks, sizeof(INPUT));
  for (int i = 0; i < 20; ++i) {
    Pump();
    Sleep(10);
  }
  EXPECT_EQ(t.Opened(), std::wstring(kAddressText) + kAddressText);
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


// The change interval: the bar's 0..60 minutes, a stored value beyond its
// top (or outside the file's 0..1440) shown and saved as held until the bar
// really moves; "設定" writes it after the other values.
TEST(SettingsDialog, TheChangeIntervalIsShownSavedAndKeptBeyondTheBar) {
  const struct {
    int16_t Stored;
    int Code;  // a scroll action on the bar, or -1 for none
    int Value;
    const wchar_t* Label;
    int BarValue;
  } cases[] = {
      {0, -1, 0, L"\u5207\u66FF\u306A\u3057", 0},  // 切替なし
      {600, SB_LINEUP, 600, L"600 \u5206", 60},    // beyond the bar, which cannot go higher: kept
      {600, SB_LINEDOWN, 59, L"59 \u5206", 59},    // moved: the bar's value
      {1, SB_PAGEUP, 6, L"6 \u5206", 6},
      {-5, -1, 0, L"\u5207\u66FF\u306A\u3057", 0},  // outside the file's range: its ends
      {2000, -1, 1440, L"1440 \u5206", 60},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Stored) + " " + std::to_string(c.Code));
    SettingsRecord r = DefaultRecord();
    r.ChangeMinutes = c.Stored;
    DialogUnderTest t(r);
    ASSERT_TRUE(t.Open());
    Sorvane_P& d = t.Dialog();
    HWND bar = d.Control(DialogControl::VS_Change);
    if (c.Code >= 0)
      SendMessageW(d.Control(DialogControl::Pic_F), WM_VSCROLL, MAKEWPARAM(c.Code, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(d.ChangeValue(), c.Value);
    EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Change), c.Label);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), BarPositionOf(kChangeBar, c.BarValue));
    d.Cmd_Set_Click();
    EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile("", " 30", " 12", FormatSettingsNumber(c.Value)));
  }
  // The thumb dragged: the label follows at once.
  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  HWND bar = t.Dialog().Control(DialogControl::VS_Change);
  SendMessageW(t.Dialog().Control(DialogControl::Pic_F), WM_VSCROLL,
               MAKEWPARAM(SB_THUMBTRACK, BarPositionOf(kChangeBar, 45)), reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(t.Dialog().LabelCaption(DialogLabel::lbl_Change), L"45 \u5206");
}

// Pumps messages until the dialog's folder search is done (or 20 s).
void WaitForFolderSample(Sorvane_P& d) {
  for (int i = 0; i < 2000 && d.FolderSampleBusy(); ++i) {
    Pump();
    Sleep(10);
  }
  Pump();
}

// A folder of photographs, chosen or from the settings: the path box shows
// it, the sample shows a photograph of it that decodes, the count label says
// how many files it holds, the choosers then open in it, "設定" saves it, and
// the show's history of photographs shown lately is left alone.
TEST(FolderSample, AFolderShowsAPhotographAndItsCountAndIsSaved) {
  TempFolder photos;
  std::filesystem::create_directories(photos.File("sea\\deeper"));
  photos.Write("sea\\broken.jpg", std::string("\xFF\xD8\xFF\xE0 no picture", 15));
  photos.Write("sea\\notes.txt", "not a picture");
  photos.Write("sea\\deeper\\wave.BMP", BmpBytes(40, 20, 10, 200, 30));
  std::filesystem::create_directories(photos.File("empty"));
  const std::string sea = photos.File("sea");
  const std::string history = PhotoHistoryFile();
  const std::string historyBefore = FileBytes(history);
  // Two files named as photographs (one broken), one not: ﾌｫﾙﾀﾞの写真: 2 枚.
  const std::wstring seaCount = L"\uFF8C\uFF6B\uFF99\uFF80\uFF9E\u306E\u5199\u771F: 2 \u679A";

  DialogUnderTest t(DefaultRecord());
  ASSERT_TRUE(t.Open());
  Sorvane_P& d = t.Dialog();
  const int dpi = d.Dpi();
  // The folder button hands the picker the chooser's folder and takes its answer.
  std::vector<std::wstring> starts;
  t.OnChooseFolder([&](const std::wstring& Start, std::wstring& Chosen) {
    starts.push_back(Start);
    Chosen = AnsiToWide(sea);
    return true;
  });
  d.Cmd_Folder_Click();
  WaitForFolderSample(d);
  EXPECT_EQ(d.PnameText(), AnsiToWide(sea));
  EXPECT_EQ(t.Record().PicturePath, sea);
  EXPECT_EQ(t.Record().PictureFolder, sea) << "the choosers open in the folder";
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Count), seaCount);
  EXPECT_EQ(ChildBox(d.Control(DialogControl::Display)), Scaled(272, 8, 80, 40, dpi));
  EXPECT_EQ(d.ImagePixel(DialogControl::Display, 3, 3), RGB(10, 200, 30));

  // An empty folder: no photograph, a count of none; a name the settings
  // cannot hold: refused, nothing changes.
  EXPECT_TRUE(d.TakeChosenFolder(AnsiToWide(photos.File("empty"))));
  WaitForFolderSample(d);
  EXPECT_EQ(d.LabelCaption(DialogLabel::lbl_Count), FolderCountText(0, false));
  EXPECT_EQ(d.ImagePixel(DialogControl::Display, 3, 3), RGB(0, 0, 0));
  EXPECT_FALSE(d.TakeChosenFolder(AnsiToWide(photos.Path()) + L"\\\u2603"));
  EXPECT_EQ(t.Record().PicturePath, photos.File("empty"));
  EXPECT_TRUE(d.TakeChosenFolder(AnsiToWide(sea)));
  WaitForFolderSample(d);
  d.Cmd_Set_Click();
  EXPECT_EQ(FileBytes(t.SettingsFile()), SavedFile(sea, " 30", " 12"));
  EXPECT_EQ(FileBytes(history), historyBefore);

  // The same folder from the settings: its sample and count at opening, and
  // the folder picker starts in it; a file again clears the count.
  SettingsRecord r = DefaultRecord();
  r.PicturePath = sea;
  DialogUnderTest again(r);
  again.Record().PictureFolder = "C:\\elsewhere";
  again.OnChooseFolder([&](const std::wstring& Start, std::wstring&) {
    starts.push_back(Start);
    return false;
  });
  ASSERT_TRUE(again.Open());
  Sorvane_P& a = again.Dialog();
  WaitForFolderSample(a);
  a.Cmd_Folder_Click();
  EXPECT_EQ(starts, (std::vector<std::wstring>{L"", AnsiToWide(sea)}));
  EXPECT_EQ(a.PnameText(), AnsiToWide(sea)) << "a cancel changes nothing";
  EXPECT_EQ(a.LabelCaption(DialogLabel::lbl_Count), seaCount);
  EXPECT_EQ(a.ImagePixel(DialogControl::Display, 3, 3), RGB(10, 200, 30));
  SetWindowTextW(a.Control(DialogControl::Pname), AnsiToWide(photos.File("sea\\deeper\\wave.BMP")).c_str());
  a.ShowSample();
  EXPECT_EQ(a.LabelCaption(DialogLabel::lbl_Count), L"");
  EXPECT_EQ(a.ImagePixel(DialogControl::Display, 3, 3), RGB(10, 200, 30));
  EXPECT_EQ(FileBytes(history), historyBefore);
}

}  // namespace
}  // namespace sorvane::testing
