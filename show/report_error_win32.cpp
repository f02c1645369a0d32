// Error report on Windows (pairs with report_error.h; Linux is
// report_error_x11.cpp): a message box with an OK button only.

#include <windows.h>

#include "report_error.h"
#include "text_win32.h"

namespace sorvane {

// Text = the error's description, caption = the application's title.
void ReportError(const std::string& Description) {
  MessageBoxW(nullptr, Utf8ToWide(Description).c_str(), Utf8ToWide(kApplicationTitle).c_str(),
              MB_OK | MB_TOPMOST);
}

}  // namespace sorvane
