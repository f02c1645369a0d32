// The gradient button as a real child window under Windows (Wine): faces read
// from its face image, the caption from WM_PRINTCLIENT, input sent as real
// window messages, the hover poll driven by the real pointer.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "button_face_checks_win32.h"
#include "command_win32.h"

namespace sorvane {
namespace {

using testing::FrameMismatch;
using testing::RequestedDpi;
using testing::ScaledEdge;
using testing::ScreenDpi;

constexpr COLORREF kFormColour = RGB(255, 0, 255);

// Runs the message loop for a while, so timers fire and paints happen.
void Pump(DWORD Milliseconds) {
  const DWORD Start = GetTickCount();
  do {
    MSG Message;
    while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Message);
      DispatchMessageW(&Message);
    }
    Sleep(5);
  } while (GetTickCount() - Start < Milliseconds);
}

// A visible top-level window in magenta that holds the buttons under test.
class TestForm {
 public:
  TestForm(int Width = 400, int Height = 240) {
    WNDCLASSW Class{};
    Class.lpfnWndProc = DefWindowProcW;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.hbrBackground = CreateSolidBrush(kFormColour);
    Class.lpszClassName = L"SorvaneButtonTestForm";
    RegisterClassW(&Class);
    window_ = CreateWindowExW(0, Class.lpszClassName, L"button test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50,
                              50, Width, Height, nullptr, nullptr, Class.hInstance, nullptr);
    SetForegroundWindow(window_);
    Pump(50);
  }
  ~TestForm() { DestroyWindow(window_); }
  HWND Window() const { return window_; }

  // A button restored from Store (enabled, "Command1" unless the store says otherwise).
  Command* AddButton(int X, int Y, int Width, int Height, const PropertyStore& Store = PropertyStore()) {
    Command* Button = Command::Create(window_, ++lastId_, X, Y, Width, Height);
    if (Button) Button->ReadProperties(Store);
    return Button;
  }

 private:
  HWND window_ = nullptr;
  int lastId_ = 100;
};

// The button as WM_PRINTCLIENT draws it, pixel by pixel (0x00RRGGBB).
class Printed {
 public:
  explicit Printed(const Command& Button) {
    RECT Client{};
    GetClientRect(Button.Window(), &Client);
    width_ = Client.right;
    height_ = Client.bottom;
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = width_;
    Info.bmiHeader.biHeight = -height_;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    void* Bits = nullptr;
    HDC Memory = CreateCompatibleDC(nullptr);
    HBITMAP Bitmap = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    HGDIOBJ Old = SelectObject(Memory, Bitmap);
    SendMessageW(Button.Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Memory), PRF_CLIENT);
    GdiFlush();
    const uint32_t* Pixels = static_cast<const uint32_t*>(Bits);
    pixels_.assign(Pixels, Pixels + static_cast<size_t>(width_) * height_);
    SelectObject(Memory, Old);
    DeleteObject(Bitmap);
    DeleteDC(Memory);
  }
  uint32_t At(int X, int Y) const { return pixels_[static_cast<size_t>(Y) * width_ + X] & 0xFFFFFF; }
  int Width() const { return width_; }
  // Pixels in the rectangle for which Test holds.
  template <typename Predicate>
  int Count(int Left, int Top, int Right, int Bottom, Predicate Test) const {
    int Found = 0;
    for (int y = Top; y < Bottom; ++y)
      for (int x = Left; x < Right; ++x)
        if (Test(At(x, y))) ++Found;
    return Found;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

int Red(uint32_t Pixel) { return (Pixel >> 16) & 0xFF; }
int Green(uint32_t Pixel) { return (Pixel >> 8) & 0xFF; }
int Blue(uint32_t Pixel) { return Pixel & 0xFF; }
int Brightness(uint32_t Pixel) { return Red(Pixel) + Green(Pixel) + Blue(Pixel); }
bool Dark(uint32_t Pixel) { return Brightness(Pixel) < 150; }

// The colour a vertical gradient from Top to Bottom gives at row Y of Rows.
bool NearGradient(uint32_t Pixel, uint32_t Top, uint32_t Bottom, int Y, int Rows) {
  auto Channel = [&](int (*Of)(uint32_t)) {
    double Expected = Of(Top) + (Of(Bottom) - Of(Top)) * static_cast<double>(Y) / Rows;
    return std::abs(Of(Pixel) - Expected) <= 3.0;
  };
  return Channel(Red) && Channel(Green) && Channel(Blue);
}

// Screen point of a spot inside a button.
POINT ScreenPoint(const Command& Button, int X, int Y) {
  POINT Point{X, Y};
  ClientToScreen(Button.Window(), &Point);
  return Point;
}

LPARAM At(int X, int Y) { return MAKELPARAM(X, Y); }

class CommandWindow : public ::testing::Test {
 protected:
  // One form for the whole suite: making and destroying a top-level window
  // costs Wine about two seconds.
  static void SetUpTestSuite() { shared_ = new TestForm; }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }
  void SetUp() override { dpi_ = ScreenDpi(); }
  // A 96-dpi size or position at the DPI the test runs at.
  int S(int Pixels96) const { return static_cast<int>(ScaledEdge(Pixels96, dpi_)); }
  // Pixel-exact expectations of the state pictures hold at 96 dpi, where the
  // pictures are not stretched; FrameMismatch checks the frames at any DPI.
  bool At96() const { return dpi_ == 96; }
  // Every button of the test goes; the form stays.
  void TearDown() override {
    std::vector<HWND> Children;
    EnumChildWindows(
        form_.Window(),
        [](HWND Child, LPARAM List) {
          reinterpret_cast<std::vector<HWND>*>(List)->push_back(Child);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&Children));
    for (HWND Child : Children) DestroyWindow(Child);
    SetFocus(form_.Window());
    Pump(20);
  }
  static TestForm* shared_;
  TestForm& form_ = *shared_;
  int dpi_ = 96;
};

