// Temporary folders for tests, and byte-exact file helpers.
//
// TempFolder is an empty folder removed with everything in it at the end.
// TempRoot is a temporary QZ3317VT_ROOT with the folders the driver's
// installation makes (the record folder, the Windows folder with the
// printer-driver directory, the common application-data folder), and
// points QZ3317VT_ROOT at itself for the rest of the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace testing_support {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qz3317vt-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      ADD_FAILURE() << "cannot make a temporary folder from " << pattern;
    }
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

class TempRoot {
 public:
  TempRoot() {
    std::filesystem::create_directories(recordFolder());
    std::filesystem::create_directories(resourceFile().parent_path());
    std::filesystem::create_directories(path() / "ProgramData/VARN/QZ3317VT");
    ::setenv("QZ3317VT_ROOT", path().c_str(), 1);
  }

  const std::filesystem::path& path() const { return folder_.path(); }
  std::filesystem::path recordFolder() const { return path() / "Program Files/VARN/QZ3317VT"; }
  std::filesystem::path exchangeFile() const { return recordFolder() / "QZ3317VT_SMD.DAT"; }
  std::filesystem::path resourceFile() const {
    return path() / "Windows/System32/spool/drivers/x64/3/QZ3317VT_RES.DAT";
  }
  std::filesystem::path winIni() const { return path() / "Windows/win.ini"; }
  std::filesystem::path database() const { return path() / "ProgramData/VARN/QZ3317VT/QZ3317VT.MDB"; }

 private:
  TempFolder folder_;
};

inline std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& file, std::string_view content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  EXPECT_TRUE(out.good()) << "cannot write " << file;
}

// UTF-16LE bytes with the mark FF FE in front.
inline std::string utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

}  // namespace testing_support
