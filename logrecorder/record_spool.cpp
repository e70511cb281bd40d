// The spool folder: whole-file rows, the in-flight note and the drop count.
#include "logrecorder/record_spool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "base/unique_fd.h"
#include "logrecorder/record_paths.h"
#include "text/codepage.h"

namespace logrecorder {

namespace {

using platform::base::UniqueFd;

constexpr std::string_view kHeader = "QZ3317VT spool row 1";
constexpr std::string_view kRowSuffix = ".row";
constexpr std::size_t kSequenceDigits = 20;
constexpr const char* kNoteName = "inflight";
constexpr const char* kDroppedName = "dropped";

// --- the text of one row ---------------------------------------------------

std::string escaped(std::u16string_view text) {
  std::string result;
  for (char c : platform::text::utf16ToUtf8(text)) {
    switch (c) {
      case '\\': result += "\\\\"; break;
      case '\t': result += "\\t"; break;
      case '\n': result += "\\n"; break;
      case '\r': result += "\\r"; break;
      default: result += c;
    }
  }
  return result;
}

std::optional<std::u16string> unescaped(std::string_view text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      result += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\': result += '\\'; break;
      case 't': result += '\t'; break;
      case 'n': result += '\n'; break;
      case 'r': result += '\r'; break;
      default: return std::nullopt;
    }
  }
  return platform::text::utf8ToUtf16(result);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    auto end = text.find(separator);
    parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

// --- files -------------------------------------------------------------------

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t put = ::write(fd, content.data(), content.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

std::optional<std::string> readWhole(const std::filesystem::path& file) {
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd.valid()) return std::nullopt;
  std::string content;
  char buffer[8192];
  for (;;) {
    ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return content;
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

void syncFolder(const std::filesystem::path& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());
}

// Puts `content` at `file` whole or not at all: a temporary file of this
// process, flushed, renamed over the name, and the folder flushed.
bool replaceFile(const std::filesystem::path& file, std::string_view content) {
  auto temp = file.parent_path() / (".tmp." + std::to_string(::getpid()));
  UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
  bool written = fd.valid() && writeAll(fd.get(), content) && ::fsync(fd.get()) == 0 && fd.close();
  if (!written || ::rename(temp.c_str(), file.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  syncFolder(file.parent_path());
  return true;
}

bool removeFile(const std::filesystem::path& file) {
  return ::unlink(file.c_str()) == 0 || errno == ENOENT;
}

// The advisory lock on the spool folder, held for the object's life.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!fd_.valid()) return;
    while (::flock(fd_.get(), LOCK_EX) != 0) {
      if (errno != EINTR) {
        fd_.reset();
        return;
      }
    }
  }
  bool held() const { return fd_.valid(); }

 private:
  UniqueFd fd_;
};

// --- the folder's content -----------------------------------------------------

std::optional<std::uint64_t> sequenceOf(std::string_view name) {
  if (name.size() != kSequenceDigits + kRowSuffix.size() || !name.ends_with(kRowSuffix)) {
    return std::nullopt;
  }
  std::uint64_t sequence = 0;
  auto digits = name.substr(0, kSequenceDigits);
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), sequence);
  if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return sequence;
}

std::string rowName(std::uint64_t sequence) {
  std::string digits = std::to_string(sequence);
  return std::string(kSequenceDigits - digits.size(), '0') + digits + std::string(kRowSuffix);
}

// The kept rows' file names, oldest first.
std::vector<std::string> rowNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    auto name = it->path().filename().string();
    if (sequenceOf(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The note of a row whose transaction was about to commit.
struct InflightNote {
  std::string rowFile;
  std::u16string table;
  std::int64_t rowid = 0;
};

std::optional<InflightNote> readNote(const std::filesystem::path& folder) {
  auto text = readWhole(folder / kNoteName);
  if (!text) return std::nullopt;
  auto lines = split(*text, '\n');
  if (lines.size() != 4 || !lines[3].empty()) return InflightNote{};
  auto table = unescaped(lines[1]);
  std::int64_t rowid = 0;
  auto [end, error] = std::from_chars(lines[2].data(), lines[2].data() + lines[2].size(), rowid);
  if (!table || error != std::errc{} || end != lines[2].data() + lines[2].size()) {
    return InflightNote{};
  }
  return InflightNote{std::string(lines[0]), *table, rowid};
}

void writeNote(const std::filesystem::path& folder, const InflightNote& note) {
  auto text = note.rowFile + "\n" + escaped(note.table) + "\n" + std::to_string(note.rowid) + "\n";
  // Committing without the note would let a kill after the commit store
  // the row twice: throwing rolls the row back instead.
  if (!replaceFile(folder / kNoteName, text)) throw std::runtime_error("cannot note the row");
}

std::uint64_t readDropped(const std::filesystem::path& folder) {
  auto text = readWhole(folder / kDroppedName);
  std::uint64_t count = 0;
  if (text) std::from_chars(text->data(), text->data() + text->size(), count);
  return count;
}

void addDropped(const std::filesystem::path& folder, std::uint64_t more) {
  if (more == 0) return;
  replaceFile(folder / kDroppedName, std::to_string(readDropped(folder) + more) + "\n");
}

// A sequence number after every one in use, also the one a note names.
std::uint64_t nextSequence(const std::vector<std::string>& names,
                           const std::optional<InflightNote>& note) {
  auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  std::uint64_t next = static_cast<std::uint64_t>(std::max<std::int64_t>(now.count(), 0));
  if (!names.empty()) next = std::max(next, *sequenceOf(names.back()) + 1);
  if (note) {
    if (auto noted = sequenceOf(note->rowFile)) next = std::max(next, *noted + 1);
  }
  return next;
}

// Under the folder lock nobody is writing a temporary file: any one there
// was left by a process killed while it wrote.
void removeStaleTemporaries(const std::filesystem::path& folder) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->path().filename().string().starts_with(".tmp.")) removeFile(it->path());
  }
}

}  // namespace