TestForm* CommandWindow::shared_ = nullptr;

TEST_F(CommandWindow, FromWindowFindsOnlyGradientButtons) {
  Command* Button = Command::Create(form_.Window(), 42, 10, 10, 73, 25);
  ASSERT_NE(Button, nullptr);
  HWND Label = CreateWindowW(L"STATIC", L"x", WS_CHILD | WS_VISIBLE, 100, 10, 40, 20, form_.Window(), nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(Command::FromWindow(Button->Window()), Button);
  EXPECT_EQ(Command::FromWindow(form_.Window()), nullptr);
  EXPECT_EQ(Command::FromWindow(Label), nullptr);
  EXPECT_EQ(Command::FromWindow(nullptr), nullptr);
  wchar_t ClassName[64] = {};
  GetClassNameW(Button->Window(), ClassName, 64);
  EXPECT_STREQ(ClassName, L"Sorvane.Command");
  EXPECT_EQ(GetDlgCtrlID(Button->Window()), 42);
  EXPECT_EQ(Command::Create(nullptr, 1, 0, 0, 10, 10), nullptr);  // a child needs a parent
}

TEST_F(CommandWindow, NewButtonShowsDisableUntilRestoredOrRead) {
  Command* Fresh = Command::Create(form_.Window(), 7, S(10), S(10), S(73), S(25));
  ASSERT_NE(Fresh, nullptr);
  EXPECT_FALSE(IsWindowEnabled(Fresh->Window()));
  EXPECT_EQ(FrameMismatch(*Fresh, FacePicture::Disable, dpi_), "");
  if (At96()) {
    EXPECT_EQ(Fresh->FacePixel(36, 1), 0xC9C7BAu);
  }
  if (At96()) {
    EXPECT_EQ(Fresh->FacePixel(36, 2), 0xF5F4EAu);
  }
  // Reading Enabled on a brand-new button enables it.
  EXPECT_TRUE(Fresh->Enabled());
  EXPECT_TRUE(IsWindowEnabled(Fresh->Window()));
  EXPECT_EQ(FrameMismatch(*Fresh, FacePicture::Normal, dpi_), "");
  if (At96()) {
    EXPECT_EQ(Fresh->FacePixel(36, 1), 0x003C74u);
  }
  EXPECT_EQ(Fresh->Caption(), L"Command");

  Command* Restored = form_.AddButton(S(10), S(50), S(73), S(25));
  EXPECT_TRUE(IsWindowEnabled(Restored->Window()));
  EXPECT_EQ(Restored->Caption(), L"Command1");
  if (At96()) {
    EXPECT_EQ(Restored->FacePixel(36, 2), 0xF3F3EEu);
  }
}

// Corner and edge pixels of each state picture on a 73 x 25 button, and the
// gradient under them, as real messages move the button through its states.
TEST_F(CommandWindow, EachStatePaintsItsPictureOverTheRightGradient) {
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(25));
  Button->Initialize();
  auto MiddleBrighterAtTop = [&] {
    return Brightness(Button->FacePixel(S(36), S(4) + 1)) > Brightness(Button->FacePixel(S(36), S(20)));
  };
  // One pixel of the 96-dpi face: checked where the pictures are unstretched.
  auto Pixel = [&](int X, int Y, uint32_t Colour) {
    if (At96()) {
      EXPECT_EQ(Button->FacePixel(X, Y), Colour) << X << "," << Y;
    }
  };
  auto Frame = [&](FacePicture Picture) { EXPECT_EQ(FrameMismatch(*Button, Picture, dpi_), ""); };

  // Normal: outline, light ring, shadow, outer margin; white at the top.
  Pixel(0, 0, 0xFAFAF6u);
  Pixel(36, 1, 0x003C74u);
  Pixel(36, 2, 0xF3F3EEu);
  Pixel(36, 22, 0xD6D0C5u);
  Pixel(36, 23, 0x003C74u);
  Pixel(1, 12, 0x003C74u);
  Pixel(71, 12, 0x003C74u);
  Pixel(72, 24, 0xDCD6C2u);
  EXPECT_TRUE(MiddleBrighterAtTop());
  Frame(FacePicture::Normal);

  // Hover: the warm ring over the inverted gradient.
  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(S(36), S(12)));
  EXPECT_EQ(Button->Core().ButtonState(), 2);
  Pixel(36, 2, 0xFFF0CFu);
  Pixel(36, 3, 0xFDD889u);
  Pixel(36, 22, 0xE59700u);
  Pixel(2, 12, 0xFCCA68u);
  Pixel(36, 1, 0x003C74u);
  EXPECT_FALSE(MiddleBrighterAtTop());
  Frame(FacePicture::HighLight);

  // Focus while hovered: Pressed, still over the inverted gradient.
  SetFocus(Button->Window());
  EXPECT_EQ(Button->Core().ButtonState(), 4);
  Pixel(36, 1, 0xECE9D8u);
  Pixel(36, 2, 0x003C74u);
  Pixel(36, 3, 0xD1CCC1u);
  Pixel(2, 12, 0x003C74u);
  EXPECT_FALSE(MiddleBrighterAtTop());
  Frame(FacePicture::Pressed);

  // A left press and release in state 4: HighLightSelect.
  SendMessageW(Button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(S(36), S(12)));
  SendMessageW(Button->Window(), WM_LBUTTONUP, 0, At(S(36), S(12)));
  Pixel(36, 2, 0xFFF0CFu);
  Pixel(36, 22, 0xE59700u);
  Frame(FacePicture::HighLightSelect);

  // Focus leaves: Normal over the normal gradient.
  SetFocus(form_.Window());
  EXPECT_EQ(Button->Core().ButtonState(), 1);
  Pixel(36, 2, 0xF3F3EEu);
  EXPECT_TRUE(MiddleBrighterAtTop());

  // Focus without hover: Selected.
  SetFocus(Button->Window());
  EXPECT_EQ(Button->Core().ButtonState(), 3);
  Pixel(36, 2, 0xCEE7FFu);
  Pixel(36, 22, 0x6982EEu);
  Pixel(1, 12, 0x003C74u);
  Frame(FacePicture::Selected);

  // Disabled: its own grey outline and flat ring.
  Button->SetEnabled(false);
  Pixel(36, 1, 0xC9C7BAu);
  Pixel(36, 2, 0xF5F4EAu);
  Pixel(1, 12, 0xC9C7BAu);
  Pixel(0, 0, 0xECE9D8u);
  Frame(FacePicture::Disable);
}

