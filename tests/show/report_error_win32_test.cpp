// The texture error's message box under the Japanese code page: a file in a
// folder with a Japanese name is named correctly in the box's text. Windows
// build only; scripts/wine-run.sh runs it with code page 932.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "photo_texture.h"
#include "text_win32.h"

namespace sorvane {
namespace {

// A folder with a Japanese name in the temporary folder, removed afterwards.
class JapaneseFolder {
 public:
  JapaneseFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp, n) + L"\u5199\u771F\u30D5\u30A9\u30EB\u30C0" +  // 写真フォルダ
            std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~JapaneseFolder() {
    DeleteFileW(File().c_str());
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }
  std::wstring File() const { return path_ + L"\\Sorvane.bmp"; }

 private:
  std::wstring path_;
};

// Waits up to five seconds for the message box titled Caption of this
// process; gives its text and closes it with OK.
std::wstring AnswerMessageBox(const wchar_t* Caption) {
  for (int i = 0; i < 100; ++i) {
    const HWND box = FindWindowW(L"#32770", Caption);
    if (box) {
      wchar_t text[1024] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the box's text control
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return text;
    }
    Sleep(50);
  }
  return L"(no message box)";
}

TEST(TextureErrorBox, NamesAJapaneseFolderAsItIs) {
  ASSERT_EQ(GetACP(), 932u) << "run under code page 932 (scripts/wine-run.sh)";
  JapaneseFolder folder;
  // A bitmap that ends inside its headers: the loader refuses it with a box.
  const HANDLE h = CreateFileW(folder.File().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, "BM", 2, &written, nullptr);
  CloseHandle(h);

  // The show holds its paths in the ANSI code page: the folder's name is
  // code page 932 bytes here, not UTF-8.
  bool lossy = true;
  const std::string ansiPath = WideToAnsi(folder.File(), &lossy);
  ASSERT_FALSE(lossy);
  ASSERT_NE(ansiPath.find("\x8E\xCA\x90\x5E"), std::string::npos);  // 写真 in code page 932

  bool loaded = true;
  std::thread loader([&] {
    unsigned int texture = 0;
    loaded = LoadPhotoTexture(ansiPath, texture);
  });
  const std::wstring text = AnswerMessageBox(L"Sorvane");
  loader.join();
  EXPECT_FALSE(loaded);
  EXPECT_NE(text.find(L"\u30D5\u30A1\u30A4\u30EB\u304C\u9014\u4E2D\u3067"), std::wstring::npos) << "description: ファイルが途中で";
  EXPECT_NE(text.find(folder.File()), std::wstring::npos) << "the file's whole name";
}

}  // namespace
}  // namespace sorvane
