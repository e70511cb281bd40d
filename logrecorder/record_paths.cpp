// Paths of the record files and the usage log database, looked up anew on
// every call so that each run sees the folders of its own environment.
#include "logrecorder/record_paths.h"

#include "base/folders.h"

namespace logrecorder {

std::filesystem::path recordFolder() {
  return platform::base::joinPath({platform::base::programFilesFolder().native(), "VARN", "QZ3317VT"});
}

std::filesystem::path exchangeFile() { return recordFolder() / "QZ3317VT_SMD.DAT"; }
std::filesystem::path networkExchangeFile() { return recordFolder() / "QZ3317VT_SMD_NET.DAT"; }
std::filesystem::path settingsFile() { return recordFolder() / "QZ3317VTSettings.ini"; }
std::filesystem::path networkSettingsFile() { return recordFolder() / "QZ3317VTSettingsNet.ini"; }

std::filesystem::path logDatabasePath() {
  return platform::base::joinPath(
      {platform::base::commonAppDataFolder().native(), "VARN", "QZ3317VT", "QZ3317VT.MDB"});
}

}  // namespace logrecorder
