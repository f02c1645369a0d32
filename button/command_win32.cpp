// The gradient button as a Windows child window (command_win32.h): window
// class, message handlers, the persistent face image, the state pictures, the
// caption font and the hover poll. The behaviour itself is CommandCore's; this
// file only turns messages into its events and its paint calls into GDI.

#include "command_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "resource_ids.h"

namespace sorvane {

const wchar_t* const kCommandClassName = L"Sorvane.Command";

namespace {

// The hover poll's timer id.
constexpr UINT_PTR kMouseTimerId = 1;
// The face image is at most this many pixels across and down; a larger
// button shows the plain background colour beyond it.
constexpr int kMaxFaceSide = 4096;
// Caption fonts beyond these sizes are drawn at the limit.
constexpr float kMinFontPoints = 1.0f;
constexpr float kMaxFontPoints = 2048.0f;

// Registers the window class of the button unless it is there already.
bool RegisterCommandClass(HINSTANCE Instance, WNDPROC Procedure) {
  WNDCLASSEXW Class{};
  Class.cbSize = sizeof Class;
  if (GetClassInfoExW(Instance, kCommandClassName, &Class)) return true;
  Class = WNDCLASSEXW{};
  Class.cbSize = sizeof Class;
  Class.lpfnWndProc = Procedure;
  Class.hInstance = Instance;
  Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Class.lpszClassName = kCommandClassName;
  return RegisterClassExW(&Class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A caption colour as GDI takes it: &HBBGGRR, or a system colour when the top
// bit is set.
COLORREF CaptionColour(uint32_t Colour) {
  if (Colour & 0x80000000u) return GetSysColor(static_cast<int>(Colour & 0xFF));
  return static_cast<COLORREF>(Colour & 0xFFFFFF);
}

// The mouse button of a button message, as the core counts them.
int16_t ButtonOf(UINT Message) {
  switch (Message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return 2;
    default:
      return 4;
  }
}

// Shift, Ctrl and Alt as the core counts them (1, 2, 4).
int16_t ShiftOf(WPARAM Keys) {
  int16_t Shift = 0;
  if (Keys & MK_SHIFT) Shift |= 1;
  if (Keys & MK_CONTROL) Shift |= 2;
  if (GetKeyState(VK_MENU) < 0) Shift |= 4;
  return Shift;
}

// Mouse buttons held down, from a mouse message's key flags.
int16_t HeldButtonsOf(WPARAM Keys) {
  int16_t Held = 0;
  if (Keys & MK_LBUTTON) Held |= 1;
  if (Keys & MK_RBUTTON) Held |= 2;
  if (Keys & MK_MBUTTON) Held |= 4;
  return Held;
}

}  // namespace

// Registers the class (once per process) and makes the child window.
Command* Command::Create(HWND Parent, int Id, int X, int Y, int Width, int Height) {
  HINSTANCE Instance = GetModuleHandleW(nullptr);
  if (!RegisterCommandClass(Instance, WindowProc)) return nullptr;
  HWND Window = CreateWindowExW(0, kCommandClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, X,
                                Y, std::max(Width, 0), std::max(Height, 0), Parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), Instance, nullptr);
  Command* Button = FromWindow(Window);
  if (!Button) return nullptr;
  if (!Button->sized_) Button->OnSize();
  Button->SyncWindowEnabled();
  return Button;
}

// The Command attached to a window of our class.
Command* Command::FromWindow(HWND Window) {
  if (!Window || !IsWindow(Window)) return nullptr;
  wchar_t ClassName[32] = {};
  if (!GetClassNameW(Window, ClassName, 32) || lstrcmpW(ClassName, kCommandClassName) != 0) return nullptr;
  return reinterpret_cast<Command*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
}

// A new instance on its window: state pictures and font loaded, nothing painted.
Command::Command(HWND Window) : window_(Window), core_(*this) {
  core_.OnClick = [this] {
    // The handler may destroy this button: call a copy, touch nothing after.
    std::function<void()> Handler = OnClick;
    if (Handler) Handler();
  };
  core_.OnPropertyChanged = [this](const wchar_t* Property) {
    if (OnPropertyChanged) OnPropertyChanged(Property);
  };
  dpi_ = WindowDpi(Window);

  HINSTANCE Instance = GetModuleHandleW(nullptr);
  const int Ids[6] = {IDB_BUTTON_NORMAL,   IDB_BUTTON_HIGHLIGHT, IDB_BUTTON_HIGHLIGHTSELECT,
                      IDB_BUTTON_SELECTED, IDB_BUTTON_PRESSED,   IDB_BUTTON_DISABLE};
  for (int i = 0; i < 6; ++i) {
    pictures_[i] = static_cast<HBITMAP>(
        LoadImageW(Instance, MAKEINTRESOURCEW(Ids[i]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }
  pictureDC_ = CreateCompatibleDC(nullptr);
  RebuildFont();
}

// Releases the timer, the images and the font.
Command::~Command() {
  if (timerStarted_) KillTimer(window_, kMouseTimerId);
  if (pictureDC_) DeleteDC(pictureDC_);
  for (HBITMAP Picture : pictures_) {
    if (Picture) DeleteObject(Picture);
  }
  if (font_) DeleteObject(font_);
}

// Attaches the instance on WM_NCCREATE, routes messages, deletes it on WM_NCDESTROY.
LRESULT CALLBACK Command::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  Command* Self = nullptr;
  if (Message == WM_NCCREATE) {
    Self = new (std::nothrow) Command(Window);
    if (!Self) return FALSE;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  } else {
    Self = reinterpret_cast<Command*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  }
  if (!Self) return DefWindowProcW(Window, Message, WParam, LParam);
  LRESULT Result = Self->HandleMessage(Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    delete Self;
  }
  return Result;
}

// One small handler per message.
LRESULT Command::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT:
      OnPrintClient(reinterpret_cast<HDC>(WParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_SETFOCUS:
      core_.UserControl_EnterFocus();
      InvalidateRect(window_, nullptr, FALSE);  // the focus rectangle
      return 0;
    case WM_KILLFOCUS:
      core_.UserControl_ExitFocus();
      InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      OnKey(Message, WParam, LParam);
      return 0;
    case WM_GETDLGCODE:
      return OnGetDlgCode(reinterpret_cast<const MSG*>(LParam));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnButtonDown(Message, WParam, LParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      OnButtonUp(Message, WParam, LParam);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(WParam, LParam);
      return 0;
    case WM_TIMER:
      if (WParam == kMouseTimerId) OnTimer();
      return 0;
    case WM_CAPTURECHANGED:
      OnCaptureChanged();
      return 0;
    default:
      return DefWindowProcW(window_, Message, WParam, LParam);
  }
}

// WM_PAINT: the composed button, through an off-screen bitmap against flicker.
void Command::OnPaint() {
  PAINTSTRUCT Paint;
  HDC Target = BeginPaint(window_, &Paint);
  if (!Target) return;
  const int Width = std::min(clientWidth_, kMaxFaceSide);
  const int Height = std::min(clientHeight_, kMaxFaceSide);
  HDC Buffer = Width > 0 && Height > 0 ? CreateCompatibleDC(Target) : nullptr;
  HBITMAP Bitmap = Buffer ? CreateCompatibleBitmap(Target, Width, Height) : nullptr;
  if (Buffer && Bitmap) {
    HGDIOBJ Old = SelectObject(Buffer, Bitmap);
    Render(Buffer);
    BitBlt(Target, 0, 0, Width, Height, Buffer, 0, 0, SRCCOPY);
    SelectObject(Buffer, Old);
  } else {
    Render(Target);
  }
  if (Bitmap) DeleteObject(Bitmap);
  if (Buffer) DeleteDC(Buffer);
  EndPaint(window_, &Paint);
}

// WM_PRINTCLIENT: the same picture into the caller's device context.
void Command::OnPrintClient(HDC Target) {
  if (Target) Render(Target);
}

// WM_SIZE: a face image of the new size, then the core's resize.
void Command::OnSize() {
  RECT Client{};
  GetClientRect(window_, &Client);
  clientWidth_ = std::max<int>(0, Client.right - Client.left);
  clientHeight_ = std::max<int>(0, Client.bottom - Client.top);
  sized_ = true;
  RebuildFaceImage(std::min(clientWidth_, kMaxFaceSide), std::min(clientHeight_, kMaxFaceSide));
  core_.UserControl_Resize();
}

// The bit of pressedHere_ that stands for the button of a press or release.
static unsigned PressBitOf(UINT Message) {
  switch (Message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return 1u;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return 2u;
    default:
      return 4u;
  }
}

// A press: the focus first (as a click gives it), capture, then the core.
void Command::OnButtonDown(UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_LBUTTONDOWN && core_.IsEnabled() && GetFocus() != window_) SetFocus(window_);
  if (!captured_) {
    SetCapture(window_);
    captured_ = GetCapture() == window_;
  }
  pressedHere_ |= PressBitOf(Message);
  core_.UserControl_MouseDown(ButtonOf(Message), ShiftOf(WParam), TwipsOf(GET_X_LPARAM(LParam)),
                              TwipsOf(GET_Y_LPARAM(LParam)));
}

// A release: capture let go once no button is held, then the core (which may
// raise Click, whose handler may destroy this button: nothing after it).
void Command::OnButtonUp(UINT Message, WPARAM WParam, LPARAM LParam) {
  // A release whose press went down elsewhere (on the dialog, say), or whose
  // press lost the capture on the way, belongs to no press of this button: it
  // must not click it.
  const unsigned Bit = PressBitOf(Message);
  const bool Pressed = (pressedHere_ & Bit) != 0;
  pressedHere_ &= ~Bit;
  if (captured_ && HeldButtonsOf(WParam) == 0) {
    // Our own release of the capture is no loss of it.
    releasingCapture_ = true;
    captured_ = false;
    ReleaseCapture();
    releasingCapture_ = false;
  }
  if (!Pressed) return;
  core_.UserControl_MouseUp(ButtonOf(Message), ShiftOf(WParam), TwipsOf(GET_X_LPARAM(LParam)),
                            TwipsOf(GET_Y_LPARAM(LParam)));
}

// Another window took the mouse (Alt-Tab, a message box during a press): the
// presses still down are forgotten, so their releases click nothing.
void Command::OnCaptureChanged() {
  captured_ = false;
  if (releasingCapture_) return;
  pressedHere_ = 0;
  core_.UserControl_PressCancelled();
}

// A key on the focused button (the core may raise Click, whose handler may
// destroy this button: nothing after it).
void Command::OnKey(UINT Message, WPARAM Key, LPARAM Flags) {
  if (Key != VK_SPACE && Key != VK_RETURN) return;
  const int16_t Code = static_cast<int16_t>(Key);
  const WPARAM Keys = (GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) | (GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
  if (Message == WM_KEYDOWN) {
    // Bit 30: the key was down already (an automatic repeat).
    core_.UserControl_KeyDown(Code, ShiftOf(Keys), (Flags & (1L << 30)) != 0);
  } else {
    core_.UserControl_KeyUp(Code, ShiftOf(Keys));
  }
}

// What the dialog keys mean to the button: it is a push button, and Enter
// is its own (a dialog's keyboard handling passes Enter on to it).
LRESULT Command::OnGetDlgCode(const MSG* Message) const {
  LRESULT Code = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  if (Message && Message->message == WM_KEYDOWN && Message->wParam == VK_RETURN) Code |= DLGC_WANTMESSAGE;
  return Code;
}

// The pointer moved over the button (or anywhere while captured).
void Command::OnMouseMove(WPARAM WParam, LPARAM LParam) {
  core_.UserControl_MouseMove(HeldButtonsOf(WParam), ShiftOf(WParam), TwipsOf(GET_X_LPARAM(LParam)),
                              TwipsOf(GET_Y_LPARAM(LParam)));
}

// The hover poll: is the window under the pointer this button's own?
void Command::OnTimer() {
  POINT Pointer{};
  GetCursorPos(&Pointer);
  HWND Under = WindowFromPoint(Pointer);
  core_.TmrMouse_Timer(Under == window_);
}

// Face (or the parent's background when transparent), then the caption.
void Command::Render(HDC Target) {
  const int Width = clientWidth_;
  const int Height = clientHeight_;
  if (core_.Opaque()) {
    if (face_.Pixels()) BitBlt(Target, 0, 0, face_.Width(), face_.Height(), face_.Dc(), 0, 0, SRCCOPY);
    if (Width > face_.Width() || Height > face_.Height()) {
      // Beyond the face image of a very large button: plain background.
      HBRUSH Face = GetSysColorBrush(COLOR_BTNFACE);
      RECT Right{face_.Width(), 0, Width, Height};
      RECT Below{0, face_.Height(), face_.Width(), Height};
      FillRect(Target, &Right, Face);
      FillRect(Target, &Below, Face);
    }
  } else {
    DrawParentBackground(Target);
  }
  DrawCaption(Target);
  DrawFocusFrame(Target);
}

// The dotted focus rectangle inside the frame, while the button has the
// keyboard focus.
void Command::DrawFocusFrame(HDC Target) {
  if (GetFocus() != window_ || !core_.IsEnabled()) return;
  const int Inset = TwipsToPixels(60);
  RECT Focus{Inset, Inset, clientWidth_ - Inset, clientHeight_ - Inset};
  if (Focus.right <= Focus.left || Focus.bottom <= Focus.top) return;
  // DrawFocusRect draws with the text and background colours in XOR.
  const int Saved = SaveDC(Target);
  SetTextColor(Target, RGB(0, 0, 0));
  SetBkColor(Target, RGB(255, 255, 255));
  DrawFocusRect(Target, &Focus);
  RestoreDC(Target, Saved);
}

// What the parent shows under the button, for the transparent background.
void Command::DrawParentBackground(HDC Target) {
  RECT Client{0, 0, clientWidth_, clientHeight_};
  HWND Parent = GetParent(window_);
  if (!Parent || drawingParent_) {
    FillRect(Target, &Client, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  drawingParent_ = true;
  POINT Origin{0, 0};
  MapWindowPoints(window_, Parent, &Origin, 1);
  int Saved = SaveDC(Target);
  IntersectClipRect(Target, 0, 0, clientWidth_, clientHeight_);
  POINT OldOrigin;
  OffsetViewportOrgEx(Target, -Origin.x, -Origin.y, &OldOrigin);
  SendMessageW(Parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(Target), 0);
  SendMessageW(Parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Target), PRF_CLIENT);
  RestoreDC(Target, Saved);
  drawingParent_ = false;
}

// LblMsg: centred text in its band, in the disabled style when disabled.
void Command::DrawCaption(HDC Target) {
  const CaptionLabel& Label = core_.LblMsg();
  if (Label.Text.empty()) return;
  RECT Band;
  Band.left = TwipsToPixels(Label.Left);
  Band.top = TwipsToPixels(Label.Top);
  Band.right = Band.left + TwipsToPixels(Label.Width);
  Band.bottom = Band.top + TwipsToPixels(Label.Height);
  if (Band.right <= Band.left || Band.bottom <= Band.top) return;

  const int Length = static_cast<int>(std::min<size_t>(Label.Text.size(), 0x7FFFFFFF));
  const UINT Format = DT_CENTER | DT_TOP | DT_WORDBREAK;
  int Saved = SaveDC(Target);
  SetBkMode(Target, TRANSPARENT);
  if (font_) SelectObject(Target, font_);
  if (Label.Enabled) {
    SetTextColor(Target, CaptionColour(Label.Colour));
    DrawTextW(Target, Label.Text.c_str(), Length, &Band, Format);
  } else {
    // Engraved: a highlight copy one pixel down and right, grey text on top.
    RECT Shadow = Band;
    OffsetRect(&Shadow, 1, 1);
    SetTextColor(Target, GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(Target, Label.Text.c_str(), Length, &Shadow, Format);
    SetTextColor(Target, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(Target, Label.Text.c_str(), Length, &Band, Format);
  }
  RestoreDC(Target, Saved);
}

// A fresh face image, unless the size is the same.
void Command::RebuildFaceImage(int Width, int Height) {
  if (face_.Pixels() && Width == face_.Width() && Height == face_.Height()) return;
  face_.Resize(Width, Height, RGB(0, 0, 0), kMaxFaceSide);
}

// The caption font from the label's font, with a face the system has.
void Command::RebuildFont() {
  const CaptionFont& Wanted = core_.LblMsg().Font;
  if (font_ && fontMadeFrom_ == Wanted) return;
  fontMadeFrom_ = Wanted;
  fontFace_ = AvailableFace(Wanted.Name);

  float Points = std::isfinite(Wanted.Size) ? Wanted.Size : 9.75f;
  Points = std::min(std::max(Points, kMinFontPoints), kMaxFontPoints);
  LOGFONTW Font{};
  Font.lfHeight = -static_cast<LONG>(std::lround(Points * dpi_ / 72.0f));
  Font.lfWeight = std::min<LONG>(std::max<LONG>(Wanted.Weight, 0), 1000);
  Font.lfItalic = Wanted.Italic;
  Font.lfUnderline = Wanted.Underline;
  Font.lfStrikeOut = Wanted.Strikethrough;
  Font.lfCharSet = static_cast<BYTE>(Wanted.Charset & 0xFF);
  Font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  Font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  Font.lfQuality = DEFAULT_QUALITY;
  Font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  fontFace_.copy(Font.lfFaceName, LF_FACESIZE - 1);
  HFONT Made = CreateFontW(Font.lfHeight, 0, 0, 0, Font.lfWeight, Font.lfItalic, Font.lfUnderline,
                           Font.lfStrikeOut, Font.lfCharSet, Font.lfOutPrecision, Font.lfClipPrecision,
                           Font.lfQuality, Font.lfPitchAndFamily, Font.lfFaceName);
  if (!Made) return;  // keep the font we had
  if (font_) DeleteObject(font_);
  font_ = Made;
}

// The window takes part in tabbing and mouse input only while enabled.
void Command::SyncWindowEnabled() {
  const bool Wanted = core_.IsEnabled();
  if ((IsWindowEnabled(window_) != FALSE) != Wanted) EnableWindow(window_, Wanted);
}

// Twips to pixels at the screen's resolution, rounded to the nearest pixel.
int Command::TwipsToPixels(double Twips) const {
  double Pixels = Twips * dpi_ / 1440.0;
  if (!std::isfinite(Pixels)) return 0;
  Pixels = std::min(std::max(Pixels, -1e9), 1e9);
  return static_cast<int>(std::lround(Pixels));
}

// Twips within a state picture to its pixels: always 15 twips per pixel.
int Command::PictureTwipsToPixels(double Twips) {
  if (!std::isfinite(Twips)) return 0;
  return static_cast<int>(std::lround(std::min(std::max(Twips / 15.0, -1e9), 1e9)));
}

// Pixels to twips, for the positions the mouse handlers receive.
float Command::TwipsOf(int Pixels) const { return static_cast<float>(Pixels) * 1440.0f / static_cast<float>(dpi_); }

// --- Public surface ---

// A new DPI (the window moved to another monitor): the caption font is made
// anew and the face repainted for the size the window now has.
void Command::SetDpi(int Dpi) {
  if (Dpi <= 0 || Dpi == dpi_) return;
  dpi_ = Dpi;
  if (font_) DeleteObject(font_);
  font_ = nullptr;
  RebuildFont();
  OnSize();
}

// State 1 and the 100 ms poll.
void Command::Initialize() {
  core_.Initialize();
  if (core_.TimerRunning()) timerStarted_ = SetTimer(window_, kMouseTimerId, core_.TimerInterval(), nullptr) != 0;
}

// 255 while the face is opaque (repainting it), 0 while transparent.
uint8_t Command::Visible() { return core_.Visible(); }
// Shows (non-zero) or hides (zero) the face; the caption stays.
void Command::SetVisible(uint8_t New_Visible) { core_.SetVisible(New_Visible); }
// The caption colour; reading repaints the face.
uint32_t Command::FontColour() { return core_.FontColour(); }
// A new caption colour (black while FirstRun is 0).
void Command::SetFontColour(uint32_t New_FontColour) { core_.SetFontColour(New_FontColour); }

// Reading may enable a brand-new button: the window follows.
bool Command::Enabled() {
  bool Result = core_.Enabled();
  SyncWindowEnabled();
  return Result;
}

// Enables or disables the button and its window.
void Command::SetEnabled(bool New_Enabled) {
  core_.SetEnabled(New_Enabled);
  SyncWindowEnabled();
}

// The caption text.
std::wstring Command::Caption() const { return core_.Caption(); }
// A new caption text; the face is not repainted.
void Command::SetCaption(const std::wstring& New_Caption) { core_.SetCaption(New_Caption); }
// A copy of the caption font.
CaptionFont Command::Font() const { return core_.Font(); }
// A new caption font.
void Command::SetFont(const CaptionFont& New_Font) { core_.SetFont(New_Font); }

// Restores from the store; the window's enabled state follows.
void Command::ReadProperties(const PropertyStore& Store) {
  core_.ReadProperties(Store);
  SyncWindowEnabled();
}

// Saves into the store (defaults are not kept).
void Command::WriteProperties(PropertyStore& Store) { core_.WriteProperties(Store); }

// One pixel of the face image as 0x00RRGGBB.
uint32_t Command::FacePixel(int X, int Y) const {
  return face_.PixelAt(X, Y);
}

// --- FacePainter ---

// The control size in twips and its client size in pixels.
float Command::WidthTwips() const { return static_cast<float>(clientWidth_) * 1440.0f / static_cast<float>(dpi_); }
float Command::HeightTwips() const { return static_cast<float>(clientHeight_) * 1440.0f / static_cast<float>(dpi_); }
float Command::ClientWidthPixels() const { return static_cast<float>(clientWidth_); }
float Command::ClientHeightPixels() const { return static_cast<float>(clientHeight_); }

// The face image filled with the button-face colour.
void Command::Clear() {
  if (!face_.Pixels()) return;
  RECT All{0, 0, face_.Width(), face_.Height()};
  FillRect(face_.Dc(), &All, GetSysColorBrush(COLOR_BTNFACE));
}

// GradientFill into the face image.
void Command::FillGradient(const TriVertex* Vertices, uint32_t VertexCount, const GradientRect& Rect) {
  if (!face_.Pixels() || !Vertices || VertexCount == 0 || VertexCount > 3) return;
  if (Rect.UpperLeft >= VertexCount || Rect.LowerRight >= VertexCount) return;
  TRIVERTEX Points[3] = {};
  for (uint32_t i = 0; i < VertexCount; ++i) {
    Points[i].x = Vertices[i].x;
    Points[i].y = Vertices[i].y;
    Points[i].Red = Vertices[i].Red;
    Points[i].Green = Vertices[i].Green;
    Points[i].Blue = Vertices[i].Blue;
    Points[i].Alpha = Vertices[i].Alpha;
  }
  GRADIENT_RECT Mesh{Rect.UpperLeft, Rect.LowerRight};
  GradientFill(face_.Dc(), Points, VertexCount, &Mesh, 1, GRADIENT_FILL_RECT_V);
}

// One frame piece, stretched from the state picture onto the face image. The
// picture is 64 x 25 real pixels whatever the display's DPI, so the source is
// converted at its own 15 twips per pixel; only the destination, on the face,
// follows the display. The destination's edges are converted rather than its
// size, so neighbouring pieces meet without a gap or overlap.
void Command::CopyPiece(FacePicture Picture, const TwipsRect& Source, const TwipsRect& Destination) {
  const size_t Index = static_cast<size_t>(Picture);
  if (!face_.Pixels() || Index >= 6 || !pictures_[Index] || !pictureDC_) return;
  const int SourceX = PictureTwipsToPixels(Source.X);
  const int SourceY = PictureTwipsToPixels(Source.Y);
  const int SourceWidth = PictureTwipsToPixels(Source.X + Source.Width) - SourceX;
  const int SourceHeight = PictureTwipsToPixels(Source.Y + Source.Height) - SourceY;
  const int Left = TwipsToPixels(Destination.X);
  const int Top = TwipsToPixels(Destination.Y);
  const int Width = TwipsToPixels(static_cast<double>(Destination.X) + Destination.Width) - Left;
  const int Height = TwipsToPixels(static_cast<double>(Destination.Y) + Destination.Height) - Top;
  // A button smaller than its corners has no room for the piece.
  if (SourceWidth <= 0 || SourceHeight <= 0 || Width <= 0 || Height <= 0) return;
  HGDIOBJ Old = SelectObject(pictureDC_, pictures_[Index]);
  SetStretchBltMode(face_.Dc(), COLORONCOLOR);
  StretchBlt(face_.Dc(), Left, Top, Width, Height, pictureDC_, SourceX, SourceY, SourceWidth, SourceHeight, SRCCOPY);
  SelectObject(pictureDC_, Old);
}

// Shows the face as it now is.
void Command::Refresh() { InvalidateRect(window_, nullptr, FALSE); }

// The caption changed: a new font if needed, then a repaint.
void Command::CaptionChanged() {
  RebuildFont();
  InvalidateRect(window_, nullptr, FALSE);
}

}  // namespace sorvane
