// Where the usage log recorder finds its record files and its database,
// and the password of that database.
#pragma once

#include <filesystem>
#include <string_view>

namespace logrecorder {

// The connect string of the usage log database: a fixed password, the same
// for every run and every table.
inline constexpr std::u16string_view kLogDatabaseConnect = u";pwd=40937271";

// The record folder: "VARN/QZ3317VT" under the Program Files folder.
std::filesystem::path recordFolder();

// The record files the driver leaves in the record folder.
std::filesystem::path exchangeFile();         // QZ3317VT_SMD.DAT
std::filesystem::path networkExchangeFile();  // QZ3317VT_SMD_NET.DAT
std::filesystem::path settingsFile();         // QZ3317VTSettings.ini
std::filesystem::path networkSettingsFile();  // QZ3317VTSettingsNet.ini

// The usage log database: "VARN/QZ3317VT/QZ3317VT.MDB" under the common
// application-data folder.
std::filesystem::path logDatabasePath();

}  // namespace logrecorder
