// XScreenSaver's image folder, and a photograph from a feed through its helper
// (see image_folder_posix.h).

#include "image_folder_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sorvane {

const char* const kImageFolderHelper = "xscreensaver-getimage-file";

namespace {

// A path is at most this long; anything longer is not a path.
constexpr size_t kMaxOutput = 8192;

// The helper's first line, without blanks and line ends around it.
std::string FirstLine(const std::string& Text) {
  std::string line = Text.substr(0, Text.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
  size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  return line.substr(start);
}

// Blanks and tabs dropped at both ends.
std::string Trimmed(const std::string& Text) {
  size_t start = 0, end = Text.size();
  while (start < end && (Text[start] == ' ' || Text[start] == '\t')) ++start;
  while (end > start && (Text[end - 1] == ' ' || Text[end - 1] == '\t' || Text[end - 1] == '\r')) --end;
  return Text.substr(start, end - start);
}

// ~/.xscreensaver is small; anything beyond this is not read.
constexpr size_t kMaxSettingsBytes = 1 << 20;

}  // namespace

std::string ImageFolderInSettings(const std::string& SettingsText, const std::string& Home) {
  static const std::string kKey = "imageDirectory:";
  std::string folder;
  size_t at = 0;
  while (at < SettingsText.size()) {
    size_t end = SettingsText.find('\n', at);
    if (end == std::string::npos) end = SettingsText.size();
    if (SettingsText.compare(at, kKey.size(), kKey) == 0)
      folder = Trimmed(SettingsText.substr(at + kKey.size(), end - at - kKey.size()));  // the last one counts
    at = end + 1;
  }
  if (folder == "~") folder = Home;
  else if (folder.compare(0, 2, "~/") == 0 && !Home.empty()) folder = Home + folder.substr(1);
  return folder;
}

bool IsFeedAddress(const std::string& Folder) {
  return Folder.compare(0, 7, "http://") == 0 || Folder.compare(0, 8, "https://") == 0;
}

bool XScreenSaverImageFolder(std::string& Folder, std::string& Why) {
  const char* home = std::getenv("HOME");
  const std::string homeFolder = home ? home : "";
  std::string text;
  if (std::FILE* f = homeFolder.empty() ? nullptr : std::fopen((homeFolder + "/.xscreensaver").c_str(), "rb")) {
    text.resize(kMaxSettingsBytes);
    text.resize(std::fread(&text[0], 1, text.size(), f));
    std::fclose(f);
  }
  Folder = ImageFolderInSettings(text, homeFolder);
  if (!Folder.empty()) return true;
  Why = "no image folder is set in XScreenSaver's settings (choose a folder of pictures in xscreensaver-settings)";
  return false;
}

std::vector<std::string> ImageFolderHelperPlaces(const std::string& ProgramFolderPath) {
  return {ProgramFolderPath, "/usr/libexec/xscreensaver", "/usr/lib/xscreensaver"};
}

bool PickFromImageFolder(const std::vector<std::string>& Places, int TimeoutMilliseconds, std::string& Path,
                         std::string& Why) {
  std::string helper = kImageFolderHelper;  // found on the PATH by execvp
  for (const std::string& place : Places) {
    const std::string candidate = place + "/" + kImageFolderHelper;
    if (!place.empty() && access(candidate.c_str(), X_OK) == 0) {
      helper = candidate;
      break;
    }
  }

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    Why = std::string("cannot run ") + kImageFolderHelper + ": " + std::strerror(errno);
    return false;
  }
  const pid_t child = fork();
  if (child < 0) {
    Why = std::string("cannot run ") + kImageFolderHelper + ": " + std::strerror(errno);
    close(out[0]);
    close(out[1]);
    return false;
  }
  if (child == 0) {
    // The helper's output is the path; its messages go where ours go.
    dup2(out[1], STDOUT_FILENO);
    const int none = open("/dev/null", O_RDONLY);
    if (none >= 0) dup2(none, STDIN_FILENO);
    char* const argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>("--absolute"), nullptr};
    execvp(argv[0], argv);
    _exit(127);
  }
  close(out[1]);

  std::string text;
  bool timedOut = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMilliseconds);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;  // the deadline is checked above
    char buffer[1024];
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the helper closed its output
    text.append(buffer, static_cast<size_t>(n));
    if (text.size() > kMaxOutput) break;
  }
  close(out[0]);
  // Ended, not waited for, when it overstays or talks without end.
  if (timedOut || text.size() > kMaxOutput) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }

  if (timedOut) {
    Why = std::string(kImageFolderHelper) + " took longer than " + std::to_string(TimeoutMilliseconds / 1000) +
          " seconds to pick a photograph";
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && text.empty()) {
    Why = std::string(kImageFolderHelper) + " was not found; it comes with XScreenSaver";
    return false;
  }
  const std::string line = FirstLine(text);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || line.empty() || line[0] != '/' ||
      text.size() > kMaxOutput) {
    Why = "no photograph found in XScreenSaver's image folder (choose a folder of pictures in "
          "xscreensaver-settings and allow choosing random images)";
    return false;
  }
  Path = line;
  return true;
}

}  // namespace sorvane
