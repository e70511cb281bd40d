// Rows that could not be stored for a passing cause (log_database.h), kept
// beside the database until a later run can store them.
//
// The spool is the folder "QZ3317VT.MDB.spool" beside the database, private
// to the user who made it. Each kept row is one file named by a sequence
// number that only grows (20 digits and ".row"), written whole to a
// temporary file, flushed and renamed, so a row is there complete or not at
// all. At most `capacity` rows are kept: adding one more drops the oldest,
// and "dropped" counts every row ever dropped (also one whose file could not
// be read back).
//
// Storing the kept rows (drain) survives a kill at any point and never
// stores a row twice: once a row is in its table but before it commits, the
// file "inflight" notes the row's file and the rowid it got; after the
// commit the row's file goes, then the note. A run that finds a note left by
// a killed run looks the rowid up: when the table has it, that row went in
// and its file is removed without storing it again. (Only a program outside
// the recorder that appended a row with that very rowid after the kill could
// mislead it.)
//
// Every change of the folder happens under an advisory lock on the folder,
// so a run that spools without the recorder's lock (it waited in vain) and
// the run that drains cannot disturb each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "logrecorder/log_database.h"
#include "logrecorder/log_row.h"

namespace logrecorder {

// The spool of the usage log database: its path and ".spool".
std::filesystem::path spoolFolder();

struct SpoolStatus {
  std::size_t waiting = 0;                         // rows kept
  std::map<std::u16string, std::size_t> perTable;  // of them, by table
  std::uint64_t dropped = 0;
  bool inflight = false;  // a note of a killed drain is waiting to be resolved
};

class RecordSpool {
 public:
  static constexpr std::size_t kCapacity = 10000;

  explicit RecordSpool(std::filesystem::path folder, std::size_t capacity = kCapacity);

  // Keeps `row` as the newest one, making the folder when it is missing
  // (never the database's folder). False when it could not be kept.
  bool add(const LogRow& row);

  // Stores the kept rows oldest first into `database`, which is open. A row
  // that is stored, or refused (log_database.h), leaves the spool. A
  // passing failure stops the drain and leaves that row and the later ones
  // in place. True when no row is left.
  bool drain(LogDatabase& database);

  // What is kept, without changing anything.
  SpoolStatus status() const;

  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::size_t capacity_;
};

// One row as the text of its spool file, and back; nullopt for a text that
// is not a complete row.
std::string encodeRow(const LogRow& row);
std::optional<LogRow> decodeRow(std::string_view text);

}  // namespace logrecorder
