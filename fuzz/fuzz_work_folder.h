// The folder in which a settings fuzz target (settings_reader_fuzzer.cpp,
// settings_writer_fuzzer.cpp) keeps its Sorvane.ini: private to the process,
// in memory where there is a tmpfs (every run writes a file), and removed
// when the fuzzer ends. Header-only; each target includes it once.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzz_support {

// Held in a plain array, which outlives every exit handler.
inline char gFolder[64];

inline void RemoveWorkFolder() {
  std::remove((std::string(gFolder) + "/Sorvane.ini").c_str());
  rmdir(gFolder);
}

// Made on first use; Name tells the targets' folders apart.
inline std::string WorkFolder(const char* Name) {
  if (!gFolder[0]) {
    for (const char* base : {"/dev/shm", "/tmp"}) {
      std::snprintf(gFolder, sizeof gFolder, "%s/sorvane-fuzz-%s-XXXXXX", base, Name);
      if (mkdtemp(gFolder)) break;
      gFolder[0] = '\0';
    }
    if (!gFolder[0]) std::abort();
    std::atexit(RemoveWorkFolder);
  }
  return gFolder;
}

}  // namespace fuzz_support
