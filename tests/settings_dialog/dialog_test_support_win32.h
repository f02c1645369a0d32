// Helpers for the settings dialog's Windows tests: pictures on disk, message
// pumping, window geometry, and a dialog opened in-process with a host that
// records what would end the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "settings_dialog_win32.h"
#include "temp_folder.h"

namespace sorvane::testing {

// A 24-bit BMP of Width x Height in one colour.
inline std::string BmpBytes(int Width, int Height, uint8_t Red, uint8_t Green, uint8_t Blue) {
  const uint32_t row = (static_cast<uint32_t>(Width) * 3 + 3) & ~3u;
  const uint32_t dataSize = row * static_cast<uint32_t>(Height);
  std::string b(54 + dataSize, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, 54 + dataSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(Width));
  put32(22, static_cast<uint32_t>(Height));
  b[26] = 1;
  b[28] = 24;
  put32(34, dataSize);
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      const size_t at = 54 + y * row + x * 3;
      b[at] = static_cast<char>(Blue);
      b[at + 1] = static_cast<char>(Green);
      b[at + 2] = static_cast<char>(Red);
    }
  }
  return b;
}

// Runs every message waiting for this thread.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Left, top, width and height of Window in its parent's client area.
struct Box {
  long X, Y, W, H;
  bool operator==(const Box& o) const { return X == o.X && Y == o.Y && W == o.W && H == o.H; }
};
inline std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "(" << b.X << "," << b.Y << " " << b.W << "x" << b.H << ")";
}
inline Box ChildBox(HWND Window) {
  RECT r{};
  GetWindowRect(Window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(Window), reinterpret_cast<POINT*>(&r), 2);
  return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The whole contents of a file, or "<none>" when it cannot be read.
inline std::string FileBytes(const std::string& Path) {
  std::FILE* f = std::fopen(Path.c_str(), "rb");
  if (!f) return "<none>";
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

// A dialog opened in-process on a temporary settings file.
class DialogUnderTest {
 public:
  explicit DialogUnderTest(const SettingsRecord& Record) : record_(Record) {
    SettingsDialogHost host;
    host.Settings = &record_;
    host.SettingsFile = folder_.File("Sorvane.ini");
    host.EndProgram = [this] { ++endCalls_; };
    host.OpenAddress = [this](HWND, const std::wstring& Address) { opened_ += Address; };
    host.ChooseFile = [this](OPENFILENAMEW& Request) { return choose_ ? choose_(Request) : false; };
    host.ChooseFolder = [this](HWND, const std::wstring& Start, std::wstring& Chosen) {
      return chooseFolder_ ? chooseFolder_(Start, Chosen) : false;
    };
    host.ShowMessage = [this](HWND, const std::wstring& Text) { messages_.push_back(Text); };
    host.Animate = [this](HWND Window, const RECT& From, const RECT& To) { zooms_.push_back({Window, From, To}); };
    dialog_ = std::make_unique<Sorvane_P>(std::move(host));
  }

  bool Open() {
    const bool ok = dialog_->Open();
    Pump();
    return ok;
  }

  Sorvane_P& Dialog() { return *dialog_; }
  SettingsRecord& Record() { return record_; }
  const TempFolder& Folder() const { return folder_; }
  std::string SettingsFile() const { return folder_.File("Sorvane.ini"); }
  int EndCalls() const { return endCalls_; }
  const std::wstring& Opened() const { return opened_; }
  void OnChoose(std::function<bool(OPENFILENAMEW&)> Choose) { choose_ = std::move(Choose); }
  void OnChooseFolder(std::function<bool(const std::wstring& Start, std::wstring& Chosen)> Choose) {
    chooseFolder_ = std::move(Choose);
  }
  // The message boxes the dialog would have shown.
  const std::vector<std::wstring>& Messages() const { return messages_; }
  // The zoom animations the dialog asked for, in order.
  struct Zoom {
    HWND Window;
    RECT From, To;
  };
  const std::vector<Zoom>& Zooms() const { return zooms_; }

 private:
  TempFolder folder_;
  SettingsRecord record_;
  std::unique_ptr<Sorvane_P> dialog_;
  int endCalls_ = 0;
  std::wstring opened_;
  std::function<bool(OPENFILENAMEW&)> choose_;
  std::function<bool(const std::wstring&, std::wstring&)> chooseFolder_;
  std::vector<std::wstring> messages_;
  std::vector<Zoom> zooms_;
};

inline bool SameRect(const RECT& A, const RECT& B) {
  return A.left == B.left && A.top == B.top && A.right == B.right && A.bottom == B.bottom;
}

// A settings record as LoadSettings leaves it for count 30, size 12 and no photo.
inline SettingsRecord DefaultRecord() {
  SettingsRecord r;
  r.StarCount = 30;
  r.StarSize = 12.0f;
  return r;
}

}  // namespace sorvane::testing
