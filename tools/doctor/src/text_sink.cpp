#include "text_sink.h"
#include "doctor.h"

#include <windows.h>

namespace doctor {

void writeText(const std::string &utf8Text, bool toError) {
  HANDLE out = GetStdHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE)
    return;
  DWORD mode = 0;
  Sink sink =
      sinkFor(GetFileType(out) == FILE_TYPE_CHAR, GetConsoleMode(out, &mode));
  DWORD done = 0;
  if (sink == Sink::kConsole) {
    std::wstring text = wide(utf8Text);
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &done,
                  nullptr);
  } else {
    WriteFile(out, utf8Text.data(), static_cast<DWORD>(utf8Text.size()), &done,
              nullptr);
  }
}

} // namespace doctor
