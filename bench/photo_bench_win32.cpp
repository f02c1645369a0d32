// Benchmark of the Windows build for one very large photograph: a SIDE x SIDE
// baseline JPEG (20000 x 20000 unless given) made at start with the Windows
// Imaging Component's encoder, a band of rows at a time, then measured the way
// Sorvane.scr uses it, each in a child process of its own so that the peak
// memory is that of the one job: the show's photo square (PreparePhotoSquare)
// and the settings dialog's sample (CheckPicture, then LoadPictureScaled to
// at most 80 x 80). Prints figures; it passes or fails nothing. Run under Wine:
//   scripts/wine-run.sh build/windows/bin/photo_bench_win32.exe [SIDE]
// One measurement alone: photo_bench_win32.exe --square FILE | --sample FILE

#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "photo_square.h"
#include "picture_file.h"
#include "show_random.h"
#include "text_win32.h"

namespace {

using Clock = std::chrono::steady_clock;

double Megabytes(SIZE_T Bytes) { return static_cast<double>(Bytes) / (1024.0 * 1024.0); }

// Writes a Side x Side baseline JPEG of smooth gradients with fine noise (a
// photograph's detail, roughly), 256 rows at a time: the encoder streams to
// the file, so making it takes little memory.
bool MakeJpeg(const std::wstring& Path, int Side) {
  bool ok = false;
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  IPropertyBag2* options = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(Path.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) && SUCCEEDED(frame->Initialize(options)) &&
      SUCCEEDED(frame->SetSize(Side, Side))) {
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    ok = SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR);
    const int band = 256;
    const UINT stride = static_cast<UINT>(Side) * 3;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * band);
    uint32_t noise = 12345;
    for (int y0 = 0; ok && y0 < Side; y0 += band) {
      const int lines = Side - y0 < band ? Side - y0 : band;
      for (int dy = 0; dy < lines; ++dy) {
        BYTE* row = &rows[static_cast<size_t>(dy) * stride];
        const int y = y0 + dy;
        for (int x = 0; x < Side; ++x) {
          noise = noise * 1664525u + 1013904223u;
          const int n = static_cast<int>(noise >> 28);
          row[x * 3] = static_cast<BYTE>(((x ^ y) >> 6) & 0xFF);
          row[x * 3 + 1] = static_cast<BYTE>((static_cast<long long>(y) * 255 / Side + n) & 0xFF);
          row[x * 3 + 2] = static_cast<BYTE>((static_cast<long long>(x) * 255 / Side + n) & 0xFF);
        }
      }
      ok = SUCCEEDED(frame->WritePixels(static_cast<UINT>(lines), stride, stride * static_cast<UINT>(lines),
                                         rows.data()));
    }
    ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  if (options) options->Release();
  if (frame) frame->Release();
  if (encoder) encoder->Release();
  if (stream) stream->Release();
  if (factory) factory->Release();
  return ok;
}

// The peak memory of this process so far (its working set: what Wine can
// tell of it too).
void PrintPeak(const char* Job, const std::string& Result, double Milliseconds, SIZE_T StartWorkingSet) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::printf("%-7s %-28s %9.1f ms  peak working set %7.1f MB (%7.1f MB over the start)\n", Job, Result.c_str(),
              Milliseconds, Megabytes(counters.PeakWorkingSetSize),
              Megabytes(counters.PeakWorkingSetSize - StartWorkingSet));
  std::fflush(stdout);
}

// One measurement in this process: the photo square or the dialog's sample.
int Measure(const std::wstring& Job, const std::wstring& File) {
  PROCESS_MEMORY_COUNTERS start{};
  start.cb = sizeof start;
  GetProcessMemoryInfo(GetCurrentProcess(), &start, sizeof start);
  const std::string path = sorvane::WideToAnsi(File);
  const auto began = Clock::now();
  std::string result;
  if (Job == L"--square") {
    sorvane::ShowRandom random(1);
    const sorvane::PhotoBitmapFile bitmap =
        sorvane::PreparePhotoSquare(path, "", random, sorvane::PhotoBitmapPlace::PrivateTempFolder);
    result = bitmap.Path.empty()                                  ? "no bitmap written"
             : bitmap.Photo == sorvane::PictureProblem::NoProblem ? "photograph shown"
                                                                  : sorvane::PictureProblemText(bitmap.Photo);
    sorvane::DeletePhotoBitmap(bitmap);
  } else {
    int width = 0, height = 0;
    const sorvane::PictureProblem problem = sorvane::CheckPicture(path, width, height);
    sorvane::BgrImage sample;
    if (problem != sorvane::PictureProblem::NoProblem) {
      result = sorvane::PictureProblemText(problem);
    } else {
      const int w = width >= height ? 80 : (width * 80 + height / 2) / height;
      const int h = width >= height ? (height * 80 + width / 2) / width : 80;
      result = sorvane::LoadPictureScaled(path, w > 0 ? w : 1, h > 0 ? h : 1, sample) ? "sample drawn"
                                                                                        : "sample not decoded";
    }
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
  PrintPeak(Job == L"--square" ? "show" : "dialog", result, ms, start.WorkingSetSize);
  return 0;
}

// Runs this program again for one measurement and waits for it.
void MeasureInChild(const wchar_t* Job, const std::wstring& File) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" " + Job + L" \"" + File + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("cannot start the measurement (error %lu)\n", GetLastError());
    return;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3) return Measure(argv[1], argv[2]);
  const int side = argc > 1 ? _wtoi(argv[1]) : 20000;
  if (side < 16 || side > 46000) {
    std::printf("usage: photo_bench_win32.exe [SIDE, 16 to 46000]\n");
    return 2;
  }
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring file = std::wstring(folder) + L"sorvane-photo-bench-" + std::to_wstring(GetCurrentProcessId()) +
                            L".jpg";
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const auto began = Clock::now();
  const bool made = MakeJpeg(file, side);
  CoUninitialize();
  if (!made) {
    std::printf("cannot make the %d x %d JPEG\n", side, side);
    DeleteFileW(file.c_str());
    return 1;
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
  std::printf("a %d x %d baseline JPEG of %.1f MB, made in %.1f s\n", side, side,
              Megabytes((static_cast<SIZE_T>(data.nFileSizeHigh) << 32) | data.nFileSizeLow),
              std::chrono::duration<double>(Clock::now() - began).count());
  std::fflush(stdout);
  MeasureInChild(L"--square", file);
  MeasureInChild(L"--sample", file);
  DeleteFileW(file.c_str());
  return 0;
}
