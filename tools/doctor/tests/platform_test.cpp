// What Wine does not show as Windows does: the search order of a 32-bit
// process on 64-bit Windows (System32 read as SysWOW64, one folder's
// spellings folded into one), and a console that takes UTF-16 while a file
// or pipe takes UTF-8.
#include "search_folders.h"
#include "text_sink.h"

#include <gtest/gtest.h>

namespace doctor {
namespace {

const wchar_t kPath[] =
    L"C:\\WINDOWS\\System32\\;C:\\Windows\\system32\\wbem;"
    L"C:\\Windows\\System32Tools;;c:/windows;"
    L"C:\\Users\\Jos\u00e9\\AppData\\Local\\Microsoft\\WindowsApps;"
    L"d:/game/bin/";

std::vector<std::wstring> paths() {
  SystemFolders system{L"C:\\Windows\\system32", L"C:\\Windows\\SysWOW64",
                       L"C:\\Windows", true};
  std::vector<std::wstring> out;
  for (const Folder &f : searchFolders(L"D:\\Game\\bin", system, kPath))
    out.push_back(f.path);
  return out;
}

TEST(SearchFolders, A32BitGameOn64BitWindowsReadsSysWow64ForSystem32) {
  std::vector<std::wstring> want = {
      L"D:\\Game\\bin",
      L"C:\\Windows\\SysWOW64",
      L"C:\\Windows\\System",
      L"C:\\Windows",
      L"C:\\Windows\\SysWOW64\\wbem",
      L"C:\\Windows\\System32Tools",
      L"C:\\Users\\Jos\u00e9\\AppData\\Local\\Microsoft\\WindowsApps"};
  EXPECT_EQ(paths(), want);
}

TEST(SearchFolders, RelativeNamesAreSearchedFor) {
  for (const wchar_t *name :
       {L"engine.dll", L"sub\\engine.dll", L"..\\e.dll", L"C:engine.dll"})
    EXPECT_TRUE(isRelative(name)) << name;
  for (const wchar_t *path :
       {L"C:\\e.dll", L"c:/e.dll", L"\\e.dll", L"\\\\server\\share\\e.dll"})
    EXPECT_FALSE(isRelative(path)) << path;
}

TEST(TextSink, OnlyAConsoleGetsUtf16) {
  EXPECT_EQ(sinkFor(true, true), Sink::kConsole);
  EXPECT_EQ(sinkFor(true, false), Sink::kUtf8);  // NUL, a serial port
  EXPECT_EQ(sinkFor(false, false), Sink::kUtf8); // a file or a pipe
}

} // namespace
} // namespace doctor