TEST_F(CommandWindow, GradientRunsWhiteToLavenderAndBackWhenHovered) {
  // A tall button shows most of the gradient between its top and bottom edges.
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(200));
  Button->Initialize();
  const uint32_t White = 0xFFFFFF, Lavender = 0xC6C5D7;
  // The fill spans every row but the last (the frame's); the frame covers
  // the first and last four rows at 96 dpi.
  const int Rows = Button->FaceHeight() - 1;
  for (int Row : {S(4) + 1, S(50), S(100), Rows - S(4) - 1}) {
    EXPECT_TRUE(NearGradient(Button->FacePixel(S(36), Row), White, Lavender, Row, Rows))
        << "row " << Row << " " << std::hex << Button->FacePixel(S(36), Row);
  }
  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(S(36), S(100)));
  for (int Row : {S(4) + 1, S(50), S(100), Rows - S(4) - 1}) {
    EXPECT_TRUE(NearGradient(Button->FacePixel(S(36), Row), Lavender, White, Row, Rows))
        << "row " << Row << " " << std::hex << Button->FacePixel(S(36), Row);
  }
}

TEST_F(CommandWindow, PressAndReleaseClickAndHoldTheCapture) {
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(25));
  Button->Initialize();
  int Clicks = 0;
  Button->OnClick = [&] { ++Clicks; };

  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(30, 10));
  SendMessageW(Button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(30, 10));
  EXPECT_EQ(GetFocus(), Button->Window());
  EXPECT_EQ(GetCapture(), Button->Window());
  EXPECT_TRUE(Button->Core().ButtonHeld());
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(36, 2), 0x003C74u);
  }  // Pressed
  EXPECT_EQ(Clicks, 0);
  SendMessageW(Button->Window(), WM_LBUTTONUP, 0, At(30, 10));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Button->Core().ButtonState(), 4);

  // The right button clicks too, and paints nothing of its own.
  const uint32_t Before = Button->FacePixel(36, 2);
  SendMessageW(Button->Window(), WM_RBUTTONDOWN, MK_RBUTTON, At(30, 10));
  EXPECT_EQ(Button->FacePixel(36, 2), Before);
  SendMessageW(Button->Window(), WM_RBUTTONUP, 0, At(30, 10));
  EXPECT_EQ(Clicks, 2);

  // A release whose press went down on another window clicks nothing.
  SendMessageW(Button->Window(), WM_LBUTTONUP, 0, At(30, 10));
  SendMessageW(Button->Window(), WM_MBUTTONUP, 0, At(30, 10));
  EXPECT_EQ(Clicks, 2);

  // Disabled: never a click, whatever arrives.
  Button->SetEnabled(false);
  for (UINT Message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONUP}) {
    SendMessageW(Button->Window(), Message, 0, At(30, 10));
  }
  SendMessageW(Button->Window(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(Clicks, 2);
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(36, 1), 0xC9C7BAu);
  }
}

