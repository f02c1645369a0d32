// The settings dialog `Sorvane_P` (pairs with settings_dialog_win32.h). The
// form, the panels and the sample box keep persistent images (32-bit DIB
// sections) that their paint routine copies to the screen; labels and heading
// frames are drawn over those images at paint time, so the gradient and the
// tiles show through them. The photo chooser lives in photo_chooser_win32.cpp,
// the folder chooser in folder_chooser_win32.cpp.

#include "settings_dialog_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "chooser_filter.h"
#include "command_win32.h"
#include "gdi_win32.h"
#include "paths.h"
#include "photo_chooser_win32.h"
#include "picture_file.h"
#include "resource_ids.h"
#include "startup_win32.h"
#include "text_win32.h"
#include "wic_codecs_win32.h"
#include "window_helpers_win32.h"

namespace sorvane {

const wchar_t* const kCreditText = L"Sorvane 1.01 (c) 2026";
const wchar_t* const kAddressText = L"https://sorvane.example.org/";

namespace {

const wchar_t* const kFormClass = L"Sorvane_P";
const wchar_t* const kHolderClass = L"Sorvane_PictureBox";

// Posted to the form to destroy it after a button's click handler has returned.
constexpr UINT kDestroyLater = WM_APP + 1;

// Posted to the form by the worker thread when a folder's sample is found.
constexpr UINT kFolderSampleFound = WM_APP + 2;

// Surfaces with a persistent image.
enum SurfaceIndex { kForm = 0, kPicB = 1, kPicD = 2, kDisplay = 3, kPicF = 4, kSurfaceCount = 5 };

// Control identifiers (child window ids).
enum ControlId {
  kIdPicB = 100, kIdPicD, kIdPname, kIdDisplay, kIdVSMulti, kIdVSSize, kIdCmdPic, kIdCmdCan, kIdCmdSet,
  kIdPicF, kIdCmdFolder, kIdVSChange
};

// Grey background of the form and the panels (&H808080).
constexpr COLORREF kGrey = RGB(128, 128, 128);

// Light-yellow text of the web address (&HC0FFFF).
constexpr COLORREF kAddressColour = RGB(255, 255, 192);

// Label colours: a system colour index, or an explicit colour.
enum class LabelColourKind { WindowText, ButtonText, White, Address };

// One row of the label table.
struct LabelLayout {
  int Surface;
  int X, Y, Width, Height;
  const wchar_t* Text;  // UTF-16 literal
  bool Centred;
  LabelColourKind Colour;
};

const LabelLayout kLabelLayouts[kLabelCount] = {
    {kPicB, 8, 16, 95, 13, L"\u5199\u771F\u306E\u9078\u629E", true, LabelColourKind::WindowText},  // 写真の選択
    {kPicB, 128, 36, 92, 13, L"\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99\u3092\u6307\u5B9A", false,
     LabelColourKind::ButtonText},  // 画像ﾌｧｲﾙを指定
    {kPicB, 108, 8, 141, 13, L"<\u9078\u629E\u306A\u3057\u306F\uFF83\uFF9E\uFF8C\uFF6B\uFF99\uFF84\u753B\u50CF>",
     false, LabelColourKind::WindowText},  // <選択なしはﾃﾞﾌｫﾙﾄ画像>
    {kPicD, 8, 16, 95, 13, L"\u540C\u6642\u8868\u793A\u6570", true, LabelColourKind::WindowText},      // 同時表示数
    {kPicD, 196, 16, 95, 13, L"\u753B\u50CF\u306E\u5927\u304D\u3055", true, LabelColourKind::WindowText},  // 画像の大きさ
    {kPicD, 320, 72, 13, 13, L"\u5C0F", false, LabelColourKind::WindowText},  // 小
    {kPicD, 320, 8, 13, 13, L"\u5927", false, LabelColourKind::WindowText},   // 大
    {kPicD, 132, 8, 13, 13, L"\u591A", false, LabelColourKind::WindowText},   // 多
    {kPicD, 132, 72, 13, 13, L"\u5C11", false, LabelColourKind::WindowText},  // 少
    {kForm, 12, 232, 165, 13, nullptr, false, LabelColourKind::White},        // credit
    {kPicD, 132, 40, 15, 13, L"99", false, LabelColourKind::WindowText},      // lbl_Multi
    {kPicD, 320, 40, 15, 13, L"99", false, LabelColourKind::WindowText},      // lbl_Size
    {kForm, 12, 248, 214, 13, nullptr, false, LabelColourKind::Address},      // lbl_URL
    // The folder panel: a section heading, the interval's heading, its ends
    // (top the longest), the interval and the folder's count.
    {kPicF, 8, 16, 95, 13, L"\u5199\u771F\u306E\uFF8C\uFF6B\uFF99\uFF80\uFF9E", true,
     LabelColourKind::WindowText},                                                                  // 写真のﾌｫﾙﾀﾞ
    {kPicF, 180, 16, 95, 13, L"\u5207\u66FF\u9593\u9694", true, LabelColourKind::WindowText},  // 切替間隔
    {kPicF, 304, 8, 13, 13, L"\u9577", false, LabelColourKind::WindowText},                       // 長
    {kPicF, 304, 48, 13, 13, L"\u77ED", false, LabelColourKind::WindowText},                      // 短
    {kPicF, 304, 28, 55, 13, L"99", false, LabelColourKind::WindowText},                           // lbl_Change
    {kPicF, 8, 44, 165, 13, nullptr, false, LabelColourKind::WindowText},                          // lbl_Count
};

// Where each child window sits in its container, in pixels at 96 dpi (the
// sample box's size is the sample's own, set by ShowSample).
struct ControlLayout {
  DialogControl Which;
  int X, Y, Width, Height;
};
const ControlLayout kControlLayouts[] = {
    {DialogControl::Pic_B, 12, 16, 365, 101},  {DialogControl::Pname, 8, 56, 257, 33},
    {DialogControl::Cmd_Pic, 228, 32, 37, 21}, {DialogControl::Display, 272, 8, 80, 80},
    {DialogControl::Cmd_Can, 232, 236, 73, 25}, {DialogControl::Cmd_Set, 304, 236, 73, 25},
    {DialogControl::Pic_D, 12, 124, 365, 97},  {DialogControl::VS_Multi, 112, 8, 17, 77},
    {DialogControl::VS_Size, 300, 8, 17, 77},
    // Below the buttons: the folder panel.
    {DialogControl::Pic_F, 12, 268, 365, 73},  {DialogControl::Cmd_Folder, 108, 12, 37, 21},
    {DialogControl::VS_Change, 284, 8, 17, 53},
};

// Window styles of the form.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

// Heading frames Shape1(0..2): surface and rectangle.
struct ShapeLayout {
  int Surface;
  int X, Y, Width, Height;
};
const ShapeLayout kShapes[kFrameCount] = {{kPicB, 8, 8, 93, 29}, {kPicD, 8, 8, 93, 29}, {kPicD, 196, 8, 93, 29},
                                          {kPicF, 8, 8, 93, 29}, {kPicF, 180, 8, 93, 29}};

// The dialog's font: ＭＳ Ｐゴシック 9.75 pt, Shift-JIS, or the stand-in face
// the system has where that one is missing.
HFONT CreateDialogFont(int Dpi, bool Underline) {
  const std::wstring face = AvailableFace(kJapaneseUiFace);
  return CreateFontW(-MulDiv(975, Dpi, 7200), 0, 0, 0, FW_NORMAL, FALSE, Underline ? TRUE : FALSE, FALSE,
                     SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

// The title of the dialog's message boxes. Not the dialog's own title: the
// single-instance guard looks for that one.
const wchar_t* const kMessageTitle = L"Sorvane";

}  // namespace

// A window of the dialog with a persistent image.
struct Sorvane_P::Surface {
  HWND Window = nullptr;
  Sorvane_P* Owner = nullptr;
  int Index = 0;
  PersistentImage Image;
};

// A label: one line of text drawn with a transparent background over its
// container. The text is not cut at the label's box: a fallback font a little
// wider than the layout's own must not turn "30" into "3".
struct Sorvane_P::Label {
  int Surface = kForm;
  RECT Rect{};
  std::wstring Text;
  bool Centred = false;
  bool Underlined = false;
  LabelColourKind Colour = LabelColourKind::WindowText;
};

// Keeps the host; the window is made by Open.
Sorvane_P::Sorvane_P(SettingsDialogHost Host)
    : host_(std::move(Host)), surfaces_(new Surface[kSurfaceCount]), labels_(new Label[kLabelCount]) {
  for (int i = 0; i < kSurfaceCount; ++i) {
    surfaces_[i].Owner = this;
    surfaces_[i].Index = i;
  }
}

// Destroys the window if it is still there and frees the GDI objects.
Sorvane_P::~Sorvane_P() {
  AbandonSearch();
  ReleaseOwner();
  if (form_ && IsWindow(form_)) DestroyWindow(form_);
  for (int i = 0; i < kSurfaceCount; ++i) surfaces_[i].Image.Release();
  if (marbleDc_) {
    SelectObject(marbleDc_, marbleOld_);
    DeleteDC(marbleDc_);
  }
  if (marble_) DeleteObject(marble_);
  if (font_) DeleteObject(font_);
  if (underlined_) DeleteObject(underlined_);
}

// A layout coordinate in 96-dpi pixels at the dialog's DPI.
int Sorvane_P::Scale(int Pixels96) const { return TwipsToPixels(Pixels96 * 15.0, dpi_); }

// A window placed by its layout edges at the dialog's DPI, so neighbours that
// meet at 96 dpi meet at every DPI.
void Sorvane_P::Place(HWND Window, int X, int Y, int Width, int Height) {
  if (!Window) return;
  SetWindowPos(Window, nullptr, Scale(X), Scale(Y), Scale(X + Width) - Scale(X), Scale(Y + Height) - Scale(Y),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The settings file to write, named anew at every write.
std::string Sorvane_P::SettingsFile() const {
  return host_.SettingsFile.empty() ? SettingsFileName() : host_.SettingsFile;
}

// Ends the program, or tells the host that it would end.
void Sorvane_P::EndTheProgram() {
  if (host_.EndProgram) {
    host_.EndProgram();
  } else {
    EndProgram();
  }
}

// Registers the window classes, loads font and tile, makes the form and shows it.
bool Sorvane_P::Open() {
  if (!host_.Settings) return false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = FormProc;
  form.hInstance = instance;
  form.style = CS_DBLCLKS;  // a double click on the address is one click and a double click
  form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SORVANE));
  form.lpszClassName = kFormClass;
  RegisterClassExW(&form);  // a second dialog in one process finds it registered
  WNDCLASSEXW holder{};
  holder.cbSize = sizeof holder;
  holder.lpfnWndProc = HolderProc;
  holder.hInstance = instance;
  holder.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  holder.lpszClassName = kHolderClass;
  RegisterClassExW(&holder);

  // The tile picture (Pic_Mbl).
  marble_ = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDB_MARBLE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (marble_) {
    BITMAP info{};
    GetObjectW(marble_, sizeof info, &info);
    marbleDc_ = CreateCompatibleDC(nullptr);
    if (marbleDc_) {
      marbleOld_ = SelectObject(marbleDc_, marble_);
      marbleWidth_ = info.bmWidth;
      marbleHeight_ = info.bmHeight;
    }
  }

  // Made at the default place first: the monitor it opens on gives the DPI
  // that everything is laid out at; Form_Load then sizes and places it.
  HWND owner = host_.Owner && IsWindow(host_.Owner) ? host_.Owner : nullptr;
  form_ = CreateWindowExW(kFormExStyle, kFormClass, kSettingsWindowTitle, kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          Scale(413), Scale(300), owner, nullptr, instance, this);
  if (!form_) return false;
  dpi_ = WindowDpi(form_);
  CreateControls();
  LayOut();
  Form_Load();
  // Modal to its owner, as a dialog box is: the owner takes no input until
  // the dialog has gone.
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(form_, SW_SHOWNORMAL);
  UpdateWindow(form_);
  SetForegroundWindow(form_);
  if (pname_) SetFocus(pname_);
  return true;
}

// One gradient button with its caption and font, wired to its click handler.
Command* Sorvane_P::MakeButton(HWND Parent, int Id, const wchar_t* Caption) {
  Command* button = Command::Create(Parent, Id, 0, 0, 0, 0);
  if (!button) return nullptr;
  // What the form's layout keeps for each button: its caption and font.
  PropertyStore store;
  store.Set(L"Caption", PropertyValue::Text(Caption));
  store.Set(L"Font", PropertyValue::Font(InitialCaptionFont()));
  button->ReadProperties(store);
  button->OnClick = [this, Id] {
    if (Id == kIdCmdPic) Cmd_Pic_Click();
    if (Id == kIdCmdFolder) Cmd_Folder_Click();
    if (Id == kIdCmdCan) Cmd_Can_Click();
    if (Id == kIdCmdSet) Cmd_Set_Click();
  };
  HWND window = button->Window();
  SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_TABSTOP);
  return button;
}

// A picture box (panel or sample box); LayOut gives it its place and image.
HWND Sorvane_P::CreateHolder(HWND Parent, int Index, DWORD ExStyle) {
  Surface& s = surfaces_[Index];
  const int id = Index == kPicF ? kIdPicF : Index == kDisplay ? kIdDisplay : kIdPicB + Index - 1;
  s.Window = CreateWindowExW(ExStyle, kHolderClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, Parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), &s);
  return s.Window;
}

// Every control of the form, in tab order.
bool Sorvane_P::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // Labels first: they are data drawn by their containers.
  for (int i = 0; i < kLabelCount; ++i) {
    const LabelLayout& layout = kLabelLayouts[i];
    Label& label = labels_[i];
    label.Surface = layout.Surface;
    label.Centred = layout.Centred;
    label.Colour = layout.Colour;
    label.Text = layout.Text ? layout.Text : L"";
  }
  labels_[static_cast<int>(DialogLabel::lbl9)].Text = kCreditText;
  labels_[static_cast<int>(DialogLabel::lbl_URL)].Text = kAddressText;
  labels_[static_cast<int>(DialogLabel::lbl_URL)].Underlined = true;

