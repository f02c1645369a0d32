// The temporary bitmap on Windows (pairs with photo_bitmap.h; Linux is
// photo_bitmap_posix.cpp). Paths are ANSI code page bytes outside and UTF-16
// towards the system; the fallback is a new folder under GetTempPathW, named
// in ANSI by its short name when its long name does not fit the code page.

#include <windows.h>

#include <string>

#include "paths.h"
#include "photo_bitmap.h"
#include "text_win32.h"

namespace sorvane {
namespace {

// Creates Path (CREATE_NEW) and writes all of Bytes; removes it on failure.
bool WriteNewFile(const std::wstring& Path, const std::vector<uint8_t>& Bytes) {
  HANDLE h = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, Bytes.data(), static_cast<DWORD>(Bytes.size()), &written, nullptr) &&
                  written == Bytes.size();
  const bool closed = CloseHandle(h) != FALSE;
  if (ok && closed) return true;
  DeleteFileW(Path.c_str());
  return false;
}

// A wide path as ANSI bytes, through its short name when needed; empty when
// it cannot be named in the code page at all.
std::string AnsiPathOf(const std::wstring& Path) {
  bool lossy = false;
  std::string ansi = WideToAnsi(Path, &lossy);
  if (!lossy) return ansi;
  std::wstring shortName(32768, L'\0');
  const DWORD n = GetShortPathNameW(Path.c_str(), &shortName[0], static_cast<DWORD>(shortName.size()));
  if (n == 0 || n >= shortName.size()) return std::string();
  shortName.resize(n);
  ansi = WideToAnsi(shortName, &lossy);
  return lossy ? std::string() : ansi;
}

}  // namespace

// Joined as plain text, like the settings file's name.
bool WriteBitmapBesideProgram(const std::string& Folder, const std::vector<uint8_t>& Bytes, PhotoBitmapFile& File) {
  const std::string path = Folder + PathSeparator() + kPhotoBitmapName;
  const std::wstring wide = AnsiToWide(path);
  if (FileExists(path)) DeleteFileW(wide.c_str());
  if (!WriteNewFile(wide, Bytes)) {
    File.Failure = "cannot write " + path;
    return false;
  }
  File.Path = path;
  File.PrivateFolder.clear();
  File.Failure.clear();
  return true;
}

// A new folder "Sorvane-<process>-<n>" under the temporary folder, then the file.
bool WriteBitmapInPrivateFolder(const std::vector<uint8_t>& Bytes, PhotoBitmapFile& File) {
  File.Failure = "cannot write a bitmap in the temporary folder";
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return false;
  const std::wstring base(temp, n);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::wstring folder = base + L"Sorvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount64() % 1000000u) + L"-" + std::to_wstring(attempt);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    const std::string ansiFolder = AnsiPathOf(folder);
    const std::wstring file = folder + L"\\" + Utf8ToWide(kPhotoBitmapName);
    if (ansiFolder.empty() || !WriteNewFile(file, Bytes)) {
      RemoveDirectoryW(folder.c_str());
      return false;
    }
    File.Path = ansiFolder + "\\" + kPhotoBitmapName;
    File.PrivateFolder = ansiFolder;
    File.Failure.clear();
    return true;
  }
  return false;
}

// Removes the file, then its private folder.
void DeletePhotoBitmap(const PhotoBitmapFile& File) {
  if (!File.Path.empty()) DeleteFileW(AnsiToWide(File.Path).c_str());
  if (!File.PrivateFolder.empty()) RemoveDirectoryW(AnsiToWide(File.PrivateFolder).c_str());
}

}  // namespace sorvane
