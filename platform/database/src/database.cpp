// Opening, creating and closing encrypted database files.
#include "database/database.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <system_error>

#include "engine.h"

namespace platform::database {

namespace {

std::u16string_view trimBlanks(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

// The value of the "pwd" part of a ";name=value;..." connect string.
std::optional<std::u16string> passwordOf(std::u16string_view connect) {
  while (!connect.empty()) {
    auto end = connect.find(u';');
    auto part = connect.substr(0, end);
    connect = end == std::u16string_view::npos ? std::u16string_view{} : connect.substr(end + 1);
    auto equals = part.find(u'=');
    if (equals == std::u16string_view::npos) continue;
    if (engine::equalsIgnoringAsciiCase(trimBlanks(part.substr(0, equals)), u"pwd")) {
      return std::u16string(part.substr(equals + 1));
    }
  }
  return std::nullopt;
}

std::u16string asciiText(const char* text) {
  std::u16string wide;
  for (; *text != '\0'; ++text) wide += static_cast<char16_t>(static_cast<unsigned char>(*text));
  return wide;
}

[[noreturn]] void throwState(std::u16string description) {
  throw CDaoException(DaoErrorKind::State, std::move(description));
}

// SQLCipher answers with its version once a key is set; any other SQLite
// takes the key pragma as unknown and ignores it, and answers nothing.
void requireCipher(sqlite3* db) {
  auto statement = engine::prepare(db, u"PRAGMA cipher_version");
  int rc = sqlite3_step(statement.get());
  if (rc == SQLITE_ROW && sqlite3_column_bytes(statement.get(), 0) > 0) return;
  throw CDaoException(DaoErrorKind::NotEncrypted,
                      u"The database engine does not encrypt: it reports no cipher version, "
                      u"so no database file is opened or written.");
}

// The pauses between two looks at a locked file; the last one repeats.
constexpr int kBusyPauses[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};

}  // namespace

CDaoDatabase::CDaoDatabase(base::Clock& clock) : clock_(clock) {}
CDaoDatabase::~CDaoDatabase() = default;

void CDaoDatabase::open(const std::filesystem::path& file, bool exclusive, bool readOnly,
                        std::u16string_view connect) {
  openWith(file, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, exclusive, connect);
}

void CDaoDatabase::create(const std::filesystem::path& file, std::u16string_view connect) {
  if (connection_) throwState(u"The database is already open.");
  // O_EXCL makes the claim on the name atomic, so an existing file is never
  // opened; SQLite takes the empty file as a new database.
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    int error = errno;
    auto kind = error == EEXIST ? DaoErrorKind::Exists : DaoErrorKind::CannotOpen;
    throw CDaoException(kind, u"Cannot create the database file: " +
                                  asciiText(std::strerror(error)) + u".");
  }
  ::close(fd);
  try {
    openWith(file, SQLITE_OPEN_READWRITE, false, connect);
  } catch (const CDaoException&) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    throw;
  }
}

void CDaoDatabase::openWith(const std::filesystem::path& file, int flags, bool exclusive,
                            std::u16string_view connect) {
  if (connection_) throwState(u"The database is already open.");
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  auto connection = std::make_unique<Connection>(raw);
  if (rc != SQLITE_OK) engine::throwError(raw, rc);
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_handler(raw, &CDaoDatabase::busyWait, this);
  if (auto password = passwordOf(connect)) {
    engine::execute(raw, u"PRAGMA key = " + engine::quoted(*password, u'\''));
  }
  requireCipher(raw);
  if (exclusive) {
    // An exclusive lock taken once is kept until the connection closes.
    engine::execute(raw, u"PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT");
  }
  // Neither the open nor the key reads the file: the first read is what
  // finds a wrong password or a file that is not a database.
  engine::execute(raw, u"SELECT count(*) FROM sqlite_master");
  connection_ = std::move(connection);
  path_ = file;
}

void CDaoDatabase::execute(std::u16string_view sql) {
  engine::execute(ConnectionAccess::handle(*this), sql);
}

void CDaoDatabase::setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

int CDaoDatabase::busyWait(void* self, int count) {
  auto& database = *static_cast<CDaoDatabase*>(self);
  auto now = database.clock_.now();
  if (count == 0) database.busySince_ = now;
  auto left = database.lockWait_ - std::chrono::duration_cast<std::chrono::milliseconds>(
                                       now - database.busySince_);
  if (left.count() <= 0) return 0;
  constexpr int kLast = static_cast<int>(std::size(kBusyPauses)) - 1;
  std::chrono::milliseconds pause(kBusyPauses[std::min(count, kLast)]);
  database.clock_.sleepFor(std::min(pause, left));
  return 1;
}

void CDaoDatabase::close() {
  connection_.reset();
  path_.clear();
}

sqlite3* ConnectionAccess::handle(const CDaoDatabase& database) {
  if (!database.connection_) throwState(u"The database is not open.");
  return database.connection_->db;
}

}  // namespace platform::database
