// Small COM helpers shared by the Windows Imaging Component code (the picture
// decoders of picture_decoder_wic.cpp and the list of installed decoders of
// wic_codecs_win32.cpp, and the settings dialog's folder picker): an owning
// interface pointer and a per-thread COM scope. Windows only, header only; it creates no WIC object itself.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace sorvane {

// Holds one COM interface and releases it.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  T** Out() { return &p_; }

 private:
  T* p_ = nullptr;
};

// COM for this thread while WIC is used; balanced only when it was ours to
// start (a thread already in another apartment model keeps its own).
class ComScope {
 public:
  explicit ComScope(DWORD Flags = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, Flags)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

}  // namespace sorvane
