// A temporary root folder for one test: made with the record folder and the
// Windows folders, pointed to by QZ3317VT_ROOT, removed at the end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testing_support {

class TempRoot {
 public:
  TempRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qz3317vt-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(recordFolder());
    std::filesystem::create_directories(path_ / "Windows/System32/spool/drivers/x64/3");
    std::filesystem::create_directories(path_ / "ProgramData/VARN/QZ3317VT");
    ::setenv("QZ3317VT_ROOT", path_.c_str(), 1);
  }
  ~TempRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path recordFolder() const { return path_ / "Program Files/VARN/QZ3317VT"; }
  std::filesystem::path exchangeFile() const { return recordFolder() / "QZ3317VT_SMD.DAT"; }
  std::filesystem::path resourceFile() const {
    return path_ / "Windows/System32/spool/drivers/x64/3/QZ3317VT_RES.DAT";
  }
  std::filesystem::path winIni() const { return path_ / "Windows/win.ini"; }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& file, const std::string& content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace testing_support
