// Error report on Windows (pairs with report_error.h; Linux is
// report_error_x11.cpp): a message box with an OK button only.

#include <windows.h>

#include "report_error.h"
#include "text_win32.h"

namespace sorvane {

// Text = the error's description and the file's name, caption = the
// application's title. The two halves come in different encodings and are
// each widened from their own: a folder name in code page 932 read as UTF-8
// would come out as garbage.
void ReportError(const std::string& Description, const std::string& FilePath) {
  std::wstring text = Utf8ToWide(Description);
  if (!FilePath.empty()) text += L": " + AnsiToWide(FilePath);
  MessageBoxW(nullptr, text.c_str(), Utf8ToWide(kApplicationTitle).c_str(), MB_OK | MB_TOPMOST);
}

}  // namespace sorvane
