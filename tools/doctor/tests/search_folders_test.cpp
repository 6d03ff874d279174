// The search order as a game of each kind sees it: what Wine shows of a
// 32-bit process on 64-bit Windows is not what Windows does, so the mapping
// of System32 and the folding of one folder's spellings are checked here.
#include "search_folders.h"

#include <gtest/gtest.h>

namespace doctor {
namespace {

const wchar_t kPath[] =
    L"C:\\WINDOWS\\System32\\;C:\\Windows\\system32\\wbem;"
    L"C:\\Windows\\System32Tools;;c:/windows;"
    L"C:\\Users\\Jos\u00e9\\AppData\\Local\\Microsoft\\WindowsApps;"
    L"d:/game/bin/";

std::vector<std::wstring> paths(bool wow64) {
  SystemFolders system{L"C:\\Windows\\system32", L"C:\\Windows\\SysWOW64",
                       L"C:\\Windows", wow64};
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
  EXPECT_EQ(paths(true), want);
}

TEST(SearchFolders, OtherGamesSearchSystem32Once) {
  std::vector<std::wstring> want = {
      L"D:\\Game\\bin",
      L"C:\\Windows\\system32",
      L"C:\\Windows\\System",
      L"C:\\Windows",
      L"C:\\Windows\\system32\\wbem",
      L"C:\\Windows\\System32Tools",
      L"C:\\Users\\Jos\u00e9\\AppData\\Local\\Microsoft\\WindowsApps"};
  EXPECT_EQ(paths(false), want);
}

TEST(SearchFolders, RelativeNamesAreSearchedFor) {
  for (const wchar_t *name :
       {L"engine.dll", L"sub\\engine.dll", L"..\\e.dll", L"C:engine.dll"})
    EXPECT_TRUE(isRelative(name)) << name;
  for (const wchar_t *path :
       {L"C:\\e.dll", L"c:/e.dll", L"\\e.dll", L"\\\\server\\share\\e.dll"})
    EXPECT_FALSE(isRelative(path)) << path;
}

} // namespace
} // namespace doctor
