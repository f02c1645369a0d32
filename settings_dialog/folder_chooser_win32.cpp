// The folder chooser (pairs with folder_chooser_win32.h) and the dialog's
// handlers around it: the folder button and the step that takes the chosen
// folder into the path box, the sample and the count.

#include "folder_chooser_win32.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "paths.h"
#include "photo_chooser_win32.h"
#include "settings_dialog_win32.h"
#include "text_win32.h"
#include "wic_support_win32.h"

namespace sorvane {

const wchar_t* const kFolderChooserTitle = L"\uFF8C\uFF6B\uFF99\uFF80\uFF9E\u3092\u958B\u304F";  // ﾌｫﾙﾀﾞを開く

namespace {

// The common item dialog picking folders. S_OK with Chosen set, S_FALSE on
// cancel, a failure when the dialog is not there (the caller falls back).
HRESULT PickWithItemDialog(HWND Owner, const std::wstring& Start, std::wstring& Chosen) {
  IFileOpenDialog* dialog = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(&dialog));
  if (FAILED(hr) || !dialog) return FAILED(hr) ? hr : E_FAIL;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR);
  dialog->SetTitle(kFolderChooserTitle);
  if (!Start.empty()) {
    IShellItem* folder = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(Start.c_str(), nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(&folder))) &&
        folder) {
      dialog->SetFolder(folder);
      folder->Release();
    }
  }
  hr = dialog->Show(Owner);
  HRESULT result = S_FALSE;
  if (SUCCEEDED(hr)) {
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->GetResult(&item)) && item) {
      wchar_t* path = nullptr;
      if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
        Chosen = path;
        CoTaskMemFree(path);
        result = S_OK;
      }
      item->Release();
    }
  }
  dialog->Release();
  return result;
}

// The older folder browser: its callback selects the start folder.
int CALLBACK BrowseCallback(HWND Window, UINT Message, LPARAM, LPARAM Data) {
  if (Message == BFFM_INITIALIZED && Data) SendMessageW(Window, BFFM_SETSELECTIONW, TRUE, Data);
  return 0;
}

bool PickWithFolderBrowser(HWND Owner, const std::wstring& Start, std::wstring& Chosen) {
  BROWSEINFOW info{};
  info.hwndOwner = Owner;
  info.lpszTitle = kFolderChooserTitle;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = Start.empty() ? 0 : reinterpret_cast<LPARAM>(Start.c_str());
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
  if (!list) return false;
  // Long paths: the buffer SHGetPathFromIDListEx fills, as large as a path gets.
  std::wstring path(32768, L'\0');
  const bool got = SHGetPathFromIDListEx(list, &path[0], static_cast<DWORD>(path.size()), GPFIDL_DEFAULT) != FALSE;
  CoTaskMemFree(list);
  if (!got) return false;
  path.resize(wcslen(path.c_str()));
  if (path.empty()) return false;
  Chosen = path;
  return true;
}

}  // namespace

bool PickFolder(HWND Owner, const std::wstring& Start, std::wstring& Chosen) {
  const ComScope com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);  // while the picker is open
  const HRESULT hr = PickWithItemDialog(Owner, Start, Chosen);
  if (hr == S_OK) return true;
  if (hr == S_FALSE) return false;
  return PickWithFolderBrowser(Owner, Start, Chosen);
}

// The folder button: the picker opens in the folder of the path box (the
// folder itself when it names one); a choice is taken as TakeChosenFolder
// says. The focus goes back to the control that had it.
void Sorvane_P::Cmd_Folder_Click() {
  HWND hadFocus = GetFocus();
  const std::wstring start = AnsiToWide(host_.Settings->PictureFolder);
  std::wstring chosen;
  const bool picked = host_.ChooseFolder ? host_.ChooseFolder(form_, start, chosen) : PickFolder(form_, start, chosen);
  if (picked) TakeChosenFolder(chosen);
  if (form_ && hadFocus && IsWindow(hadFocus) && IsChild(form_, hadFocus)) SetFocus(hadFocus);
}

// A chosen folder becomes path, chooser folder, sample and count; one the
// settings file cannot hold changes nothing, as with the file chooser.
bool Sorvane_P::TakeChosenFolder(const std::wstring& Folder) {
  std::string path;
  if (Folder.empty() || !StoredPathFor(Folder, path)) return false;
  host_.Settings->PicturePath = path;
  if (pname_) SetWindowTextW(pname_, AnsiToWide(path).c_str());
  host_.Settings->PictureFolder = path;
  ShowSample();
  return true;
}

}  // namespace sorvane
