// The gradient button's behaviour without a window: its state machine (pointer,
// focus, mouse buttons, hover poll), its properties and their persistence, and
// the face it paints. Painting goes through the FacePainter interface, which
// the Windows control (command_win32.h) implements and tests record. Portable;
// it owns no window, timer, bitmap or font.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "property_store.h"

namespace sorvane {

// The six state pictures a face's frame is cut from (64 x 25 pixels each).
enum class FacePicture : uint8_t { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };

// A gradient vertex as GradientFill takes it: position in pixels, 16-bit
// channels with the 8-bit colour in the high byte.
struct TriVertex {
  int32_t x = 0;
  int32_t y = 0;
  uint16_t Red = 0;
  uint16_t Green = 0;
  uint16_t Blue = 0;
  uint16_t Alpha = 0;
};

// The vertex pair of one gradient rectangle.
struct GradientRect {
  uint32_t UpperLeft = 0;
  uint32_t LowerRight = 0;
};

// A rectangle in twips.
struct TwipsRect {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

// The caption label LblMsg: it has no window; the surface draws it on top of
// the face. Top, Left, Width and Height are twips.
struct CaptionLabel {
  std::wstring Text = L"Command";
  uint32_t Colour = 0;  // &HBBGGRR; a value with the top bit set names a system colour
  CaptionFont Font = InitialCaptionFont();
  bool Enabled = true;
  float Top = 0;
  float Left = 0;
  float Width = 0;
  float Height = 195;
};

// The drawing surface of a button, as the face painting needs it.
class FacePainter {
 public:
  virtual ~FacePainter() = default;
  // The control's size in twips and its client size in pixels.
  virtual float WidthTwips() const = 0;
  virtual float HeightTwips() const = 0;
  virtual float ClientWidthPixels() const = 0;
  virtual float ClientHeightPixels() const = 0;
  // Clears the persistent face image to the background colour.
  virtual void Clear() = 0;
  // GradientFill with GRADIENT_FILL_RECT_V; vertices in pixels.
  virtual void FillGradient(const TriVertex* Vertices, uint32_t VertexCount, const GradientRect& Rect) = 0;
  // Copies Source (twips within the 960 x 375 picture) to Destination (twips
  // on the face), stretching where the sizes differ.
  virtual void CopyPiece(FacePicture Picture, const TwipsRect& Source, const TwipsRect& Destination) = 0;
  // Shows the face image as it now is.
  virtual void Refresh() = 0;
  // The caption label changed (text, colour, font, enabled, place): show it.
  virtual void CaptionChanged() = 0;
};

// The portable core of one button: ButtonState, ButtonHeld, Enabled, FirstRun
// and the rest of the per-instance values, with the handlers that change them.
class CommandCore {
 public:
  // Paints through Painter, which must outlive the core.
  explicit CommandCore(FacePainter& Painter);

  // Raised by a mouse release: the control's Click event.
  std::function<void()> OnClick;
  // Change notice: the named property changed and should be saved.
  std::function<void(const wchar_t* Property)> OnPropertyChanged;

  // --- Public method ---
  // Starts hover tracking: state 1 and the 100 ms poll; paints nothing.
  void Initialize();

  // --- Properties (getters with the side effects a host relies on) ---
  // 255 when the face is opaque (and then repaints Normal), 0 when transparent.
  uint8_t Visible();
  void SetVisible(uint8_t New_Visible);
  // The caption's text colour; reading repaints the face.
  uint32_t FontColour();
  void SetFontColour(uint32_t New_FontColour);
  // Reading enables a brand-new button (FirstRun 0) and repaints the face.
  bool Enabled();
  void SetEnabled(bool New_Enabled);
  const std::wstring& Caption() const { return LblMsg_.Text; }
  void SetCaption(const std::wstring& New_Caption);
  const CaptionFont& Font() const { return LblMsg_.Font; }
  void SetFont(const CaptionFont& New_Font);

  // --- Persistence ---
  // Restores Enabled, Caption, Font, FirstRun, FontColour, Visible in this
  // order, then ResetFace. An entry that cannot be converted leaves its
  // property as it was.
  void ReadProperties(const PropertyStore& Store);
  // Saves Enabled, Caption, FirstRun, Font, FontColour, Visible in this order
  // (values equal to their defaults are not kept), then ResetFace.
  void WriteProperties(PropertyStore& Store);

