// The folders of the Windows system drive, mapped under one root folder.
//
// QZ3317VT_ROOT names the folder that stands for the system drive; without it
// the root is ${XDG_DATA_HOME:-$HOME/.local/share}/qz3317vt, where a missing
// HOME is the home folder of the user database (or "/" when it has none), so
// the root never depends on the working directory. Every lookup
// reads the environment again, so a test may point a process at its own root.
// None of these functions creates a folder.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform::base {

// The folder that stands for the system drive.
std::filesystem::path rootFolder();

// "Program Files" under the root: the Program Files folder.
std::filesystem::path programFilesFolder();

// "ProgramData" under the root: the common application-data folder.
std::filesystem::path commonAppDataFolder();

// "Windows" under the root: the Windows directory, home of win.ini.
std::filesystem::path windowsFolder();

// The per-user win.ini in the Windows directory.
std::filesystem::path winIniPath();

// "Windows/System32/spool/drivers/x64" under the root: the printer-driver
// directory of the local print spooler.
std::filesystem::path printerDriverFolder();

// Joins path parts the way a Windows "%s\%s\..." format does, with "/" as the
// separator. Parts are taken as they are: no part is checked or normalised.
std::filesystem::path joinPath(std::initializer_list<std::string_view> parts);

// Clears a read-only state: gives the file its owner write permission back.
// Returns false, without effect, when the file does not exist.
bool setNormalAttributes(const std::filesystem::path& file);

}  // namespace platform::base
