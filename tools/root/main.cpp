// qz3317vt-root: makes the folders under a root that the driver's
// installation would make on Windows, so the programs have somewhere to
// read and write.
//
//   qz3317vt-root init [DIR]
//
// DIR defaults to the root the programs use ($QZ3317VT_ROOT, else
// ${XDG_DATA_HOME:-$HOME/.local/share}/qz3317vt). Making what exists is
// not an error: each folder is reported as made or already there.
// Exit code: 0 success, 1 when a folder cannot be made, 2 usage error.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/folders.h"
#include "base/program_info.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr std::string_view kUsageText = "usage: qz3317vt-root init [DIR]\n";

constexpr std::string_view kHelpText =
    "Makes the folders of a root, the folder that stands for the Windows system\n"
    "drive: the record folder, the common application-data folder, the Windows\n"
    "folder and the printer-driver directory. DIR defaults to $QZ3317VT_ROOT,\n"
    "else ${XDG_DATA_HOME:-$HOME/.local/share}/qz3317vt. Folders that exist are\n"
    "left as they are. Then qz3317vt-logdb init makes the usage log database.\n"
    "Exit code: 0 success, 1 when a folder cannot be made, 2 usage error.\n"
    "--help and --version are taken only as the whole command line.\n";

struct Folder {
  std::filesystem::path path;
  std::string_view role;
};

// The layout, from the same lookups the programs make.
std::vector<Folder> layout() {
  namespace base = platform::base;
  return {
      {base::programFilesFolder() / "VARN" / "QZ3317VT",
       "the record folder: the exchange file and the driver's records"},
      {base::commonAppDataFolder() / "VARN" / "QZ3317VT",
       "the common application-data folder: the usage log database"},
      {base::windowsFolder(), "the Windows folder: win.ini"},
      {base::printerDriverFolder() / "3", "the printer-driver directory: the resource texts"},
  };
}

int init() {
  int result = kOk;
  for (const auto& folder : layout()) {
    std::error_code error;
    bool made = std::filesystem::create_directories(folder.path, error);
    if (error || !std::filesystem::is_directory(folder.path)) {
      std::cerr << "qz3317vt-root: cannot make " << folder.path.string() << ": "
                << (error ? error.message() : "not a folder") << '\n';
      result = kFailed;
      continue;
    }
    std::cout << (made ? "made   " : "exists ") << folder.path.string() << "  (" << folder.role
              << ")\n";
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (platform::base::answerInfoRequest(argc, argv, "qz3317vt-root",
                                        std::string(kUsageText) + std::string(kHelpText))) {
    return 0;
  }
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty() || args[0] != "init" || args.size() > 2 ||
      (args.size() == 2 && args[1].empty())) {
    std::cerr << kUsageText;
    return kUsage;
  }
  // The folder lookups read the root from the environment at each call.
  if (args.size() == 2) {
    ::setenv("QZ3317VT_ROOT", std::filesystem::absolute(args[1]).c_str(), 1);
  }
  return init();
}