  // Creation order is the tab order: Pname, Cmd_Pic, Cmd_Can, Cmd_Set,
  // VS_Multi, VS_Size, then the folder panel's Cmd_Folder and VS_Change (the
  // panels pass the walk into their children).
  HWND picB = CreateHolder(form_, kPicB, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT);
  pname_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                           0, 0, picB, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPname)), instance, nullptr);
  cmdPic_ = MakeButton(picB, kIdCmdPic, L"...");
  CreateHolder(picB, kDisplay, 0);
  cmdCan_ = MakeButton(form_, kIdCmdCan, L"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");  // ｷｬﾝｾﾙ
  cmdSet_ = MakeButton(form_, kIdCmdSet, L"\u8A2D\u5B9A");                     // 設定
  HWND picD = CreateHolder(form_, kPicD, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT);
  const DWORD barStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_VERT;
  vsMulti_ = CreateWindowExW(0, L"SCROLLBAR", L"", barStyle, 0, 0, 0, 0, picD,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdVSMulti)), instance, nullptr);
  vsSize_ = CreateWindowExW(0, L"SCROLLBAR", L"", barStyle, 0, 0, 0, 0, picD,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdVSSize)), instance, nullptr);
  HWND picF = CreateHolder(form_, kPicF, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT);
  cmdFolder_ = MakeButton(picF, kIdCmdFolder, L"...");
  vsChange_ = CreateWindowExW(0, L"SCROLLBAR", L"", barStyle, 0, 0, 0, 0, picF,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdVSChange)), instance, nullptr);
  multiValue_ = kMultiBar.Initial;
  sizeValue_ = kSizeBar.Initial;
  changeValue_ = kChangeBar.Initial;
  if (vsChange_) {
    SetScrollRange(vsChange_, SB_CTL, kChangeBar.Min, kChangeBar.Max, FALSE);
    SetScrollPos(vsChange_, SB_CTL, BarPositionOf(kChangeBar, changeValue_), TRUE);
  }
  if (vsMulti_) {
    SetScrollRange(vsMulti_, SB_CTL, kMultiBar.Min, kMultiBar.Max, FALSE);
    SetScrollPos(vsMulti_, SB_CTL, BarPositionOf(kMultiBar, multiValue_), TRUE);
  }
  if (vsSize_) {
    SetScrollRange(vsSize_, SB_CTL, kSizeBar.Min, kSizeBar.Max, FALSE);
    SetScrollPos(vsSize_, SB_CTL, BarPositionOf(kSizeBar, sizeValue_), TRUE);
  }
  return picB && picD && picF && pname_ && vsMulti_ && vsSize_ && vsChange_;
}