  // --- Events of the control (called by the platform side) ---
  void UserControl_EnterFocus();
  void UserControl_ExitFocus();
  // Button: 1 left, 2 right, 4 middle. Shift and position are not used.
  void UserControl_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void UserControl_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
  void UserControl_MouseUp(int16_t Button, int16_t Shift, float X, float Y);
  void UserControl_Resize();
  // A press ended without its release reaching the button (the mouse capture
  // went to another window): the button is no longer held and shows the face
  // of its state again.
  void UserControl_PressCancelled();
  // The poll: PointerOverButton says whether the window under the pointer is
  // the button's own window.
  void TmrMouse_Timer(bool PointerOverButton);
  // The keyboard on the focused button, as on a system push button: Space
  // shows the Pressed face while it is down and clicks when it comes up,
  // Enter clicks at once. KeyCode is a virtual-key code; Repeated marks the
  // key's automatic repeats, which change nothing.
  void UserControl_KeyDown(int16_t KeyCode, int16_t Shift, bool Repeated);
  void UserControl_KeyUp(int16_t KeyCode, int16_t Shift);

  // --- Read-only views for the platform side and tests (no side effects) ---
  uint8_t ButtonState() const { return ButtonState_; }
  bool ButtonHeld() const { return ButtonHeld_; }
  bool SpaceHeld() const { return SpaceHeld_; }
  bool IsEnabled() const { return Enabled_; }
  uint8_t FirstRun() const { return FirstRun_; }
  bool HighlightGradient() const { return HighlightGradient_; }
  bool Opaque() const { return Opaque_; }
  bool TimerRunning() const { return TmrMouseEnabled_; }
  uint32_t TimerInterval() const { return TmrMouseInterval_; }
  int16_t MidWidth() const { return MidWidth_; }
  int16_t MidHeight() const { return MidHeight_; }
  const CaptionLabel& LblMsg() const { return LblMsg_; }
  const TriVertex* FaceVertices() const { return FaceVertices_; }
  const GradientRect& FaceRect() const { return FaceRect_; }

 private:
  void PaintFace(FacePicture Picture);
  void PaintGradient();
  void ShowEnabledFace();
  void ResetFace();
  void EndHover();
  void Notify(const wchar_t* Property);
  void PaintStateFace();

  FacePainter& Painter_;
  uint8_t ButtonState_ = 0;
  bool ButtonHeld_ = false;
  bool SpaceHeld_ = false;  // Space went down on the focused button and has not come up
  bool Enabled_ = false;
  uint8_t FirstRun_ = 0;
  bool HighlightGradient_ = false;
  bool Opaque_ = true;
  bool TmrMouseEnabled_ = false;
  uint32_t TmrMouseInterval_ = 100;
  int16_t MidWidth_ = 0;
  int16_t MidHeight_ = 0;
  TriVertex FaceVertices_[3];
  GradientRect FaceRect_;
  CaptionLabel LblMsg_;
};

// --- Face geometry and colours, shared with tests ---

// The keys the button answers to (virtual-key codes).
constexpr int16_t kKeyReturn = 0x0D;
constexpr int16_t kKeySpace = 0x20;

// The two gradient colours as the face keeps them.
extern const char* const kGradientColourA;  // "&HFFFFFF", white
extern const char* const kGradientColourB;  // "&HC6C5D7", light lavender grey

// One 16-bit TRIVERTEX channel of a colour text: the two hexadecimal digits at
// Position (1 red, 3 green, 5 blue) in the high byte. 0 when the text is not a
// colour.
uint16_t GradientChannel(const std::string& ColourText, int Position);

// A middle size of the frame: Size - 120 twips rounded half to even, or
// Previous when that does not fit 16 bits.
int16_t MiddleSize(float SizeTwips, int16_t Previous);

// The eight frame pieces of a face with the given middle sizes, in painting
// order: Source within the picture, Destination on the face (twips).
struct FramePiece {
  TwipsRect Source;
  TwipsRect Destination;
};
void FramePieces(int16_t MidWidth, int16_t MidHeight, FramePiece (&Pieces)[8]);

}  // namespace sorvane