// The focused button shows a dotted focus rectangle just inside its frame,
// and Space (Pressed while down, a click on its release) and Enter click it
// through its own key messages.
TEST_F(CommandWindow, TheFocusedButtonShowsItAndAnswersSpaceAndEnter) {
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(25));
  Command* Other = form_.AddButton(S(100), S(10), S(73), S(25));
  Button->Initialize();
  int Clicks = 0;
  Button->OnClick = [&] { ++Clicks; };
  SetFocus(Other->Window());
  const Printed Unfocused(*Button);
  SetFocus(Button->Window());
  const Printed Focused(*Button);
  // The row just inside the four-pixel frame: the focus rectangle's dots.
  const int Row = S(4), Left = S(4), Right = Focused.Width() - S(4);
  int Changed = 0;
  for (int x = Left; x < Right; ++x) Changed += Focused.At(x, Row) != Unfocused.At(x, Row);
  EXPECT_GE(Changed, (Right - Left) / 3) << "no focus rectangle";
  EXPECT_EQ(Focused.At(Focused.Width() / 2, S(8)), Unfocused.At(Focused.Width() / 2, S(8)))
      << "the focus rectangle strays into the face";

  SendMessageW(Button->Window(), WM_KEYDOWN, VK_SPACE, 0x00390001);
  EXPECT_EQ(FrameMismatch(*Button, FacePicture::Pressed, dpi_), "");
  SendMessageW(Button->Window(), WM_KEYDOWN, VK_SPACE, 0x40390001);  // the key's repeat
  EXPECT_EQ(Clicks, 0);
  SendMessageW(Button->Window(), WM_KEYUP, VK_SPACE, 0xC0390001);
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(FrameMismatch(*Button, FacePicture::Selected, dpi_), "");
  SendMessageW(Button->Window(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  EXPECT_EQ(Clicks, 2);
  // A dialog's keyboard handling passes Enter on to the button.
  MSG Enter{Button->Window(), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
  EXPECT_TRUE(SendMessageW(Button->Window(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&Enter)) &
              DLGC_WANTMESSAGE);

  SetFocus(Other->Window());
  const Printed Again(*Button);
  for (int x = Left; x < Right; ++x) ASSERT_EQ(Again.At(x, Row), Unfocused.At(x, Row)) << x;
}

TEST_F(CommandWindow, HoverLastsOverTheButtonAndEndsWithinAPollAfterLeaving) {
  Command* Button = form_.AddButton(S(20), S(20), S(73), S(25));
  Command* Other = form_.AddButton(S(200), S(20), S(73), S(25));
  Button->Initialize();
  Other->Initialize();

  // Over the caption in the middle: still the button's own window.
  POINT OverCaption = ScreenPoint(*Button, 36, 12);
  SetCursorPos(OverCaption.x, OverCaption.y);
  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(36, 12));
  Pump(350);
  ASSERT_EQ(WindowFromPoint(OverCaption), Button->Window());
  EXPECT_EQ(Button->Core().ButtonState(), 2);
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(36, 2), 0xFFF0CFu);
  }

  // Onto the form: the hover ends within a poll.
  POINT OverForm = ScreenPoint(*Button, 36, 60);
  SetCursorPos(OverForm.x, OverForm.y);
  Pump(350);
  EXPECT_EQ(Button->Core().ButtonState(), 1);
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(36, 2), 0xF3F3EEu);
  }

  // Hovered and focused, then onto another button: back to Selected.
  SetCursorPos(OverCaption.x, OverCaption.y);
  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(36, 12));
  SetFocus(Button->Window());
  EXPECT_EQ(Button->Core().ButtonState(), 4);
  POINT OverOther = ScreenPoint(*Other, 36, 12);
  SetCursorPos(OverOther.x, OverOther.y);
  Pump(350);
  EXPECT_EQ(Button->Core().ButtonState(), 3);
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(36, 2), 0xCEE7FFu);
  }
}

