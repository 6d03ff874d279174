// Windows keeps names in UTF-16; the report is UTF-8.  A name that is no
// valid UTF-16 (a lone surrogate) gets U+FFFD, as Windows converts it.
#include "doctor.h"

#include <windows.h>

namespace doctor {

std::string utf8(const std::wstring &text) {
  if (text.empty())
    return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                              static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring wide(const std::string &utf8Text) {
  if (utf8Text.empty())
    return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(),
                              static_cast<int>(utf8Text.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(),
                      static_cast<int>(utf8Text.size()), &out[0], n);
  return out;
}

} // namespace doctor
