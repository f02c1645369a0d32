// The settings dialog `Sorvane_P` of the Windows screen saver: gradient
// background, three marble panels, the photo sample, the count, size and
// change interval bars, the web address, and the gradient buttons that save,
// cancel or choose (settings_dialog_win32.cpp; the photo chooser "..." is in
// photo_chooser_win32.cpp, the folder chooser in folder_chooser_win32.cpp, a
// folder's sample in folder_sample.h, the arithmetic in dialog_layout.h). It
// reads the settings record; it writes the settings file only on "設定".
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "dialog_layout.h"
#include "folder_sample.h"
#include "settings_file.h"
#include "window_helpers_win32.h"

namespace sorvane {

class Command;

// What the dialog needs from the program around it. A test replaces the
// parts that would end the process, show the system's open-file dialog, a
// message box or the zoom animation, or start a web browser.
struct SettingsDialogHost {
  SettingsRecord* Settings = nullptr;  // the program's settings record
  // The window the dialog belongs to and is modal to: disabled while the
  // dialog is open, enabled and activated again when it closes. Null: none.
  HWND Owner = nullptr;
  std::string SettingsFile;            // empty: SettingsFileName(), built at each write
  std::function<void()> EndProgram;    // empty: end the process at once
  std::function<bool(OPENFILENAMEW&)> ChooseFile;                     // empty: GetOpenFileNameW
  // Shows the folder picker starting in Start; true with Chosen on a choice.
  std::function<bool(HWND Owner, const std::wstring& Start, std::wstring& Chosen)> ChooseFolder;  // empty: PickFolder
  std::function<void(HWND Owner, const std::wstring& Address)> OpenAddress;  // empty: ShellExecuteW
  std::function<void(HWND Owner, const std::wstring& Text)> ShowMessage;     // empty: MessageBoxW
  RectAnimation Animate;                                                     // empty: DrawAnimatedRects
};

// The dialog's windows, for SetupButtons' walk and for tests.
// Pic_F is the folder panel below the buttons, with the folder button
// Cmd_Folder and the change interval bar VS_Change.
enum class DialogControl {
  Form, Pic_B, Pic_D, Pname, Display, VS_Multi, VS_Size, Cmd_Pic, Cmd_Can, Cmd_Set, Pic_F, Cmd_Folder, VS_Change
};

// The labels: lbl(0) .. lbl(9), the three named ones, then those of the
// folder panel: its two headings, the interval bar's ends, the interval and
// the folder's count.
enum class DialogLabel {
  lbl0, lbl1, lbl2, lbl3, lbl4, lbl5, lbl6, lbl7, lbl8, lbl9, lbl_Multi, lbl_Size, lbl_URL,
  lbl10, lbl11, lbl12, lbl13, lbl_Change, lbl_Count
};
constexpr int kLabelCount = 19;

// The heading frames Shape1(0) .. Shape1(4).
constexpr int kFrameCount = 5;

// Texts shown on the dialog.
extern const wchar_t* const kCreditText;   // lbl(9)
extern const wchar_t* const kAddressText;  // lbl_URL, also the address opened

class Sorvane_P {
 public:
  explicit Sorvane_P(SettingsDialogHost Host);
  ~Sorvane_P();
  Sorvane_P(const Sorvane_P&) = delete;
  Sorvane_P& operator=(const Sorvane_P&) = delete;

  // Creates the window and its controls, runs Form_Load and shows it. False
  // when the window could not be made.
  bool Open();

  // Dispatches messages (with the dialog keys) until the window is gone.
  void RunModal();

  // One message of the modal loop, if it is the dialog's: Tab and the arrows
  // move between the controls, Esc is "ｷｬﾝｾﾙ", Enter is "設定" unless the
  // focus is on a gradient button (which then clicks itself). True when the
  // message was handled; false leaves it to the caller to dispatch.
  bool TranslateDialogMessage(MSG& Message);

  HWND Window() const { return form_; }
  HWND Control(DialogControl Which) const;
  Command* Button(DialogControl Which) const;
  std::wstring LabelCaption(DialogLabel Which) const;
  RECT LabelRect(DialogLabel Which) const;  // in its container's client pixels
  COLORREF LabelColour(DialogLabel Which) const;
  DialogControl LabelContainer(DialogLabel Which) const;
  RECT FrameRect(int Frame) const;  // in its container's client pixels
  DialogControl FrameContainer(int Frame) const;
  // The dots per inch everything is laid out at.
  int Dpi() const { return dpi_; }
  int MultiValue() const { return multiValue_; }
  int SizeValue() const { return sizeValue_; }
  // The change interval "設定" saves (beyond the bar's top while untouched).
  int ChangeValue() const { return changeValue_; }
  // True while a folder's sample is being looked for.
  bool FolderSampleBusy() const { return search_ && !search_->Done(); }
  // A pixel of the persistent image of the form, a panel or the sample box.
  COLORREF ImagePixel(DialogControl Which, int X, int Y) const;
  std::wstring PnameText() const;

