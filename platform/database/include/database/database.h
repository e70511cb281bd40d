// An encrypted embedded database file, reached the way the recorder reaches
// its usage log: open by path and connect string, append through a
// recordset (database/recordset.h), read through a forward-only
// query (database/query.h).
//
// The engine is SQLCipher. The connect string ";pwd=PASSWORD" makes
// PASSWORD the key, with SQLCipher's default key derivation, so Debian's
// `sqlcipher` shell opens the same file after `PRAGMA key = 'PASSWORD';`.
// The key derivation makes every open cost some tens of milliseconds.
// Opening and creating refuse to go on unless the engine reports a cipher
// version once the key is set: with another SQLite loaded in its place the
// key would be ignored and the file written in plain text.
//
// Every failure is thrown as a CDaoException carrying the engine's
// description. Nothing here shows anything to the user.
#pragma once

#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/clock.h"

namespace platform::database {

// What went wrong, as far as a caller may want to tell failures apart.
enum class DaoErrorKind {
  CannotOpen,     // the file is missing or cannot be opened
  NotADatabase,   // wrong or missing password, or not a database file
  Damaged,        // the file is corrupt or truncated
  Busy,           // another connection kept the file locked past the wait
  ReadOnly,       // a write on a database opened read-only, a read-only file
                  // or file system
  DiskFull,       // no room to write: the disk or quota full, or the file at
                  // the largest size the process may write
  Constraint,     // the row breaks a NOT NULL, CHECK, UNIQUE ... constraint
  Statement,      // the SQL is wrong or names a missing table or column
  UnknownField,   // a field name that the recordset does not have
  Conversion,     // a text value that the field's type cannot take
  State,          // an operation out of order (not open, no pending row)
  Exists,         // creating a database over an existing file
  NotEncrypted,   // the engine loaded is not one that encrypts
  Other,          // anything else the engine reports
};

class CDaoException : public std::exception {
 public:
  CDaoException(DaoErrorKind kind, std::u16string description)
      : kind_(kind), description_(std::move(description)) {}

  DaoErrorKind kind() const noexcept { return kind_; }
  // The engine's error description, never empty.
  const std::u16string& description() const noexcept { return description_; }
  // Fixed text; the description is UTF-16 and lives in description().
  const char* what() const noexcept override { return "database exception"; }

 private:
  DaoErrorKind kind_;
  std::u16string description_;
};

class CDaoDatabase {
 public:
  // How long a statement waits for a file locked by another connection
  // before it fails with DaoErrorKind::Busy.
  static constexpr std::chrono::milliseconds kDefaultLockWait{5000};

  // The lock wait runs on `clock`, which must outlive the object.
  explicit CDaoDatabase(base::Clock& clock = base::systemClock());
  CDaoDatabase(const CDaoDatabase&) = delete;
  CDaoDatabase& operator=(const CDaoDatabase&) = delete;
  // Closes the database if it is still open; never throws.
  ~CDaoDatabase();

  // Opens an existing database file; never creates one.
  // `exclusive`: other connections can neither read nor write the file
  // from the first statement on until close(). `readOnly`: every write
  // fails with DaoErrorKind::ReadOnly. `connect`: ";pwd=PASSWORD" (the
  // "pwd" name in any letter case; other ";name=value" parts are ignored;
  // no "pwd" part means no key).
  // The password is verified here: a missing file throws CannotOpen, a
  // wrong password or a file that is not a database throws NotADatabase,
  // a file shorter than its header says or a damaged first page throws
  // Damaged or NotADatabase; an engine that reports no cipher version
  // throws NotEncrypted before anything is read or written.
  // Throws State when this object is already open.
  void open(const std::filesystem::path& file, bool exclusive, bool readOnly,
            std::u16string_view connect);

  // Creates a new, empty database file and opens it for writing with the
  // key of `connect`. Throws Exists, without touching the file, when
  // anything already exists at `file`; CannotOpen when its folder is missing;
  // NotEncrypted, leaving no file behind, for an engine without a cipher.
  void create(const std::filesystem::path& file, std::u16string_view connect);

  // Runs SQL that returns no rows (one or more statements, e.g. a schema).
  // Throws on the first statement that fails; earlier ones stay done.
  void execute(std::u16string_view sql);

  // Sets the wait for a locked file; applies to later statements. The wait
  // looks again after 1, 2, 5 ... up to 100 ms on the object's clock.
  void setLockWait(std::chrono::milliseconds wait);

  // Closes the connection. A no-op when not open. Recordsets and queries
  // of this database must be closed first; a later call on them throws State.
  void close();

  bool isOpen() const noexcept { return connection_ != nullptr; }

  // The path given to open() or create(); empty when not open.
  const std::filesystem::path& path() const noexcept { return path_; }

 private:
  // The engine's connection; the module's own files reach it through
  // ConnectionAccess.
  struct Connection;
  friend struct ConnectionAccess;

  void openWith(const std::filesystem::path& file, int flags, bool exclusive,
                std::u16string_view connect);
  static int busyWait(void* self, int count);

  std::unique_ptr<Connection> connection_;
  std::filesystem::path path_;
  base::Clock& clock_;
  std::chrono::milliseconds lockWait_ = kDefaultLockWait;
  base::SteadyTime busySince_{};
};

}  // namespace platform::database
