// Error report on Linux (pairs with report_error.h; Windows is
// report_error_win32.cpp): one line on standard error, since a screen saver
// hack has no one to click a box.

#include <cstdio>

#include "report_error.h"

namespace sorvane {

// "Sorvane: <description>" and a newline.
void ReportError(const std::string& Description) {
  std::fprintf(stderr, "%s: %s\n", kApplicationTitle, Description.c_str());
}

}  // namespace sorvane