std::string encodeRow(const LogRow& row) {
  std::string text(kHeader);
  text += "\ntable\t" + escaped(row.table) + "\n";
  for (const auto& column : row.columns) {
    text += column.warnsOnFailure ? "column\t1\t" : "column\t0\t";
    text += escaped(column.column) + "\t" + escaped(column.value) + "\n";
  }
  return text + "end\n";
}

std::optional<LogRow> decodeRow(std::string_view text) {
  auto lines = split(text, '\n');
  if (lines.size() < 4 || lines[0] != kHeader || lines[lines.size() - 2] != "end" ||
      !lines.back().empty()) {
    return std::nullopt;
  }
  auto tableLine = split(lines[1], '\t');
  if (tableLine.size() != 2 || tableLine[0] != "table") return std::nullopt;
  auto table = unescaped(tableLine[1]);
  if (!table || table->empty()) return std::nullopt;
  LogRow row{*table, {}};
  for (std::size_t i = 2; i + 2 < lines.size(); ++i) {
    auto parts = split(lines[i], '\t');
    if (parts.size() != 4 || parts[0] != "column" || (parts[1] != "0" && parts[1] != "1")) {
      return std::nullopt;
    }
    auto name = unescaped(parts[2]);
    auto value = unescaped(parts[3]);
    if (!name || !value) return std::nullopt;
    row.columns.push_back(ColumnValue{*name, *value, parts[1] == "1"});
  }
  return row;
}

std::filesystem::path spoolFolder() {
  auto database = logDatabasePath();
  return database.parent_path() / (database.filename().string() + ".spool");
}

RecordSpool::RecordSpool(std::filesystem::path folder, std::size_t capacity)
    : folder_(std::move(folder)), capacity_(std::max<std::size_t>(capacity, 1)) {}

bool RecordSpool::add(const LogRow& row) {
  if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) return false;
  FolderLock lock(folder_);
  if (!lock.held()) return false;
  auto names = rowNames(folder_);
  auto note = readNote(folder_);
  std::uint64_t dropped = 0;
  // The oldest go first; a row being stored right now is not dropped.
  for (auto it = names.begin(); names.size() >= capacity_ && it != names.end();) {
    if (note && *it == note->rowFile) {
      ++it;
      continue;
    }
    if (!removeFile(folder_ / *it)) return false;
    it = names.erase(it);
    ++dropped;
  }
  auto name = rowName(nextSequence(names, note));
  bool kept = replaceFile(folder_ / name, encodeRow(row));
  addDropped(folder_, dropped);
  return kept;
}

bool RecordSpool::drain(LogDatabase& database) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder_, error)) return true;  // nothing kept
  FolderLock lock(folder_);
  if (!lock.held()) return false;
  removeStaleTemporaries(folder_);
  if (auto note = readNote(folder_)) {
    // A drain was killed with this row about to commit: find out whether
    // it did.
    if (sequenceOf(note->rowFile) && std::filesystem::exists(folder_ / note->rowFile)) {
      auto stored = database.hasRow(note->table, note->rowid);
      if (!stored) return false;
      if (*stored && !removeFile(folder_ / note->rowFile)) return false;
    }
    if (!removeFile(folder_ / kNoteName)) return false;
    syncFolder(folder_);
  }
  for (const auto& name : rowNames(folder_)) {
    auto text = readWhole(folder_ / name);
    auto row = text ? decodeRow(*text) : std::nullopt;
    if (!row) {
      if (!removeFile(folder_ / name)) return false;
      addDropped(folder_, 1);
      continue;
    }
    bool noted = false;
    auto outcome = database.append(*row, [&](std::int64_t rowid) {
      writeNote(folder_, InflightNote{name, row->table, rowid});
      noted = true;
    });
    if (outcome == AppendOutcome::Passing) {
      if (noted) removeFile(folder_ / kNoteName);  // it was rolled back
      return false;
    }
    // Stored or refused for good: either way it leaves the spool; the row
    // file first, so that a kill in between leaves a note that resolves.
    if (!removeFile(folder_ / name)) return false;
    syncFolder(folder_);
    if (noted && !removeFile(folder_ / kNoteName)) return false;
  }
  return true;
}

SpoolStatus RecordSpool::status() const {
  SpoolStatus status;
  for (const auto& name : rowNames(folder_)) {
    ++status.waiting;
    auto text = readWhole(folder_ / name);
    auto row = text ? decodeRow(*text) : std::nullopt;
    ++status.perTable[row ? row->table : u"(unreadable)"];
  }
  status.dropped = readDropped(folder_);
  status.inflight = std::filesystem::exists(folder_ / kNoteName);
  return status;
}

}  // namespace logrecorder
