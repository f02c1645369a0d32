// Error report on Linux (pairs with report_error.h; Windows is
// report_error_win32.cpp): one line on standard error, since a screen saver
// hack has no one to click a box.

#include <cstdio>

#include "report_error.h"

namespace sorvane {

// "Sorvane: <description>: <file>" and a newline.
void ReportError(const std::string& Description, const std::string& FilePath) {
  if (FilePath.empty()) {
    std::fprintf(stderr, "%s: %s\n", kApplicationTitle, Description.c_str());
  } else {
    std::fprintf(stderr, "%s: %s: %s\n", kApplicationTitle, Description.c_str(), FilePath.c_str());
  }
}

}  // namespace sorvane