TEST_F(CommandWindow, DragOutOfAFocusedButtonCancelsTheClick) {
  Command* Button = form_.AddButton(S(20), S(20), S(73), S(25));
  Button->Initialize();
  int Clicks = 0;
  Button->OnClick = [&] { ++Clicks; };
  POINT Over = ScreenPoint(*Button, 36, 12);
  SetCursorPos(Over.x, Over.y);
  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(36, 12));
  SendMessageW(Button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(36, 12));
  EXPECT_EQ(Button->Core().ButtonState(), 4);

  POINT Away = ScreenPoint(*Button, 36, 80);
  SetCursorPos(Away.x, Away.y);
  Pump(350);
  EXPECT_EQ(Button->Core().ButtonState(), 3);
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(36, 2), 0xCEE7FFu);
  }
  // Back in while held: stays Selected; the release does not click.
  SendMessageW(Button->Window(), WM_MOUSEMOVE, MK_LBUTTON, At(36, 12));
  EXPECT_EQ(Button->Core().ButtonState(), 3);
  SendMessageW(Button->Window(), WM_LBUTTONUP, 0, At(36, 80));
  EXPECT_EQ(Clicks, 0);
}

TEST_F(CommandWindow, CaptionIsDrawnCentredAndGreyWhenDisabled) {
  PropertyStore Store;
  Store.Set(L"Caption", PropertyValue::Text(L"設定"));
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(25), Store);
  EXPECT_FALSE(Button->CaptionFaceName().empty());
  EXPECT_NE(Button->CaptionFontHandle(), nullptr);
  char Face[128] = {};
  WideCharToMultiByte(CP_UTF8, 0, Button->CaptionFaceName().c_str(), -1, Face, sizeof Face - 1, nullptr, nullptr);
  RecordProperty("caption_face", Face);
  std::printf("caption face: %s\n", Face);

  Printed Enabled(*Button);
  // Dark text in the caption band, none in the face image itself.
  EXPECT_GT(Enabled.Count(S(4), S(4), S(69), S(21), Dark), 10);
  int FaceDark = 0;
  for (int y = S(4); y < S(21); ++y)
    for (int x = S(4); x < S(69); ++x) FaceDark += Dark(Button->FacePixel(x, y));
  EXPECT_EQ(FaceDark, 0);
  // Centred: as much ink left of the middle as right of it, roughly.
  const int Left = Enabled.Count(S(4), S(4), S(36), S(21), Dark), Right = Enabled.Count(S(37), S(4), S(69), S(21), Dark);
  EXPECT_GT(Left, 0);
  EXPECT_GT(Right, 0);
  EXPECT_LT(std::abs(Left - Right), (Left + Right) / 2);
  // The caption leaves the frame alone: on all four edges the printed button
  // is its face image, pixel for pixel.
  const int W = Button->FaceWidth(), H = Button->FaceHeight(), Band = S(4);
  int Covered = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if ((x < Band || y < Band || x >= W - Band || y >= H - Band) && Enabled.At(x, y) != Button->FacePixel(x, y))
        ++Covered;
  EXPECT_EQ(Covered, 0);

  Button->SetFontColour(RGB(255, 0, 0));
  Printed Coloured(*Button);
  EXPECT_GT(Coloured.Count(S(4), S(4), S(69), S(21), [](uint32_t p) { return Red(p) > 200 && Green(p) < 80 && Blue(p) < 80; }), 5);

  Button->SetEnabled(false);
  Printed Disabled(*Button);
  const uint32_t Gray = GetSysColor(COLOR_GRAYTEXT);
  const uint32_t GrayPixel = (GetRValue(Gray) << 16) | (GetGValue(Gray) << 8) | GetBValue(Gray);
  EXPECT_GT(Disabled.Count(S(4), S(4), S(69), S(21), [&](uint32_t p) { return p == GrayPixel; }), 5);
  EXPECT_EQ(Disabled.Count(S(4), S(4), S(69), S(21), [](uint32_t p) { return Red(p) > 200 && Green(p) < 80; }), 0);
}