// Every font, control, label and picture at the dialog's DPI: at creation and
// whenever the window moves to a monitor of another DPI. Values, focus and the
// tab order are not touched.
void Sorvane_P::LayOut() {
  HFONT oldFont = font_;
  HFONT oldUnderlined = underlined_;
  font_ = CreateDialogFont(dpi_, false);
  underlined_ = CreateDialogFont(dpi_, true);
  if (pname_) SendMessageW(pname_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  if (oldFont) DeleteObject(oldFont);
  if (oldUnderlined) DeleteObject(oldUnderlined);

  for (int i = 0; i < kLabelCount; ++i) {
    const LabelLayout& layout = kLabelLayouts[i];
    labels_[i].Rect =
        RECT{Scale(layout.X), Scale(layout.Y), Scale(layout.X + layout.Width), Scale(layout.Y + layout.Height)};
  }
  for (Command* button : {cmdPic_, cmdCan_, cmdSet_, cmdFolder_}) {
    if (button) button->SetDpi(dpi_);
  }
  for (const ControlLayout& c : kControlLayouts) {
    HWND window = Control(c.Which);
    if (c.Which == DialogControl::Display) {
      // Only the corner: the sample sizes its box.
      SetWindowPos(window, nullptr, Scale(c.X), Scale(c.Y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    Place(window, c.X, c.Y, c.Width, c.Height);
  }
  // The panels' images at their new sizes, grey until tiled.
  for (int index : {static_cast<int>(kPicB), static_cast<int>(kPicD), static_cast<int>(kPicF)}) {
    Surface& s = surfaces_[index];
    RECT client{};
    GetClientRect(s.Window, &client);
    s.Image.Resize(client.right, client.bottom, kGrey);
  }
}

// The form's outer size. At 96 dpi 5925 x 4755 twips with the folder panel
// below (kDialogHeightTwips); at any other DPI the client area that size
// leaves at 96 dpi, scaled, inside that DPI's frame, so the dialog looks the
// same, only larger.
SIZE Sorvane_P::FormOuterSize() const {
  const int width96 = TwipsToPixels(kFormWidthTwips, 96);
  const int height96 = TwipsToPixels(kDialogHeightTwips, 96);
  if (dpi_ == 96) return SIZE{width96, height96};
  RECT frame96{0, 0, 0, 0};
  OuterRectForDpi(frame96, kFormStyle, kFormExStyle, 96);
  const int clientWidth96 = width96 - (frame96.right - frame96.left);
  const int clientHeight96 = height96 - (frame96.bottom - frame96.top);
  RECT outer{0, 0, Scale(clientWidth96), Scale(clientHeight96)};
  OuterRectForDpi(outer, kFormStyle, kFormExStyle, dpi_);
  return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

// The window of a control.
HWND Sorvane_P::Control(DialogControl Which) const {
  switch (Which) {
    case DialogControl::Form: return form_;
    case DialogControl::Pic_B: return surfaces_[kPicB].Window;
    case DialogControl::Pic_D: return surfaces_[kPicD].Window;
    case DialogControl::Display: return surfaces_[kDisplay].Window;
    case DialogControl::Pname: return pname_;
    case DialogControl::VS_Multi: return vsMulti_;
    case DialogControl::VS_Size: return vsSize_;
    case DialogControl::Cmd_Pic: return cmdPic_ ? cmdPic_->Window() : nullptr;
    case DialogControl::Cmd_Can: return cmdCan_ ? cmdCan_->Window() : nullptr;
    case DialogControl::Cmd_Set: return cmdSet_ ? cmdSet_->Window() : nullptr;
    case DialogControl::Pic_F: return surfaces_[kPicF].Window;
    case DialogControl::Cmd_Folder: return cmdFolder_ ? cmdFolder_->Window() : nullptr;
    case DialogControl::VS_Change: return vsChange_;
  }
  return nullptr;
}

// The gradient button behind a button control.
Command* Sorvane_P::Button(DialogControl Which) const {
  switch (Which) {
    case DialogControl::Cmd_Pic: return cmdPic_;
    case DialogControl::Cmd_Can: return cmdCan_;
    case DialogControl::Cmd_Set: return cmdSet_;
    case DialogControl::Cmd_Folder: return cmdFolder_;
    default: return nullptr;
  }
}

// A label's text.
std::wstring Sorvane_P::LabelCaption(DialogLabel Which) const { return labels_[static_cast<int>(Which)].Text; }

// A label's box in its container.
RECT Sorvane_P::LabelRect(DialogLabel Which) const { return labels_[static_cast<int>(Which)].Rect; }

// The colour a label's text is drawn in.
COLORREF Sorvane_P::LabelColour(DialogLabel Which) const {
  switch (labels_[static_cast<int>(Which)].Colour) {
    case LabelColourKind::WindowText: return GetSysColor(COLOR_WINDOWTEXT);
    case LabelColourKind::ButtonText: return GetSysColor(COLOR_BTNTEXT);
    case LabelColourKind::White: return RGB(255, 255, 255);
    case LabelColourKind::Address: return kAddressColour;
  }
  return GetSysColor(COLOR_WINDOWTEXT);
}

// The control a label or heading frame is drawn on.
DialogControl Sorvane_P::LabelContainer(DialogLabel Which) const {
  return SurfaceControl(labels_[static_cast<int>(Which)].Surface);
}
DialogControl Sorvane_P::FrameContainer(int Frame) const {
  return Frame >= 0 && Frame < kFrameCount ? SurfaceControl(kShapes[Frame].Surface) : DialogControl::Form;
}

// A heading frame's box in its container, at the dialog's DPI.
RECT Sorvane_P::FrameRect(int Frame) const {
  if (Frame < 0 || Frame >= kFrameCount) return RECT{};
  const ShapeLayout& shape = kShapes[Frame];
  return RECT{Scale(shape.X), Scale(shape.Y), Scale(shape.X + shape.Width), Scale(shape.Y + shape.Height)};
}

// The control of a surface index.
DialogControl Sorvane_P::SurfaceControl(int Surface) {
  switch (Surface) {
    case kPicB: return DialogControl::Pic_B;
    case kPicD: return DialogControl::Pic_D;
    case kDisplay: return DialogControl::Display;
    case kPicF: return DialogControl::Pic_F;
    default: return DialogControl::Form;
  }
}

// One pixel of a persistent image; CLR_INVALID outside it.
COLORREF Sorvane_P::ImagePixel(DialogControl Which, int X, int Y) const {
  int index = kForm;
  switch (Which) {
    case DialogControl::Pic_B: index = kPicB; break;
    case DialogControl::Pic_D: index = kPicD; break;
    case DialogControl::Display: index = kDisplay; break;
    case DialogControl::Pic_F: index = kPicF; break;
    default: break;
  }
  const Surface& s = surfaces_[index];
  const uint32_t p = s.Image.PixelAt(X, Y);
  if (p == 0xFFFFFFFFu) return CLR_INVALID;
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// The path box's text.
std::wstring Sorvane_P::PnameText() const {
  if (!pname_) return std::wstring();
  const int length = GetWindowTextLengthW(pname_);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(pname_, &text[0], length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

// Opening: size, place, buttons, tiles, path, bars, sample, folder, zoom.
void Sorvane_P::Form_Load() {
  // 1-2. Size, then centre horizontally and a third of the free height down.
  PlaceOnScreen();
  // 3. Hover tracking of the gradient buttons.
  SetupButtons(form_, true, true);
  // 4. Marble panels.
  TileBackground(DialogControl::Pic_B);
  TileBackground(DialogControl::Pic_D);
  TileBackground(DialogControl::Pic_F);
  const SettingsRecord& settings = *host_.Settings;
  // 5. The path box.
  if (pname_) SetWindowTextW(pname_, AnsiToWide(settings.PicturePath).c_str());
  // 6-7. Bars, then their labels. A value beyond a bar's range, or a size
  // between two steps, is shown as the bar holds it: what the labels say is
  // what "設定" saves.
  SetBarValue(DialogControl::VS_Multi, BarValueFor(kMultiBar, settings.StarCount, multiValue_));
  SetLabel(DialogLabel::lbl_Multi, AnsiToWide(DecimalText(multiValue_)));
  SetBarValue(DialogControl::VS_Size, SizeBarValueFor(settings.StarSize, sizeValue_));
  SetLabel(DialogLabel::lbl_Size, AnsiToWide(DecimalText(sizeValue_)));
  // The change interval: one beyond the bar's top is kept as the file has
  // it, the bar at its top, until the bar is moved.
  const int change = std::clamp<int>(settings.ChangeMinutes, kMinChangeMinutes, kMaxChangeMinutes);
  SetBarValue(DialogControl::VS_Change, change);
  changeValue_ = change;
  VS_Change_Change();
  // 8. The sample.
  ShowSample();
  // 9. The chooser starts in the path's folder, or in the folder it names.
  const std::string shown = WideToAnsi(PnameText());
  host_.Settings->PictureFolder = FolderExists(shown) ? shown : FolderOfPath(shown);
  // 10-11. Zoom out of the mouse position.
  CatchZoomOrigin();
  ZoomOpen(form_, host_.Animate);
}

// The form's size, and its place: centred across the primary screen and a
// third of the free height down, then kept inside the work area, so that a
// large display scaling on a small screen leaves the caption on the screen.
void Sorvane_P::PlaceOnScreen() {
  const SIZE outer = FormOuterSize();
  const double screenWidth = PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi_);
  const double screenHeight = PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi_);
  const FormPosition twips = PlaceForm(screenWidth, screenHeight, PixelsToTwips(outer.cx, dpi_),
                                       PixelsToTwips(outer.cy, dpi_));
  FormPosition at{TwipsToPixels(twips.Left, dpi_), TwipsToPixels(twips.Top, dpi_)};
  RECT work{};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && work.right > work.left && work.bottom > work.top) {
    at = KeepInside(at, outer.cx, outer.cy, ScreenRect{work.left, work.top, work.right, work.bottom});
  }
  SetWindowPos(form_, nullptr, at.Left, at.Top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Paints the gradient background into the form's persistent image.
void Sorvane_P::Form_Resize() {
  Surface& s = surfaces_[kForm];
  RECT client{};
  GetClientRect(form_, &client);
  if (!s.Image.Resize(client.right, client.bottom, kGrey)) return;
  const std::vector<int> levels = GradientLevels(client.bottom);
  HGDIOBJ oldPen = SelectObject(s.Image.Dc(), GetStockObject(DC_PEN));
  for (size_t i = 0; i < levels.size(); ++i) {
    const int c = levels[i];
    SetDCPenColor(s.Image.Dc(), RGB(c, c, c + 30));
    GetClientRect(form_, &client);
    MoveToEx(s.Image.Dc(), 0, static_cast<int>(i), nullptr);
    LineTo(s.Image.Dc(), client.right, static_cast<int>(i));
  }
  SelectObject(s.Image.Dc(), oldPen);
  InvalidateRect(form_, nullptr, FALSE);
}

// Closing: the zoom back into the point the dialog came from.
void Sorvane_P::Form_Unload() { ZoomClose(form_, host_.Animate); }

// Closes the form from a button: unload now, destroy once the click is over.
void Sorvane_P::CloseForm() {
  AbandonSearch();
  if (!unloaded_) {
    unloaded_ = true;
    Form_Unload();
  }
  // Before the program ends, which follows at once.
  ReleaseOwner();
  // Destroyed once the button's click handler has returned (only reached
  // when ending the program is left to someone else, as in tests).
  PostMessageW(form_, kDestroyLater, 0, 0);
}

// The close box: unload and destroy.
void Sorvane_P::OnClose() {
  AbandonSearch();
  if (!unloaded_) {
    unloaded_ = true;
    Form_Unload();
  }
  ReleaseOwner();
  DestroyWindow(form_);
}

// The owner takes input again and is the active window once more, whichever
// way the dialog closes. Enabled before the dialog goes, so the system does
// not hand the activation to some other window meanwhile.
void Sorvane_P::ReleaseOwner() {
  if (ownerReleased_ || !host_.Owner) return;
  ownerReleased_ = true;
  if (!IsWindow(host_.Owner)) return;
  EnableWindow(host_.Owner, TRUE);
  if (form_ && IsWindow(form_)) ShowWindow(form_, SW_HIDE);
  SetForegroundWindow(host_.Owner);
}

// "設定": writes path, count, size and change interval, closes, ends the
// program. A path the settings file cannot hold, or a file that cannot be
// written, is said in a message box and the dialog stays open, so nothing
// the user set is lost.
void Sorvane_P::Cmd_Set_Click() {
  std::string picture;
  if (!StoredPathFor(PnameText(), picture)) {
    ShowMessage(L"\u3053\u306E\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99\u306E\u540D\u524D\u306F\u8A2D\u5B9A\u306B"
                L"\u4FDD\u5B58\u3067\u304D\u307E\u305B\u3093\u3002\n\n" +
                PnameText() +
                L"\n\n\u30B7\u30B9\u30C6\u30E0\u306E\u6587\u5B57\u30B3\u30FC\u30C9\u3067\u8868\u305B\u306A"
                L"\u3044\u6587\u5B57\u304C\u3042\u308A\u307E\u3059\u3002\u5225\u306E\u540D\u524D\u306E"
                L"\u30D5\u30A9\u30EB\u30C0\u30FC\u304B\u30D5\u30A1\u30A4\u30EB\u3092\u9078\u3093\u3067"
                L"\u304F\u3060\u3055\u3044\u3002");
    return;
  }
  const std::string file = SettingsFile();
  // The first write that fails stops the rest: the user is told at once.
  // Each in the file's own encoding: a file saved as UTF-8 stays UTF-8.
  const bool saved = WriteSettingsValue(kKeyPicture, picture, file) &&
                     WriteSettingsValue(kKeyCount, FormatSettingsNumber(multiValue_), file) &&
                     WriteSettingsValue(kKeySize, FormatSettingsNumber(sizeValue_), file) &&
                     WriteSettingsValue(kKeyChange, FormatSettingsNumber(changeValue_), file);
  if (!saved) {
    ReportSaveFailure(file);
    return;
  }
  CloseForm();
  EndTheProgram();
}

// Tells the user that the settings file could not be written, naming it.
void Sorvane_P::ReportSaveFailure(const std::string& File) {
  // 設定を保存できませんでした。 / このファイルに書き込めません。…
  ShowMessage(L"\u8A2D\u5B9A\u3092\u4FDD\u5B58\u3067\u304D\u307E\u305B\u3093\u3067\u3057\u305F\u3002\n\n" +
              AnsiToWide(File) +
              L"\n\n\u3053\u306E\u30D5\u30A1\u30A4\u30EB\u306B\u66F8\u304D\u8FBC\u3081\u307E\u305B\u3093"
              L"\u3002\u8AAD\u307F\u53D6\u308A\u5C02\u7528\u306B\u306A\u3063\u3066\u3044\u306A\u3044\u304B"
              L"\u3001\u540C\u3058\u540D\u524D\u306E\u30D5\u30A9\u30EB\u30C0\u30FC\u304C\u306A\u3044\u304B"
              L"\u78BA\u304B\u3081\u3066\u304F\u3060\u3055\u3044\u3002Sorvane.scr \u3092\u66F8\u304D\u8FBC"
              L"\u307F\u306E\u3067\u304D\u308B\u30D5\u30A9\u30EB\u30C0\u30FC\uFF08\u4F8B\u3048\u3070"
              L"\u30C9\u30AD\u30E5\u30E1\u30F3\u30C8\u306E\u4E2D\uFF09\u306B\u7F6E\u3044\u3066\u3001"
              L"\u53F3\u30AF\u30EA\u30C3\u30AF\u306E\u300C\u30A4\u30F3\u30B9\u30C8\u30FC\u30EB\u300D"
              L"\u3067\u8A2D\u5B9A\u3057\u76F4\u3059\u3053\u3068\u3082\u3067\u304D\u307E\u3059\u3002");
}

// A message box owned by the dialog (or the host's stand-in for it).
void Sorvane_P::ShowMessage(const std::wstring& Text) {
  if (host_.ShowMessage) {
    host_.ShowMessage(form_, Text);
  } else {
    MessageBoxW(form_, Text.c_str(), kMessageTitle, MB_OK | MB_ICONEXCLAMATION);
  }
}

// "ｷｬﾝｾﾙ": closes and ends the program without writing.
void Sorvane_P::Cmd_Can_Click() {
  CloseForm();
  EndTheProgram();
}

// The count label follows the count bar.
void Sorvane_P::VS_Multi_Change() { SetLabel(DialogLabel::lbl_Multi, AnsiToWide(DecimalText(multiValue_))); }
// The count label follows the thumb while it is dragged.
void Sorvane_P::VS_Multi_Scroll() { VS_Multi_Change(); }
// The size label follows the size bar.
void Sorvane_P::VS_Size_Change() { SetLabel(DialogLabel::lbl_Size, AnsiToWide(DecimalText(sizeValue_))); }
// The size label follows the thumb while it is dragged.
void Sorvane_P::VS_Size_Scroll() { VS_Size_Change(); }
// The interval label follows the interval, also while the thumb is dragged.
void Sorvane_P::VS_Change_Change() { SetLabel(DialogLabel::lbl_Change, ChangeText(changeValue_)); }

// Opens the web address, with the hourglass around the call.
void Sorvane_P::lbl_URL_Click() {
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const std::wstring address = labels_[static_cast<int>(DialogLabel::lbl_URL)].Text;
  if (host_.OpenAddress) {
    host_.OpenAddress(form_, address);
  } else {
    ShellExecuteW(form_, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  SetCursor(previous ? previous : LoadCursorW(nullptr, IDC_ARROW));
}

// Covers a panel's persistent image with marble tiles.
void Sorvane_P::TileBackground(DialogControl Panel) {
  const int index = Panel == DialogControl::Pic_D ? kPicD : Panel == DialogControl::Pic_F ? kPicF : kPicB;
  Surface& s = surfaces_[index];
  if (!s.Image.Dc() || !marbleDc_) return;
  // The tile at the dialog's DPI: larger on a larger display, as everything is.
  const int tileWidth = TwipsToPixels(marbleWidth_ * 15.0, dpi_);
  const int tileHeight = TwipsToPixels(marbleHeight_ * 15.0, dpi_);
  SetStretchBltMode(s.Image.Dc(), COLORONCOLOR);
  for (const TilePoint& p : TilePositions(tileWidth, tileHeight, s.Image.Width(), s.Image.Height())) {
    StretchBlt(s.Image.Dc(), p.X, p.Y, tileWidth, tileHeight, marbleDc_, 0, 0, marbleWidth_, marbleHeight_, SRCCOPY);
  }
  InvalidateRect(s.Window, nullptr, FALSE);
}

// Redraws the sample box from the photograph named in the path box; a
// folder's sample and count come once its search is done.
void Sorvane_P::ShowSample() {
  AbandonSearch();
  // The text is read twice and the file test always runs, even for no text.
  const std::wstring first = PnameText();
  // The file as the settings would name it (a name outside the code page by
  // its short name; without one, no file).
  std::string path;
  if (!StoredPathFor(PnameText(), path)) path.clear();
  const bool exists = FileExists(path);
  folderSample_ = FolderSample();
  SetLabel(DialogLabel::lbl_Count, L"");
  if (!first.empty() && !exists && FolderExists(path)) {
    // The black box until the search is done.
    DrawSample(nullptr, 0, 0);
    StartFolderSample(path);
    return;
  }
  if (first.empty() || !exists || !DrawSampleFile(path)) DrawSample(nullptr, 0, 0);
}

// Decodes a photograph at the sample's size and draws it; false when it
// cannot be read or decoded. A side that rounds to nothing draws nothing.
bool Sorvane_P::DrawSampleFile(const std::string& Path) {
  int photoWidth = 0, photoHeight = 0, width = 0, height = 0;
  BgrImage picture;
  if (!DecodeForSample(Path, dpi_, photoWidth, photoHeight, width, height, picture)) return false;
  DrawSample(&picture, width, height);
  return true;
}

// The sample box at Width x Height with Picture in it; without a picture the
// empty black box of 80 x 80 at 96 dpi.
void Sorvane_P::DrawSample(const BgrImage* Picture, int Width, int Height) {
  Surface& s = surfaces_[kDisplay];
  if (!Picture) {
    Width = Scale(80);
    Height = Scale(80);
  }
  SetWindowPos(s.Window, nullptr, 0, 0, Width, Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  s.Image.Resize(Width, Height, RGB(0, 0, 0));
  if (Picture && s.Image.Pixels() && Picture->Width == Width && Picture->Height == Height) {
    for (int y = 0; y < Height; ++y) {
      const uint8_t* row = &Picture->Pixels[static_cast<size_t>(y) * Width * 3];
      uint32_t* out = s.Image.Pixels() + static_cast<size_t>(y) * Width;
      for (int x = 0; x < Width; ++x) {
        out[x] = (static_cast<uint32_t>(row[3 * x + 2]) << 16) | (static_cast<uint32_t>(row[3 * x + 1]) << 8) |
                 row[3 * x];
      }
    }
  }
  GdiFlush();
  InvalidateRect(s.Window, nullptr, FALSE);
}

// Looks for a folder's sample on a worker thread; where no thread can be
// made, here and now.
void Sorvane_P::StartFolderSample(const std::string& Folder) {
  const uint32_t seed = GetTickCount();
  search_ = FolderSampleSearch::Start(form_, kFolderSampleFound, Folder, dpi_, seed);
  if (search_) return;
  folderSample_ = FindFolderSample(Folder, ChooserExtensions(InstalledDecoderExtensions()), dpi_, seed);
  RedrawSample();
}

// The worker's message: the result, if it is still the one wanted.
void Sorvane_P::OnFolderSample() {
  if (!search_ || !search_->Done()) return;
  folderSample_ = search_->Take();
  search_.reset();
  RedrawSample();
}

// The folder's sample and count as last found; a photograph decoded for
// another DPI is decoded again for this one.
void Sorvane_P::RedrawSample() {
  FolderSample& f = folderSample_;
  if (!f.Readable) {
    SetLabel(DialogLabel::lbl_Count, L"");
    DrawSample(nullptr, 0, 0);
    return;
  }
  SetLabel(DialogLabel::lbl_Count, FolderCountText(f.Count, f.Capped));
  if (!f.Photo.empty() && f.Dpi != dpi_ && !DecodeSamplePhoto(f.Photo, dpi_, f)) f.Photo.clear();
  if (f.Photo.empty()) {
    DrawSample(nullptr, 0, 0);
  } else {
    DrawSample(&f.Picture, f.Picture.Width, f.Picture.Height);
  }
}

// Stops waiting for the search under way: its result is dropped.
void Sorvane_P::AbandonSearch() {
  if (search_) search_->Abandon();
  search_.reset();
}

// Gives a bar a value in its range; a change raises its change handler.
void Sorvane_P::SetBarValue(DialogControl Bar, int Value) {
  const BarRange& range = RangeOf(Bar);
  int& value = ValueOf(Bar);
  if (Value < range.Min) Value = range.Min;
  if (Value > range.Max) Value = range.Max;
  HWND window = Control(Bar);
  if (window) SetScrollPos(window, SB_CTL, BarPositionOf(range, Value), TRUE);
  if (Value == value) return;
  value = Value;
  BarMoved(Bar, false);
}

// The range of one of the three bars.
const BarRange& Sorvane_P::RangeOf(DialogControl Bar) {
  return Bar == DialogControl::VS_Multi ? kMultiBar : Bar == DialogControl::VS_Size ? kSizeBar : kChangeBar;
}

// The value one of the three bars holds.
int& Sorvane_P::ValueOf(DialogControl Bar) {
  return Bar == DialogControl::VS_Multi ? multiValue_ : Bar == DialogControl::VS_Size ? sizeValue_ : changeValue_;
}

// Raises a bar's change handler, or its scroll handler while its thumb is
// dragged.
void Sorvane_P::BarMoved(DialogControl Bar, bool Dragging) {
  switch (Bar) {
    case DialogControl::VS_Multi:
      if (Dragging) VS_Multi_Scroll(); else VS_Multi_Change();
      break;
    case DialogControl::VS_Size:
      if (Dragging) VS_Size_Scroll(); else VS_Size_Change();
      break;
    default:
      VS_Change_Change();
      break;
  }
}

// Sets a label's text and repaints its container.
void Sorvane_P::SetLabel(DialogLabel Which, const std::wstring& Text) {
  Label& label = labels_[static_cast<int>(Which)];
  label.Text = Text;
  HWND window = surfaces_[label.Surface].Window;
  if (label.Surface == kForm) window = form_;
  // A label's text may run past its box (it is never cut), so the whole
  // container is repainted.
  if (window) InvalidateRect(window, nullptr, FALSE);
}

// A bar's arrow, page, end or thumb action, turned the right way up. The
// interval bar moves from where it stands, so an interval beyond its top
// is kept until the bar really moves.
void Sorvane_P::OnVScroll(HWND Bar, int Code, int Position) {
  const DialogControl which = Bar == vsMulti_    ? DialogControl::VS_Multi
                              : Bar == vsSize_   ? DialogControl::VS_Size
                              : Bar == vsChange_ ? DialogControl::VS_Change
                                                 : DialogControl::Form;
  if (which == DialogControl::Form) return;
  const BarRange& range = RangeOf(which);
  int& held = ValueOf(which);
  const bool change = which == DialogControl::VS_Change;
  const int current = change ? BarValueAt(range, GetScrollPos(Bar, SB_CTL)) : held;
  int value = current;
  bool dragging = false;
  switch (Code) {
    case SB_LINEUP: value = current + range.SmallStep; break;
    case SB_LINEDOWN: value = current - range.SmallStep; break;
    case SB_PAGEUP: value = current + range.LargeStep; break;
    case SB_PAGEDOWN: value = current - range.LargeStep; break;
    case SB_TOP: value = range.Max; break;
    case SB_BOTTOM: value = range.Min; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      // The message's 16-bit position is enough for these small ranges.
      value = BarValueAt(range, Position);
      dragging = Code == SB_THUMBTRACK;
      break;
    default: return;
  }
  if (value < range.Min) value = range.Min;
  if (value > range.Max) value = range.Max;
  if (value == current) return;
  SetScrollPos(Bar, SB_CTL, BarPositionOf(range, value), TRUE);
  held = value;
  BarMoved(which, dragging);
}

// Activation: leaving remembers the control with the focus, coming back
// gives the focus to it again. True when the focus was given back.
bool Sorvane_P::OnActivate(WORD State) {
  if (State == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(form_, focus)) lastFocus_ = focus;
    return false;
  }
  if (lastFocus_ && IsWindow(lastFocus_) && IsChild(form_, lastFocus_) && IsWindowEnabled(lastFocus_)) {
    SetFocus(lastFocus_);
    return true;
  }
  return false;
}

// The window moved to a monitor of another DPI: everything laid out anew at
// that DPI, then the rectangle the system suggests for it.
void Sorvane_P::OnDpiChanged(int Dpi, const RECT* Suggested) {
  if (Dpi <= 0 || Dpi > 4 * 1440) return;
  dpi_ = Dpi;
  LayOut();
  TileBackground(DialogControl::Pic_B);
  TileBackground(DialogControl::Pic_D);
  TileBackground(DialogControl::Pic_F);
  // A folder's photograph stays the one shown; a search under way draws at
  // the DPI it was started with and is decoded again once it is done.
  if (folderSample_.Readable && !search_) {
    RedrawSample();
  } else if (!search_) {
    ShowSample();
  }
  if (Suggested) {
    SetWindowPos(form_, nullptr, Suggested->left, Suggested->top, Suggested->right - Suggested->left,
                 Suggested->bottom - Suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// True when a client point lies on the web address.
bool Sorvane_P::OverAddress(LPARAM L) const {
  const POINT p{static_cast<short>(LOWORD(L)), static_cast<short>(HIWORD(L))};
  const RECT& r = labels_[static_cast<int>(DialogLabel::lbl_URL)].Rect;
  return PtInRect(&r, p) != FALSE;
}

// The paint routine of one surface: image, frames, then labels.
void Sorvane_P::Paint(int Index, HDC Dc) {
  Surface& s = surfaces_[Index];
  RECT client{};
  GetClientRect(s.Window ? s.Window : form_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  // Compose in a back buffer so labels never flicker over their background.
  HDC buffer = CreateCompatibleDC(Dc);
  HBITMAP bitmap = CreateCompatibleBitmap(Dc, client.right, client.bottom);
  if (!buffer || !bitmap) {
    if (buffer) DeleteDC(buffer);
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(buffer, bitmap);
  FillRect(buffer, &client, static_cast<HBRUSH>(GetStockObject(Index == kDisplay ? BLACK_BRUSH : GRAY_BRUSH)));
  if (s.Image.Dc()) BitBlt(buffer, 0, 0, s.Image.Width(), s.Image.Height(), s.Image.Dc(), 0, 0, SRCCOPY);

  // Heading frames.
  // One pixel wide at 96 dpi, wider with the display, always inside the box.
  HPEN framePen = CreatePen(PS_INSIDEFRAME, std::max(1, Scale(1)), GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ oldPen = SelectObject(buffer, framePen ? static_cast<HGDIOBJ>(framePen) : GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(buffer, GetStockObject(NULL_BRUSH));
  for (int i = 0; i < kFrameCount; ++i) {
    if (kShapes[i].Surface != Index) continue;
    const RECT r = FrameRect(i);
    Rectangle(buffer, r.left, r.top, r.right, r.bottom);
  }
  SelectObject(buffer, oldBrush);
  SelectObject(buffer, oldPen);
  if (framePen) DeleteObject(framePen);

  // Labels.
  SetBkMode(buffer, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(buffer, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < kLabelCount; ++i) {
    const Label& label = labels_[i];
    if (label.Surface != Index) continue;
    SetTextColor(buffer, LabelColour(static_cast<DialogLabel>(i)));
    if (label.Underlined && underlined_) SelectObject(buffer, underlined_);
    RECT r = label.Rect;
    DrawTextW(buffer, label.Text.c_str(), static_cast<int>(label.Text.size()), &r,
              DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | (label.Centred ? DT_CENTER : DT_LEFT));
    if (label.Underlined && underlined_) SelectObject(buffer, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  }
  SelectObject(buffer, oldFont);

  BitBlt(Dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(buffer);
}

// Window procedure of the form: attaches the instance, then dispatches.
LRESULT CALLBACK Sorvane_P::FormProc(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  if (Message == WM_NCCREATE) {
    auto* self = static_cast<Sorvane_P*>(reinterpret_cast<CREATESTRUCTW*>(L)->lpCreateParams);
    self->form_ = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Sorvane_P*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(Window, Message, W, L);
  if (Message == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    self->form_ = nullptr;
    return DefWindowProcW(Window, Message, W, L);
  }
  return self->OnFormMessage(Message, W, L);
}

// One small handler per message of the form.
LRESULT Sorvane_P::OnFormMessage(UINT Message, WPARAM W, LPARAM L) {
  switch (Message) {
    case WM_SIZE:
      Form_Resize();
      return 0;
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return OnPaintMessage(kForm, form_, Message, W);
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(W) == form_ && LOWORD(L) == HTCLIENT) {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(form_, &p);
        if (OverAddress(MAKELPARAM(p.x, p.y))) {
          SetCursor(LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN:
      addressPressed_ = OverAddress(L);
      return 0;
    case WM_LBUTTONUP: {
      const bool click = addressPressed_ && OverAddress(L);
      addressPressed_ = false;
      if (click) lbl_URL_Click();
      return 0;
    }
    case WM_VSCROLL:
      OnVScroll(reinterpret_cast<HWND>(L), LOWORD(W), static_cast<short>(HIWORD(W)));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_ACTIVATE:
      if (OnActivate(LOWORD(W))) return 0;
      break;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(W), reinterpret_cast<const RECT*>(L));
      return 0;
    case kDestroyLater:
      DestroyWindow(form_);
      return 0;
    case kFolderSampleFound:
      OnFolderSample();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(form_, Message, W, L);
}

// WM_ERASEBKGND, WM_PAINT and WM_PRINTCLIENT of the form or a picture box:
// its persistent image, through the one paint routine.
LRESULT Sorvane_P::OnPaintMessage(int Index, HWND Window, UINT Message, WPARAM W) {
  if (Message == WM_ERASEBKGND) return 1;  // the image covers every pixel
  if (Message == WM_PRINTCLIENT) {
    Paint(Index, reinterpret_cast<HDC>(W));
    return 0;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Window, &ps);
  Paint(Index, dc);
  EndPaint(Window, &ps);
  return 0;
}

// Window procedure of the picture boxes: attaches the surface, then dispatches.
LRESULT CALLBACK Sorvane_P::HolderProc(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  if (Message == WM_NCCREATE) {
    auto* surface = static_cast<Surface*>(reinterpret_cast<CREATESTRUCTW*>(L)->lpCreateParams);
    surface->Window = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(surface));
  }
  auto* surface = reinterpret_cast<Surface*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!surface || !surface->Owner) return DefWindowProcW(Window, Message, W, L);
  if (Message == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    surface->Window = nullptr;
    return DefWindowProcW(Window, Message, W, L);
  }
  return surface->Owner->OnHolderMessage(surface->Index, Message, W, L);
}

// Messages of a picture box: paint, and the bars' scroll messages.
LRESULT Sorvane_P::OnHolderMessage(int Index, UINT Message, WPARAM W, LPARAM L) {
  HWND window = surfaces_[Index].Window;
  switch (Message) {
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return OnPaintMessage(Index, window, Message, W);
    case WM_VSCROLL:
      OnVScroll(reinterpret_cast<HWND>(L), LOWORD(W), static_cast<short>(HIWORD(W)));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, Message, W, L);
}

// The modal loop, with the dialog keys.
void Sorvane_P::RunModal() {
  MSG msg;
  while (form_ && IsWindow(form_)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (TranslateDialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The dialog's own keys first, then the system's dialog navigation.
bool Sorvane_P::TranslateDialogMessage(MSG& Message) {
  if (!form_ || !IsWindow(form_) || !Message.hwnd) return false;
  if (Message.hwnd != form_ && !IsChild(form_, Message.hwnd)) return false;
  if (Message.message == WM_KEYDOWN && OnDialogKey(Message.wParam, Message.lParam)) return true;
  return IsDialogMessageW(form_, &Message) != FALSE;
}

// Esc and Enter as a dialog box has them. A key held down repeats its
// WM_KEYDOWN: only the first press counts.
bool Sorvane_P::OnDialogKey(WPARAM Key, LPARAM Flags) {
  const bool repeated = (Flags & (1L << 30)) != 0;
  Command* button = nullptr;
  if (Key == VK_ESCAPE) {
    button = cmdCan_;
  } else if (Key == VK_RETURN) {
    // On a gradient button Enter is that button's own key.
    if (Command::FromWindow(GetFocus())) return false;
    button = cmdSet_;
  } else {
    return false;
  }
  if (repeated || !button || !button->Core().IsEnabled()) return true;
  if (button == cmdCan_) {
    Cmd_Can_Click();
  } else {
    Cmd_Set_Click();
  }
  return true;
}

// Start-up's entry to the dialog.
void ShowSettingsDialog(SettingsRecord& Settings, HWND Owner) {
  SettingsDialogHost host;
  host.Settings = &Settings;
  host.Owner = Owner;
  Sorvane_P dialog(std::move(host));
  if (!dialog.Open()) return;
  dialog.RunModal();
}

}  // namespace sorvane