  // Event handlers.
  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  void Cmd_Set_Click();
  void Cmd_Can_Click();
  void Cmd_Pic_Click();
  void Cmd_Folder_Click();
  // The step after the folder picker: Folder becomes path, chooser folder,
  // sample and count. False (nothing changed) for a folder the settings
  // file cannot name.
  bool TakeChosenFolder(const std::wstring& Folder);
  void VS_Multi_Change();
  void VS_Multi_Scroll();
  void VS_Size_Change();
  void VS_Size_Scroll();
  void VS_Change_Change();
  void lbl_URL_Click();

  // Covers a panel's persistent image with marble tiles.
  void TileBackground(DialogControl Panel);
  // Redraws the photo sample from Pname's text: a file's at once, a
  // folder's (with its count) once the search on its worker thread is done.
  void ShowSample();

 private:
  struct Surface;
  struct Label;

  static LRESULT CALLBACK FormProc(HWND Window, UINT Message, WPARAM W, LPARAM L);
  static LRESULT CALLBACK HolderProc(HWND Window, UINT Message, WPARAM W, LPARAM L);
  LRESULT OnFormMessage(UINT Message, WPARAM W, LPARAM L);
  LRESULT OnHolderMessage(int Index, UINT Message, WPARAM W, LPARAM L);
  LRESULT OnPaintMessage(int Index, HWND Window, UINT Message, WPARAM W);

  bool CreateControls();
  void LayOut();
  SIZE FormOuterSize() const;
  void Place(HWND Window, int X, int Y, int Width, int Height);
  Command* MakeButton(HWND Parent, int Id, const wchar_t* Caption);
  HWND CreateHolder(HWND Parent, int Index, DWORD ExStyle);
  static DialogControl SurfaceControl(int Surface);
  void Paint(int Index, HDC Dc);
  void DrawSample(const BgrImage* Picture, int Width, int Height);
  bool DrawSampleFile(const std::string& Path);
  void StartFolderSample(const std::string& Folder);
  void OnFolderSample();
  void RedrawSample();
  void AbandonSearch();
  void OnVScroll(HWND Bar, int Code, int Position);
  void SetBarValue(DialogControl Bar, int Value);
  static const BarRange& RangeOf(DialogControl Bar);
  int& ValueOf(DialogControl Bar);
  void BarMoved(DialogControl Bar, bool Dragging);
  void SetLabel(DialogLabel Which, const std::wstring& Text);
  void CloseForm();
  void OnClose();
  void ReleaseOwner();
  bool OnDialogKey(WPARAM Key, LPARAM Flags);
  void PlaceOnScreen();
  bool OnActivate(WORD State);
  void OnDpiChanged(int Dpi, const RECT* Suggested);
  void ReportSaveFailure(const std::string& File);
  void ShowMessage(const std::wstring& Text);
  bool OverAddress(LPARAM L) const;
  int Scale(int Pixels96) const;
  std::string SettingsFile() const;
  void EndTheProgram();

  SettingsDialogHost host_;
  HWND form_ = nullptr;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  HFONT underlined_ = nullptr;
  HDC marbleDc_ = nullptr;
  HBITMAP marble_ = nullptr;
  HGDIOBJ marbleOld_ = nullptr;
  int marbleWidth_ = 0;
  int marbleHeight_ = 0;
  std::unique_ptr<Surface[]> surfaces_;  // form, Pic_B, Pic_D, Display
  std::unique_ptr<Label[]> labels_;
  HWND pname_ = nullptr;
  HWND vsMulti_ = nullptr;
  HWND vsSize_ = nullptr;
  HWND vsChange_ = nullptr;
  Command* cmdPic_ = nullptr;
  Command* cmdFolder_ = nullptr;
  Command* cmdCan_ = nullptr;
  Command* cmdSet_ = nullptr;
  int multiValue_ = 10;
  int sizeValue_ = 1;
  int changeValue_ = 1;
  std::shared_ptr<FolderSampleSearch> search_;  // the folder sample being looked for
  FolderSample folderSample_;                   // the last one found
  bool unloaded_ = false;
  bool ownerReleased_ = false;
  bool addressPressed_ = false;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the dialog was left
};

// Shows the settings dialog for Settings modally, owned by Owner (null: no
// owner); returns when it has closed.
void ShowSettingsDialog(SettingsRecord& Settings, HWND Owner);

}  // namespace sorvane
