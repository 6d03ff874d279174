// The version resource and export table of every DLL in dist/ as Windows
// reads them: the project's version, the DLL's own name, its Java class and
// its build, the build matching both the dist/ folder and the PE machine
// type, and exactly the exports of the library's list.
#include "pe_file.h"
#include "release_expected.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::vector<uint8_t> readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> readLines(const std::string &path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (!line.empty())
      lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// "x86/Tovrik.dll"-style paths of the DLLs in dist/x86 and dist/x64.
std::vector<std::string> distDlls() {
  std::vector<std::string> out;
  for (const char *arch : {"x86", "x64"}) {
    DIR *dir = opendir((std::string(kDistDir) + "/" + arch).c_str());
    if (dir == nullptr)
      continue;
    while (const dirent *e = readdir(dir)) {
      std::string name = e->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0)
        out.push_back(std::string(arch) + "/" + name);
    }
    closedir(dir);
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(VersionResource, EveryDistDllNamesVersionFileClassAndBuild) {
  std::vector<std::string> dlls = distDlls();
  ASSERT_FALSE(dlls.empty()) << "no DLLs in " << kDistDir;
  const std::array<uint16_t, 4> version = {kVersionMajor, kVersionMinor,
                                           kVersionPatch, 0};
  for (const std::string &dll : dlls) {
    SCOPED_TRACE(dll + " (stale? scripts/build.sh rebuilds dist/)");
    pe_file::VersionInfo info;
    std::vector<std::string> exports;
    const std::vector<uint8_t> bytes = readFile(kDistDir + ("/" + dll));
    ASSERT_NO_THROW(info = pe_file::readVersion(bytes));
    ASSERT_NO_THROW(exports = pe_file::readExports(bytes));
    std::sort(exports.begin(), exports.end());
    std::string arch = dll.substr(0, 3);
    std::string file = dll.substr(4);

    EXPECT_EQ(info.machine,
              arch == "x86" ? pe_file::kMachineX86 : pe_file::kMachineX64);
    EXPECT_EQ(pe_file::readMachine(bytes), info.machine);
    EXPECT_EQ(info.fileType, 2u); // VFT_DLL
    EXPECT_EQ(info.fileVersion, version);
    EXPECT_EQ(info.productVersion, version);
    EXPECT_EQ(info.strings["FileVersion"], kVersion);
    EXPECT_EQ(info.strings["ProductVersion"], kVersion);
    EXPECT_EQ(info.strings["OriginalFilename"], file);
    EXPECT_EQ(info.strings["InternalName"] + ".dll", file);
    auto row = std::find_if(
        std::begin(kDescriptions), std::end(kDescriptions),
        [&](const ExpectedDescription &d) { return dll == d.dll; });
    if (row == std::end(kDescriptions))
      ADD_FAILURE() << "not in the table of JNI libraries in CMakeLists.txt";
    else {
      EXPECT_EQ(info.strings["FileDescription"], row->description);
      EXPECT_EQ(exports, readLines(row->exports));
    }
  }
}

// A file without a whole version resource is an error, never an empty or
// partly read result.
TEST(VersionResource, ReaderRejectsDamagedFiles) {
  const std::vector<uint8_t> dll =
      readFile(kDistDir + ("/" + distDlls().at(0)));
  const uint8_t signature[] = {0xBD, 0x04, 0xEF, 0xFE}; // VS_FIXEDFILEINFO
  auto at = std::search(dll.begin(), dll.end(), std::begin(signature),
                        std::end(signature));
  ASSERT_NE(at, dll.end());

  std::vector<uint8_t> cut(dll.begin(), at + 8);
  EXPECT_THROW(pe_file::readVersion(cut), std::runtime_error);
  const std::string name = "Java_"; // the first export name, cut short
  auto names = std::search(dll.begin(), dll.end(), name.begin(), name.end());
  ASSERT_NE(names, dll.end());
  EXPECT_THROW(pe_file::readExports({dll.begin(), names + 3}),
               std::runtime_error);
  std::vector<uint8_t> badSignature = dll;
  badSignature[at - dll.begin()] ^= 0xFF;
  EXPECT_THROW(pe_file::readVersion(badSignature), std::runtime_error);
  std::vector<uint8_t> headerOnly(dll.begin(), dll.begin() + 0x40);
  EXPECT_THROW(pe_file::readVersion(headerOnly), std::runtime_error);
  EXPECT_THROW(pe_file::readVersion({}), std::runtime_error);
  EXPECT_THROW(pe_file::readMachine(headerOnly), std::runtime_error);
  EXPECT_THROW(pe_file::readVersion(readFile("/proc/self/exe")),
               std::runtime_error);
}

} // namespace
