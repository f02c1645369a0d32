// The gradient button's behaviour (command_core.h): state machine, properties,
// persistence and face painting through a FacePainter. Portable; the window,
// timer and drawing calls are the platform side's.

#include "command_core.h"

#include <cmath>
#include <cstdio>
#include <cctype>
#include <cstdlib>

#include "numeric.h"

namespace sorvane {

const char* const kGradientColourA = "&HFFFFFF";
const char* const kGradientColourB = "&HC6C5D7";

namespace {

// Keys of the property store.
const wchar_t* const kKeyEnabled = L"Enabled";
const wchar_t* const kKeyCaption = L"Caption";
const wchar_t* const kKeyFirstRun = L"FirstRun";
const wchar_t* const kKeyFont = L"Font";
const wchar_t* const kKeyFontColour = L"FontColour";
const wchar_t* const kKeyVisible = L"Visible";

// Corner size of the frame and size of a state picture, in twips.
constexpr int32_t kCorner = 60;
constexpr int32_t kPictureMidWidth = 840;   // 960 - 120
constexpr int32_t kPictureMidHeight = 255;  // 375 - 120

// The number a colour text names ("&H" and hexadecimal digits, or decimal).
bool ColourNumber(const std::string& Text, long& Value) {
  if (Text.size() > 2 && Text[0] == '&' && (Text[1] == 'H' || Text[1] == 'h')) {
    std::string Digits = Text.substr(2);
    if (Digits.empty() || Digits.size() > 8) return false;
    for (char c : Digits) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    Value = static_cast<long>(std::strtoul(Digits.c_str(), nullptr, 16));
    return true;
  }
  if (Text.empty() || Text.size() > 10) return false;
  for (char c : Text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  Value = std::strtol(Text.c_str(), nullptr, 10);
  return true;
}

}  // namespace

// Two hexadecimal digits of the colour's text, moved into the high byte.
uint16_t GradientChannel(const std::string& ColourText, int Position) {
  long Value = 0;
  if (!ColourNumber(ColourText, Value) || Position < 1) return 0;
  char Hex[16];
  // Six digits at least, so a colour with a zero red channel keeps its green
  // and blue in their places.
  std::snprintf(Hex, sizeof Hex, "%06lX", static_cast<unsigned long>(Value) & 0xFFFFFFFFul);
  std::string Digits(Hex);
  if (static_cast<size_t>(Position - 1) >= Digits.size()) return 0;
  std::string Pair = Digits.substr(static_cast<size_t>(Position - 1), 2);
  unsigned long Byte = std::strtoul(Pair.c_str(), nullptr, 16);
  return static_cast<uint16_t>((Byte & 0xFF) << 8);
}

// Size - 120 rounded half to even, or Previous when it overflows 16 bits.
int16_t MiddleSize(float SizeTwips, int16_t Previous) {
  float Middle = SizeTwips - 120.0f;
  if (!std::isfinite(Middle)) return Previous;
  double Rounded = RoundHalfEven(Middle);
  if (Rounded < -32768.0 || Rounded > 32767.0) return Previous;
  return static_cast<int16_t>(Rounded);
}

// The eight pieces: corners unstretched, edges stretched to the middle sizes.
void FramePieces(int16_t MidWidth, int16_t MidHeight, FramePiece (&Pieces)[8]) {
  // 32-bit, so a 16-bit middle size near its limit still places the right
  // column and the bottom row.
  const int32_t X = kCorner + MidWidth;
  const int32_t Y = kCorner + MidHeight;
  const int32_t Bottom = 375 - kCorner;  // 315
  const int32_t Right = 960 - kCorner;   // 900
  Pieces[0] = {{0, 0, kCorner, kCorner}, {1, 1, kCorner, kCorner}};
  Pieces[1] = {{kCorner, 1, kPictureMidWidth, kCorner}, {kCorner, 1, MidWidth, kCorner}};
  Pieces[2] = {{Right, 1, kCorner, kCorner}, {X, 1, kCorner, kCorner}};
  Pieces[3] = {{Right, kCorner, kCorner, kPictureMidHeight}, {X, kCorner, kCorner, MidHeight}};
  Pieces[4] = {{Right, Bottom, kCorner, kCorner}, {X, Y, kCorner, kCorner}};
  Pieces[5] = {{kCorner, Bottom, kPictureMidWidth, kCorner}, {kCorner, Y, MidWidth, kCorner}};
  Pieces[6] = {{0, Bottom, kCorner, kCorner}, {1, Y, kCorner, kCorner}};
  Pieces[7] = {{1, kCorner, kCorner, kPictureMidHeight}, {1, kCorner, kCorner, MidHeight}};
}

// A new instance: disabled, FirstRun 0, state 0, caption "Command".
CommandCore::CommandCore(FacePainter& Painter) : Painter_(Painter) {}

// Tells the host that a property changed.
void CommandCore::Notify(const wchar_t* Property) {
  if (OnPropertyChanged) OnPropertyChanged(Property);
}

// State 1 and the poll on; nothing painted.
void CommandCore::Initialize() {
  ButtonState_ = 1;
  TmrMouseEnabled_ = true;
  TmrMouseInterval_ = 100;
}

// 255 while opaque (repainting the face), 0 while transparent.
uint8_t CommandCore::Visible() {
  if (Opaque_) {
    ResetFace();
    return 255;
  }
  return 0;
}

// Non-zero shows the face, zero hides it and keeps the caption.
void CommandCore::SetVisible(uint8_t New_Visible) {
  if (New_Visible != 0) {
    Opaque_ = true;
    ResetFace();
  } else {
    Opaque_ = false;
  }
  Painter_.Refresh();
  Notify(kKeyVisible);
}

// The caption colour as it was, then the face repainted.
uint32_t CommandCore::FontColour() {
  uint32_t Colour = LblMsg_.Colour;
  ResetFace();
  return Colour;
}

// Sets the caption colour (a first-run button turns it black again).
void CommandCore::SetFontColour(uint32_t New_FontColour) {
  LblMsg_.Colour = New_FontColour;
  Painter_.CaptionChanged();
  ResetFace();
  Notify(kKeyFontColour);
}

// Enables a brand-new button, then repaints the face for the enabled state.
bool CommandCore::Enabled() {
  if (FirstRun_ == 0) {
    ResetFace();
    FirstRun_ = 1;
    Enabled_ = true;
  }
  bool Result = Enabled_;
  ShowEnabledFace();
  return Result;
}

// Enables or disables the button and paints Normal or Disable.
void CommandCore::SetEnabled(bool New_Enabled) {
  Enabled_ = New_Enabled;
  Notify(kKeyEnabled);
  ShowEnabledFace();
}

// New caption text; the face is not repainted.
void CommandCore::SetCaption(const std::wstring& New_Caption) {
  LblMsg_.Text = New_Caption;
  Painter_.CaptionChanged();
  Notify(kKeyCaption);
}

// New caption font.
void CommandCore::SetFont(const CaptionFont& New_Font) {
  LblMsg_.Font = New_Font;
  Painter_.CaptionChanged();
  Notify(kKeyFont);
}

// Restores the properties; unreadable entries leave them as they were.
void CommandCore::ReadProperties(const PropertyStore& Store) {
  if (auto Value = Store.ReadProperty(kKeyEnabled, PropertyValue::Boolean(true)).AsBoolean()) {
    Enabled_ = *Value;
  }
  if (auto Value = Store.ReadProperty(kKeyCaption, PropertyValue::Text(L"Command1")).AsText()) {
    LblMsg_.Text = *Value;
  }
  if (auto Value = Store.ReadProperty(kKeyFont, PropertyValue::Font(Store.AmbientFont)).AsFont()) {
    LblMsg_.Font = *Value;
  }
  if (auto Value = Store.ReadProperty(kKeyFirstRun, PropertyValue::Text(L"1")).AsByte()) {
    FirstRun_ = *Value;
  }
  if (auto Value = Store.ReadProperty(kKeyFontColour, PropertyValue::Text(L"0")).AsLong()) {
    LblMsg_.Colour = static_cast<uint32_t>(*Value);
  }
  if (auto Value = Store.ReadProperty(kKeyVisible, PropertyValue::Text(L"1")).AsInteger()) {
    // A background style is opaque (1) or transparent (0); nothing else.
    if (*Value == 0 || *Value == 1) Opaque_ = *Value == 1;
  }
  Painter_.CaptionChanged();
  Painter_.Refresh();
  ResetFace();
}

// Saves the properties; values equal to the writer's defaults are not kept.
void CommandCore::WriteProperties(PropertyStore& Store) {
  Store.WriteProperty(kKeyEnabled, PropertyValue::Boolean(Enabled_), PropertyValue::Boolean(true));
  Store.WriteProperty(kKeyCaption, PropertyValue::Text(LblMsg_.Text), PropertyValue::Text(L"Command"));
  Store.WriteProperty(kKeyFirstRun, PropertyValue::Number(FirstRun_), PropertyValue::Text(L"1"));
  Store.WriteProperty(kKeyFont, PropertyValue::Font(LblMsg_.Font), PropertyValue::Font(Store.AmbientFont));
  Store.WriteProperty(kKeyFontColour, PropertyValue::Number(static_cast<int32_t>(LblMsg_.Colour)),
                      PropertyValue::Text(L"0"));
  Store.WriteProperty(kKeyVisible, PropertyValue::Number(Opaque_ ? 1 : 0), PropertyValue::Text(L"1"));
  ResetFace();
}

// Focus arrives: Selected, or Pressed when hovered.
void CommandCore::UserControl_EnterFocus() {
  if (!Enabled_) return;
  if (ButtonState_ != 2) {
    ButtonState_ = 3;
    PaintFace(FacePicture::Selected);
  }
  if (ButtonState_ == 2) {
    ButtonState_ = 4;
    PaintFace(FacePicture::Pressed);
  }
}

// Focus leaves: back to Normal. A Space held down is let go without a click.
void CommandCore::UserControl_ExitFocus() {
  if (!Enabled_) return;
  const bool spaceWasHeld = SpaceHeld_;
  SpaceHeld_ = false;
  if (ButtonState_ != 1) {
    ButtonState_ = 1;
    PaintFace(FacePicture::Normal);
  } else if (spaceWasHeld) {
    PaintFace(FacePicture::Normal);
  }
}

// A left press holds the button and paints Pressed.
void CommandCore::UserControl_MouseDown(int16_t Button, int16_t, float, float) {
  if (!Enabled_ || Button != 1) return;
  ButtonHeld_ = true;
  PaintFace(FacePicture::Pressed);
}

// The pointer arrives: HighLight, or HighLightSelect on a focused button.
void CommandCore::UserControl_MouseMove(int16_t, int16_t, float, float) {
  if (!Enabled_) return;
  if (ButtonState_ == 1) {
    ButtonState_ = 2;
    PaintFace(FacePicture::HighLight);
  }
  if (ButtonState_ == 3 && !ButtonHeld_) {
    ButtonState_ = 4;
    PaintFace(FacePicture::HighLightSelect);
  }
}

// A release: repaint after a left release, then Click unless the pointer
// left a focused button.
void CommandCore::UserControl_MouseUp(int16_t Button, int16_t, float, float) {
  if (!Enabled_) return;
  if (Button == 1) {
    ButtonHeld_ = false;
    if (ButtonState_ == 2) PaintFace(FacePicture::Normal);
    if (ButtonState_ == 4) PaintFace(FacePicture::HighLightSelect);
  }
  if (Enabled_ && ButtonState_ != 3 && OnClick) OnClick();
}

// A new size: the face for the enabled state, whatever ButtonState is.
void CommandCore::UserControl_Resize() { ShowEnabledFace(); }

// A lost press: no longer held; the face of the state it is in.
void CommandCore::UserControl_PressCancelled() {
  if (!Enabled_ || !ButtonHeld_) return;
  ButtonHeld_ = false;
  PaintStateFace();
}

// The face that stands for the state itself, without a press.
void CommandCore::PaintStateFace() {
  switch (ButtonState_) {
    case 2: PaintFace(FacePicture::HighLight); break;
    case 3: PaintFace(FacePicture::Selected); break;
    case 4: PaintFace(FacePicture::HighLightSelect); break;
    default: PaintFace(FacePicture::Normal); break;
  }
}

// Space down: Pressed until it comes up. Enter: a click.
void CommandCore::UserControl_KeyDown(int16_t KeyCode, int16_t, bool Repeated) {
  if (!Enabled_ || Repeated) return;
  if (KeyCode == kKeySpace && !SpaceHeld_) {
    SpaceHeld_ = true;
    PaintFace(FacePicture::Pressed);
  } else if (KeyCode == kKeyReturn && !SpaceHeld_ && OnClick) {
    OnClick();
  }
}

// Space up after its press: the face of the state again, then a click.
void CommandCore::UserControl_KeyUp(int16_t KeyCode, int16_t) {
  if (!Enabled_ || KeyCode != kKeySpace || !SpaceHeld_) return;
  SpaceHeld_ = false;
  PaintStateFace();
  if (OnClick) OnClick();
}

// The poll: the hover ends when the pointer is not over the button.
void CommandCore::TmrMouse_Timer(bool PointerOverButton) {
  if (!TmrMouseEnabled_) return;
  if (!PointerOverButton) EndHover();
}

// Hovered states fall back to their unhovered ones.
void CommandCore::EndHover() {
  if (!Enabled_) return;
  if (ButtonState_ == 2) {
    ButtonState_ = 1;
    PaintFace(FacePicture::Normal);
  }
  if (ButtonState_ == 4) {
    ButtonState_ = 3;
    PaintFace(FacePicture::Selected);
  }
}

// Normal and an enabled caption, or Disable and a disabled caption.
void CommandCore::ShowEnabledFace() {
  if (Enabled_) {
    PaintFace(FacePicture::Normal);
    LblMsg_.Enabled = true;
  } else {
    PaintFace(FacePicture::Disable);
    LblMsg_.Enabled = false;
  }
  Painter_.CaptionChanged();
}

// Normal face on an enabled button; a first-run button's caption goes black.
void CommandCore::ResetFace() {
  if (!Enabled_) return;
  LblMsg_.Enabled = true;
  if (FirstRun_ == 0) LblMsg_.Colour = 0;
  PaintFace(FacePicture::Normal);
}

// Gradient, eight frame pieces of Picture, caption placed.
void CommandCore::PaintFace(FacePicture Picture) {
  if (ButtonState_ == 1 || ButtonState_ == 3) HighlightGradient_ = false;
  if (ButtonState_ == 2) HighlightGradient_ = true;

  const float W = Painter_.WidthTwips();
  const float H = Painter_.HeightTwips();
  MidWidth_ = MiddleSize(W, MidWidth_);
  MidHeight_ = MiddleSize(H, MidHeight_);

  Painter_.Clear();
  PaintGradient();

  FramePiece Pieces[8];
  FramePieces(MidWidth_, MidHeight_, Pieces);
  for (const FramePiece& Piece : Pieces) Painter_.CopyPiece(Picture, Piece.Source, Piece.Destination);
  Painter_.Refresh();

  LblMsg_.Top = (H - LblMsg_.Height - 20.0f) / 2.0f;
  LblMsg_.Left = 0;
  LblMsg_.Width = W;
  Painter_.CaptionChanged();
}

// The vertical two-colour gradient over the client area, in pixels.
void CommandCore::PaintGradient() {
  const char* Top = HighlightGradient_ ? kGradientColourB : kGradientColourA;
  const char* Bottom = HighlightGradient_ ? kGradientColourA : kGradientColourB;
  TriVertex& V0 = FaceVertices_[0];
  TriVertex& V1 = FaceVertices_[1];
  V0.Red = GradientChannel(Top, 1);
  V0.Green = GradientChannel(Top, 3);
  V0.Blue = GradientChannel(Top, 5);
  V1.Red = GradientChannel(Bottom, 1);
  V1.Green = GradientChannel(Bottom, 3);
  V1.Blue = GradientChannel(Bottom, 5);

  // Far corner one pixel in: the last row and column are left to the frame.
  auto Corner = [](float Pixels, int32_t Previous) {
    float Far = Pixels - 1.0f;
    if (!std::isfinite(Far)) return Previous;
    double Rounded = RoundHalfEven(Far);
    if (Rounded < -2147483648.0 || Rounded > 2147483647.0) return Previous;
    return static_cast<int32_t>(Rounded);
  };
  V0.x = 0;
  V0.y = 0;
  V1.x = Corner(Painter_.ClientWidthPixels(), V1.x);
  V1.y = Corner(Painter_.ClientHeightPixels(), V1.y);

  FaceRect_.UpperLeft = 1;
  FaceRect_.LowerRight = 0;
  Painter_.FillGradient(FaceVertices_, 2, FaceRect_);
  Painter_.Refresh();
}

}  // namespace sorvane
