// Asking WIC which decoders are installed and the extensions each claims (see
// wic_codecs_win32.h).

#include "wic_codecs_win32.h"

#include <wincodec.h>

#include "text_win32.h"
#include "wic_support_win32.h"

namespace sorvane {

// Enumerates the decoder components and reads each one's extension list.
std::vector<std::string> InstalledDecoderExtensions() {
  std::vector<std::string> lists;
  ComScope com;
  ComRef<IWICImagingFactory> factory;
  ComRef<IEnumUnknown> components;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.Out()))) ||
      FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, components.Out())))
    return lists;
  for (int count = 0; count < 1000; ++count) {
    ComRef<IUnknown> component;
    ULONG fetched = 0;
    if (components->Next(1, component.Out(), &fetched) != S_OK || fetched != 1) break;
    ComRef<IWICBitmapCodecInfo> info;
    if (FAILED(component->QueryInterface(IID_IWICBitmapCodecInfo, reinterpret_cast<void**>(info.Out())))) continue;
    UINT length = 0;
    if (FAILED(info->GetFileExtensions(0, nullptr, &length)) || length == 0 || length > 4096) continue;
    std::wstring text(length, L'\0');
    if (FAILED(info->GetFileExtensions(length, &text[0], &length))) continue;
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    lists.push_back(WideToAnsi(text));
  }
  return lists;
}

}  // namespace sorvane