TEST_F(CommandWindow, TransparentBackgroundShowsTheFormAndKeepsTheCaption) {
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(25));
  Button->SetVisible(0);
  EXPECT_EQ(Button->Visible(), 0);
  Printed Hidden(*Button);
  EXPECT_EQ(Hidden.At(0, 0), 0xFF00FFu);
  EXPECT_EQ(Hidden.At(36, 1), 0xFF00FFu);
  EXPECT_GT(Hidden.Count(4, 4, 69, 21, Dark), 10);  // "Command1" still there
  Button->SetVisible(7);
  EXPECT_EQ(Button->Visible(), 255);
  EXPECT_EQ(Printed(*Button).At(36, 1), 0x003C74u);
}

TEST_F(CommandWindow, ResizeRepaintsNormalAndRecomputesTheGeometry) {
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(25));
  Button->Initialize();
  // Middle sizes in twips: the control's size less the two 60-twip corners.
  auto Middle = [&](int Pixels) { return static_cast<int>(std::nearbyint(Pixels * 1440.0 / dpi_ - 120)); };
  EXPECT_EQ(Button->Core().MidWidth(), Middle(S(73)));
  if (At96()) {
    EXPECT_EQ(Button->Core().MidWidth(), 975);
  }
  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(30, 10));
  SetWindowPos(Button->Window(), nullptr, 0, 0, S(37), S(21), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Button->Core().ButtonState(), 2);
  EXPECT_EQ(Button->Core().MidWidth(), Middle(S(37)));
  EXPECT_EQ(Button->Core().MidHeight(), Middle(S(21)));
  if (At96()) {
    EXPECT_EQ(Button->Core().MidWidth(), 435);
    EXPECT_EQ(Button->Core().MidHeight(), 195);
  }
  EXPECT_EQ(Button->FaceWidth(), S(37));
  EXPECT_EQ(FrameMismatch(*Button, FacePicture::Normal, dpi_), "") << "Normal after a resize, though hovered";
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(18, 2), 0xF3F3EEu);
  }   // Normal ring
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(36, 10), 0xEBE8DCu);
  }  // right margin, squeezed edge
  if (At96()) {
    EXPECT_EQ(Button->FacePixel(35, 10), 0x003C74u);
  }
}

