// Portable path helpers shared by both platforms.

#include "paths.h"

namespace sorvane {

bool EndsWithSeparator(const std::string& Path) {
  bool endsWithSeparator = false;
  for (size_t i = 0; i < Path.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(Path[i]))) {
      ++i;
      endsWithSeparator = false;
      continue;
    }
    endsWithSeparator = (Path[i] == '\\' || Path[i] == '/');
  }
  return endsWithSeparator;
}

}  // namespace sorvane
