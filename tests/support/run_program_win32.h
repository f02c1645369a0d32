// Starting the built Sorvane.scr from a Windows test and waiting for it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace sorvane::testing {

// Full path of a file beside the running test program.
inline std::wstring BesideTestProgram(const std::wstring& name) {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring path(buf, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

// A started program; the process is killed if it is still running when this
// goes out of scope.
class RunningProgram {
 public:
  RunningProgram(const std::wstring& exe, const std::wstring& arguments)
      : RunningProgram(exe, L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments), true) {}

  // The program started with exactly this command line (the program's name
  // in it as the caller writes it, quoted or not).
  static std::unique_ptr<RunningProgram> WithCommandLine(const std::wstring& exe, const std::wstring& commandLine) {
    return std::unique_ptr<RunningProgram>(new RunningProgram(exe, commandLine, true));
  }

  ~RunningProgram() {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
      CloseHandle(process_);
    }
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

 private:
  RunningProgram(const std::wstring& exe, std::wstring commandLine, bool) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      process_ = pi.hProcess;
      CloseHandle(pi.hThread);
    } else {
      error_ = GetLastError();
    }
  }

 public:
  bool Started() const { return process_ != nullptr; }
  // Why the start failed (GetLastError of CreateProcess), 0 when it started.
  DWORD StartError() const { return error_; }

  // True when the program ended within Milliseconds; its exit code goes to Code.
  bool WaitForEnd(DWORD Milliseconds, DWORD* Code = nullptr) {
    if (!process_) return false;
    // Keep our own windows answering while we wait (FindWindow sends messages).
    const DWORD start = GetTickCount();
    for (;;) {
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= Milliseconds) return false;
      const DWORD r = MsgWaitForMultipleObjects(1, &process_, FALSE, Milliseconds - elapsed, QS_ALLINPUT);
      if (r == WAIT_OBJECT_0) break;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    if (Code) GetExitCodeProcess(process_, Code);
    return true;
  }

  HANDLE Handle() const { return process_; }

 private:
  HANDLE process_ = nullptr;
  DWORD error_ = 0;
};

}  // namespace sorvane::testing
