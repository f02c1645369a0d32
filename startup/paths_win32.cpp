// Paths and files on Windows (pairs with paths.h; the Linux side is
// paths_posix.cpp). Paths arrive as ANSI code page bytes and are converted to
// UTF-16 for the wide-character file functions.

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <string>

#include "paths.h"
#include "text_win32.h"

namespace sorvane {

std::wstring AnsiToWide(const std::string& Text) {
  if (Text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), &out[0], n);
  return out;
}

std::string WideToAnsi(const std::wstring& Text, bool* UsedDefault) {
  if (UsedDefault) *UsedDefault = false;
  if (Text.empty()) return std::string();
  BOOL used = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0,
                                    nullptr, &used);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), &out[0], n, nullptr, &used);
  if (UsedDefault) *UsedDefault = used != FALSE;
  return out;
}

std::wstring Utf8ToWide(const std::string& Text) {
  if (Text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), &out[0], n);
  return out;
}

std::string ProgramFolder() {
  std::wstring exe(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size()));
  if (n == 0 || n >= exe.size()) return ".";
  exe.resize(n);
  std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // a drive root keeps its "\"
  bool lossy = false;
  std::string ansi = WideToAnsi(folder, &lossy);
  if (lossy) {
    // A folder name outside the ANSI code page: its short name is plain ASCII.
    std::wstring shortName(32768, L'\0');
    const DWORD s = GetShortPathNameW(folder.c_str(), &shortName[0], static_cast<DWORD>(shortName.size()));
    if (s > 0 && s < shortName.size()) {
      shortName.resize(s);
      ansi = WideToAnsi(shortName);
    }
  }
  return ansi;
}

const char* PathSeparator() { return "\\"; }

bool IsLeadByte(unsigned char Byte) { return IsDBCSLeadByteEx(CP_ACP, Byte) != FALSE; }

bool FileExists(const std::string& Path) {
  std::string p = Path;
  if (!p.empty() && EndsWithSeparator(p)) p.pop_back();
  if (p.empty()) return false;
  const std::wstring wide = AnsiToWide(p);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool FolderExists(const std::string& Path) {
  if (Path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(AnsiToWide(Path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::FILE* OpenFile(const std::string& Path, const char* Mode) {
  if (Path.empty()) return nullptr;
  const std::wstring wide = AnsiToWide(Path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
  const std::wstring mode = AnsiToWide(Mode);
  std::FILE* f = _wfopen(wide.c_str(), mode.c_str());
  // Only files on a disk: a device name such as CON would wait for input.
  if (f && GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) != FILE_TYPE_DISK) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

bool FlushToDisk(std::FILE* File) {
  if (std::fflush(File) != 0) return false;
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(File)))) != FALSE;
}

bool ReplaceFileWith(const std::string& From, const std::string& To) {
  const std::wstring target = AnsiToWide(To);
  // Windows refuses to replace a read-only file or a folder; Wine replaces a
  // read-only file. Refused here alike, so a file the user protected stays.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return MoveFileExW(AnsiToWide(From).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
}

bool DeleteFileAt(const std::string& Path) { return DeleteFileW(AnsiToWide(Path).c_str()) != FALSE; }

std::string SiblingTempName(const std::string& Path) {
  // One write at a time per process, and each renames its file away.
  return Path + ".new" + std::to_string(GetCurrentProcessId());
}

bool Utf8ToNarrow(const std::string& Text, std::string& Out) {
  Out = Text;
  if (Text.empty()) return true;
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Text.data(), static_cast<int>(Text.size()),
                                    nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Text.data(), static_cast<int>(Text.size()), &wide[0], n);
  bool lossy = false;
  std::string narrow = WideToAnsi(wide, &lossy);
  if (lossy) {
    // A name outside the code page: its short name is plain ASCII.
    std::wstring shortName(32768, L'\0');
    const DWORD s = GetShortPathNameW(wide.c_str(), &shortName[0], static_cast<DWORD>(shortName.size()));
    if (s == 0 || s >= shortName.size()) return false;
    shortName.resize(s);
    narrow = WideToAnsi(shortName, &lossy);
    if (lossy) return false;
  }
  Out = narrow;
  return true;
}

bool NarrowToUtf8(const std::string& Text, std::string& Out) {
  Out = Text;
  if (Text.empty()) return true;
  const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, Text.data(), static_cast<int>(Text.size()),
                                    nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, Text.data(), static_cast<int>(Text.size()), &wide[0], n);
  const int u = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (u <= 0) return false;
  Out.assign(static_cast<size_t>(u), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &Out[0], u, nullptr, nullptr);
  return true;
}

}  // namespace sorvane
