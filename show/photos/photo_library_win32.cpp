// The photo library's Windows part (pairs with photo_library.h and
// photo_library_posix.cpp): reading a folder with FindFirstFileExW, telling
// folders apart by volume and file index, and %LOCALAPPDATA%\Sorvane. Names
// the ANSI code page cannot say are passed over (the narrow paths of the
// show could not open them).

#include <windows.h>

#include <string>

#include "paths.h"
#include "photo_library.h"
#include "text_win32.h"

namespace sorvane {

bool ListFolder(const std::string& Folder, const std::function<bool(const FolderIdentity&)>& Enter,
                const std::function<bool(const char*, FolderEntryKind)>& Each) {
  const std::wstring wide = AnsiToWide(Folder);
  if (wide.empty()) return false;
  // The folder itself, opened as a folder (links and junctions followed).
  const HANDLE folder = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(folder, &info) != FALSE;
  CloseHandle(folder);
  if (!known || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  const FolderIdentity id{info.dwVolumeSerialNumber,
                          (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  if (!Enter(id)) return true;

  std::wstring pattern = wide;
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    bool lossy = false;
    const std::string name = WideToAnsi(found.cFileName, &lossy);
    if (name.empty() || lossy) continue;
    const DWORD a = found.dwFileAttributes;
    FolderEntryKind kind = FolderEntryKind::File;
    if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
      kind = FolderEntryKind::Other;  // Explorer's hidden files (Thumbs.db, desktop.ini)
    } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
      kind = FolderEntryKind::Folder;
    } else if (a & (FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_OFFLINE)) {
      kind = FolderEntryKind::Other;
    }
    if (!Each(name.c_str(), kind)) break;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

void LowerThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST); }

std::string PhotoCacheFolder() {
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (n == 0) return std::string();
  std::wstring base(n, L'\0');
  base.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", &base[0], n));
  if (base.empty()) return std::string();
  const std::wstring folder = base + L"\\Sorvane";
  CreateDirectoryW(folder.c_str(), nullptr);
  bool lossy = false;
  const std::string narrow = WideToAnsi(folder, &lossy);
  if (lossy) return std::string();
  return FolderExists(narrow) ? narrow : std::string();
}

}  // namespace sorvane