TEST_F(CommandWindow, BadSizesCaptionsAndStoresDoNotHurt) {
  // Zero size.
  Command* Empty = form_.AddButton(S(0), S(0), S(0), S(0));
  ASSERT_NE(Empty, nullptr);
  Empty->Initialize();
  EXPECT_EQ(Empty->FaceWidth(), 0);
  SendMessageW(Empty->Window(), WM_MOUSEMOVE, 0, 0);
  SendMessageW(Empty->Window(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(Empty->Window(), WM_LBUTTONUP, 0, 0);
  SendMessageW(Empty->Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(GetDC(nullptr)), PRF_CLIENT);
  Pump(150);

  // Wider than 32887 twips: MidWidth keeps what the previous paint left.
  Command* Wide = form_.AddButton(S(0), S(0), S(73), S(25));
  const int16_t KeptWidth = Wide->Core().MidWidth();
  SetWindowPos(Wide->Window(), nullptr, 0, 0, S(2200), S(25), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Wide->Core().MidWidth(), KeptWidth);
  if (At96()) {
    EXPECT_EQ(Wide->Core().MidWidth(), 975);
    EXPECT_EQ(Wide->Core().MidHeight(), 255);
  }
  // The frame stays where the kept middle width puts it; the gradient beyond.
  if (At96()) {
    EXPECT_EQ(Wide->FacePixel(71, 12), 0x003C74u);
  }
  if (At96()) {
    EXPECT_EQ(Wide->FacePixel(2190, 2) & 0xF0F0F0, 0xF0F0F0u);
  }
  const DWORD Start = GetTickCount();
  SetWindowPos(Wide->Window(), nullptr, 0, 0, 100000, 30000, SWP_NOMOVE | SWP_NOZORDER);
  RECT Client{};
  GetClientRect(Wide->Window(), &Client);
  std::printf("huge button: client %ld x %ld, face %d x %d, %lu ms\n", Client.right, Client.bottom,
              Wide->FaceWidth(), Wide->FaceHeight(), GetTickCount() - Start);
  EXPECT_LE(Wide->FaceWidth(), 4096);
  EXPECT_LE(Wide->FaceHeight(), 4096);
  SendMessageW(Wide->Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(GetDC(nullptr)), PRF_CLIENT);
  DestroyWindow(Wide->Window());

  // Empty and very long captions.
  Command* Button = form_.AddButton(S(10), S(10), S(73), S(25));
  Button->SetCaption(L"");
  Printed Blank(*Button);
  EXPECT_EQ(Blank.Count(4, 4, 69, 21, Dark), 0);
  Button->SetCaption(std::wstring(10000, L'あ'));
  Printed Long(*Button);
  EXPECT_EQ(Button->Caption().size(), 10000u);
  EXPECT_GT(Long.Count(4, 4, 69, 21, Dark), 0);

  // A store of wrong kinds and garbage: every property stays as it was.
  Button->SetCaption(L"OK");
  Button->SetFontColour(0x123456);
  PropertyStore Garbage;
  Garbage.Set(L"Enabled", PropertyValue::Text(L"perhaps"));
  Garbage.Set(L"Caption", PropertyValue::Font(InitialCaptionFont()));
  Garbage.Set(L"Font", PropertyValue::Text(L"Arial"));
  Garbage.Set(L"FirstRun", PropertyValue::Number(256));
  Garbage.Set(L"FontColour", PropertyValue::Text(L"&HZZ"));
  Garbage.Set(L"Visible", PropertyValue::Number(5));
  Button->ReadProperties(Garbage);
  EXPECT_TRUE(Button->Core().IsEnabled());
  EXPECT_EQ(Button->Caption(), L"OK");
  EXPECT_EQ(Button->Font(), InitialCaptionFont());
  EXPECT_EQ(Button->Core().FirstRun(), 1);
  EXPECT_EQ(Button->Core().LblMsg().Colour, 0x123456u);
  EXPECT_TRUE(Button->Core().Opaque());

  // A font nobody has and absurd sizes still give a usable font.
  CaptionFont Odd;
  Odd.Name = L"No Such Font At All, Really, Not Even Close";
  Odd.Size = 1e9f;
  Odd.Weight = -5;
  Odd.Charset = 999;
  Button->SetFont(Odd);
  EXPECT_NE(Button->CaptionFontHandle(), nullptr);
  EXPECT_FALSE(Button->CaptionFaceName().empty());
  Printed AfterOdd(*Button);

  // Messages a button never expects.
  SendMessageW(Button->Window(), WM_TIMER, 12345, 0);
  SendMessageW(Button->Window(), WM_PRINTCLIENT, 0, PRF_CLIENT);
  SendMessageW(Button->Window(), WM_KILLFOCUS, 0, 0);
  SendMessageW(Button->Window(), WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(CommandWindow, RunsAtTheDisplayScalingItWasAskedFor) {
  // A scaled run whose prefix kept 96 dpi would test nothing it claims to.
  if (RequestedDpi() != 0) {
    EXPECT_EQ(dpi_, RequestedDpi());
  }
  Command* Button = form_.AddButton(10, 10, S(73), S(25));
  EXPECT_EQ(Button->Dpi(), dpi_);
}

// The frame of every state picture is whole on all four sides, on the
// dialog's two button sizes, at the DPI the test runs at: the pictures are 64
// x 25 real pixels at every DPI, and only the face they are stretched onto
// grows with the display.
TEST_F(CommandWindow, FrameIsWholeOnAllFourSidesInEveryState) {
  for (POINT Size : {POINT{73, 25}, POINT{37, 21}, POINT{120, 60}}) {
    SCOPED_TRACE(std::to_string(Size.x) + "x" + std::to_string(Size.y) + " at " + std::to_string(dpi_));
    Command* Button = form_.AddButton(S(10), S(10), S(Size.x), S(Size.y));
    ASSERT_NE(Button, nullptr);
    EXPECT_EQ(Button->FaceWidth(), S(Size.x));
    Button->Initialize();
    EXPECT_EQ(FrameMismatch(*Button, FacePicture::Normal, dpi_), "");
    SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(S(5), S(5)));
    EXPECT_EQ(FrameMismatch(*Button, FacePicture::HighLight, dpi_), "");
    SetFocus(Button->Window());
    EXPECT_EQ(FrameMismatch(*Button, FacePicture::Pressed, dpi_), "");
    SendMessageW(Button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(S(5), S(5)));
    SendMessageW(Button->Window(), WM_LBUTTONUP, 0, At(S(5), S(5)));
    EXPECT_EQ(FrameMismatch(*Button, FacePicture::HighLightSelect, dpi_), "");
    SetFocus(form_.Window());
    SetFocus(Button->Window());
    EXPECT_EQ(FrameMismatch(*Button, FacePicture::Selected, dpi_), "");
    Button->SetEnabled(false);
    EXPECT_EQ(FrameMismatch(*Button, FacePicture::Disable, dpi_), "");
    DestroyWindow(Button->Window());
  }
}

// A new DPI repaints the face and makes the caption font anew at that DPI.
TEST_F(CommandWindow, ANewDpiRedrawsTheFrameAndTheCaptionFont) {
  Command* Button = form_.AddButton(10, 10, S(73), S(25));
  Button->Initialize();
  LOGFONTW Before{};
  GetObjectW(Button->CaptionFontHandle(), sizeof Before, &Before);
  const int To = dpi_ == 192 ? 96 : 192;
  Button->SetDpi(To);
  SetWindowPos(Button->Window(), nullptr, 0, 0, static_cast<int>(ScaledEdge(73, To)),
               static_cast<int>(ScaledEdge(25, To)), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Button->Dpi(), To);
  EXPECT_EQ(FrameMismatch(*Button, FacePicture::Normal, To), "");
  LOGFONTW After{};
  GetObjectW(Button->CaptionFontHandle(), sizeof After, &After);
  EXPECT_EQ(After.lfHeight, -std::lround(9.75 * To / 72.0));
  EXPECT_NE(After.lfHeight, Before.lfHeight);
}

// A press whose mouse capture went to another window (Alt-Tab while the
// button is held) clicks nothing on a later release.
TEST_F(CommandWindow, APressThatLostTheCaptureDoesNotClick) {
  Command* Button = form_.AddButton(S(20), S(20), S(73), S(25));
  Button->Initialize();
  int Clicks = 0;
  Button->OnClick = [&] { ++Clicks; };
  SendMessageW(Button->Window(), WM_MOUSEMOVE, 0, At(S(30), S(10)));
  SendMessageW(Button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(S(30), S(10)));
  ASSERT_EQ(GetCapture(), Button->Window());
  EXPECT_TRUE(Button->Core().ButtonHeld());
  // Another window takes the mouse.
  SetCapture(form_.Window());
  EXPECT_FALSE(Button->Core().ButtonHeld());
  EXPECT_EQ(FrameMismatch(*Button, FacePicture::HighLightSelect, dpi_), "") << "no longer Pressed";
  ReleaseCapture();
  SendMessageW(Button->Window(), WM_LBUTTONUP, 0, At(S(30), S(10)));
  EXPECT_EQ(Clicks, 0);
  // The next whole press clicks as ever.
  SendMessageW(Button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(S(30), S(10)));
  SendMessageW(Button->Window(), WM_LBUTTONUP, 0, At(S(30), S(10)));
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

// Not a test: keeps a window of buttons in several states on the screen for a
// screenshot (run with --gtest_also_run_disabled_tests --gtest_filter=*Gallery*).
TEST_F(CommandWindow, DISABLED_Gallery) {
  PropertyStore Store;
  auto Captioned = [&](const wchar_t* Text) {
    Store.Set(L"Caption", PropertyValue::Text(Text));
    return Store;
  };
  Command* Normal = form_.AddButton(S(20), S(20), S(73), S(25), Captioned(L"設定"));
  Command* Hovered = form_.AddButton(S(110), S(20), S(73), S(25), Captioned(L"ｷｬﾝｾﾙ"));
  Command* Pressed = form_.AddButton(S(200), S(20), S(73), S(25), Captioned(L"Pressed"));
  Command* Small = form_.AddButton(S(20), S(70), S(37), S(21), Captioned(L"..."));
  Command* Disabled = form_.AddButton(S(110), S(70), S(73), S(25), Captioned(L"無効"));
  Command* Clear = form_.AddButton(S(200), S(70), S(73), S(25), Captioned(L"透明"));
  Command* Tall = form_.AddButton(S(20), S(120), S(120), S(80), Captioned(L"Tall"));
  for (Command* Button : {Normal, Hovered, Pressed, Small, Disabled, Clear, Tall}) Button->Initialize();
  Disabled->SetEnabled(false);
  Clear->SetVisible(0);
  Tall->SetFontColour(RGB(0, 0, 160));
  POINT Over = ScreenPoint(*Hovered, 36, 12);
  SetCursorPos(Over.x, Over.y);
  SendMessageW(Hovered->Window(), WM_MOUSEMOVE, 0, At(36, 12));
  SendMessageW(Pressed->Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(36, 12));
  ReleaseCapture();
  const char* Wait = std::getenv("SORVANE_GALLERY_MS");
  Pump(Wait ? static_cast<DWORD>(std::atoi(Wait)) : 3000);
}

}  // namespace
}  // namespace sorvane
