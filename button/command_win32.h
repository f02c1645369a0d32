// The gradient button `Command` (type name Sorvane.Command) as a Windows child
// window of class L"Sorvane.Command". Pairs with command_core.h, which holds
// its behaviour; this file gives it a window, a persistent face image, the six
// state pictures, the caption font, the 100 ms hover poll, and the mouse,
// focus and key messages (Space and Enter click the focused button, which
// shows a focus rectangle).
//
// Hosting, in short:
//   Command* Button = Command::Create(Form, IdOfButton, X, Y, Width, Height);
//   PropertyStore Store;                         // kept with the form layout
//   Store.Set(L"Caption", PropertyValue::Text(L"設定"));
//   Button->ReadProperties(Store);              // enabled, Normal face
//   Button->OnClick = [] { ... };
//   Button->Initialize();                        // starts hover tracking
// The window owns its Command: DestroyWindow (or destroying the form) deletes
// it. Command::FromWindow finds the Command of a child window (nullptr for any
// other window), so a host can walk its children and pick the buttons out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "command_core.h"
#include "gdi_win32.h"
#include "property_store.h"

namespace sorvane {

// Window class name of the gradient button.
extern const wchar_t* const kCommandClassName;  // L"Sorvane.Command"

class Command final : private FacePainter {
 public:
  // Makes a button as a visible child of Parent at X, Y with the given size
  // (pixels), control id Id. Its values are those of a new instance (disabled,
  // FirstRun 0, caption "Command") until ReadProperties or a setter changes
  // them. nullptr when the window cannot be made.
  static Command* Create(HWND Parent, int Id, int X, int Y, int Width, int Height);

  // The button of Window, or nullptr when Window is not a gradient button.
  static Command* FromWindow(HWND Window);

  HWND Window() const { return window_; }

  // Raised when a press is released over the button (the Click event).
  std::function<void()> OnClick;
  // Change notice: the named property changed.
  std::function<void(const wchar_t* Property)> OnPropertyChanged;

  // The dots per inch the button is drawn at: the window's own when it is
  // made; SetDpi takes a new one (after WM_DPICHANGED of the form) and
  // repaints. Sizes and positions stay the host's to set.
  int Dpi() const { return dpi_; }
  void SetDpi(int Dpi);

  // Starts hover tracking (state 1 and the 100 ms poll).
  void Initialize();

  // Properties. Reading Visible (while opaque), FontColour or Enabled
  // repaints the face.
  uint8_t Visible();
  void SetVisible(uint8_t New_Visible);
  uint32_t FontColour();
  void SetFontColour(uint32_t New_FontColour);
  bool Enabled();
  void SetEnabled(bool New_Enabled);
  std::wstring Caption() const;
  void SetCaption(const std::wstring& New_Caption);
  CaptionFont Font() const;
  void SetFont(const CaptionFont& New_Font);

  void ReadProperties(const PropertyStore& Store);
  void WriteProperties(PropertyStore& Store);

  // The behaviour inside, for tests and diagnostics.
  const CommandCore& Core() const { return core_; }
  // The persistent face image (gradient and frame, no caption): its size and
  // one pixel as 0x00RRGGBB; 0xFFFFFFFF outside the image.
  int FaceWidth() const { return face_.Width(); }
  int FaceHeight() const { return face_.Height(); }
  uint32_t FacePixel(int X, int Y) const;
  // The font the caption is drawn with, and the face name it was made from.
  HFONT CaptionFontHandle() const { return font_; }
  const std::wstring& CaptionFaceName() const { return fontFace_; }

 private:
  explicit Command(HWND Window);
  ~Command() override;

  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam);

  // Message handlers.
  void OnPaint();
  void OnPrintClient(HDC Target);
  void OnSize();
  void OnButtonDown(UINT Message, WPARAM WParam, LPARAM LParam);
  void OnButtonUp(UINT Message, WPARAM WParam, LPARAM LParam);
  void OnMouseMove(WPARAM WParam, LPARAM LParam);
  void OnTimer();
  void OnCaptureChanged();
  void OnKey(UINT Message, WPARAM Key, LPARAM Flags);
  LRESULT OnGetDlgCode(const MSG* Message) const;

  // The whole visible button (face or parent background, then caption) into Target.
  void Render(HDC Target);
  void DrawParentBackground(HDC Target);
  void DrawCaption(HDC Target);
  void DrawFocusFrame(HDC Target);
  void RebuildFaceImage(int Width, int Height);
  void RebuildFont();
  void SyncWindowEnabled();
  int TwipsToPixels(double Twips) const;
  static int PictureTwipsToPixels(double Twips);
  float TwipsOf(int Pixels) const;

  // FacePainter
  float WidthTwips() const override;
  float HeightTwips() const override;
  float ClientWidthPixels() const override;
  float ClientHeightPixels() const override;
  void Clear() override;
  void FillGradient(const TriVertex* Vertices, uint32_t VertexCount, const GradientRect& Rect) override;
  void CopyPiece(FacePicture Picture, const TwipsRect& Source, const TwipsRect& Destination) override;
  void Refresh() override;
  void CaptionChanged() override;

  HWND window_ = nullptr;
  CommandCore core_;
  int dpi_ = 96;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  bool sized_ = false;
  PersistentImage face_;  // the persistent face image
  // The six state pictures, in FacePicture order.
  HBITMAP pictures_[6] = {};
  HDC pictureDC_ = nullptr;
  HFONT font_ = nullptr;
  CaptionFont fontMadeFrom_;
  std::wstring fontFace_;
  bool timerStarted_ = false;
  bool captured_ = false;
  bool releasingCapture_ = false;
  unsigned pressedHere_ = 0;  // mouse buttons pressed on this button and not yet released
  bool drawingParent_ = false;
};

}  // namespace sorvane
