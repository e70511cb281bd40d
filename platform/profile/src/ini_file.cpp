// Whole-file reads and locked, atomic rewrites of profile files.
#include "ini_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/unique_fd.h"

namespace platform::profile::ini {

namespace {

// A temporary file beside the data file; removed unless it was renamed over
// the data file.
class TempFile {
 public:
  explicit TempFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~TempFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool renameTo(const std::filesystem::path& target) {
    if (::rename(path_.c_str(), target.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::filesystem::path path_;
};

bool readAll(int fd, std::string& content, std::size_t sizeHint) {
  content.resize(sizeHint + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == content.size()) content.resize(content.size() * 2);
    ssize_t got = ::read(fd, content.data() + used, content.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  content.resize(used);
  return true;
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t put = ::write(fd, content.data(), content.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

bool lockFolder(int folderFd) {
  while (::flock(folderFd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Creates a fresh temporary file in the data file's folder and returns its
// descriptor, or -1. The name starts with "." and carries the process id; a
// stale one left by a killed process of the same id is skipped over.
int createTemp(const std::filesystem::path& file, std::filesystem::path& created) {
  std::string stem = ".";
  stem += file.filename().string();
  stem += ".tmp";
  stem += std::to_string(::getpid());
  stem += '.';
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = file.parent_path() / (stem + std::to_string(attempt));
    int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the new file the permissions, owner and group of the one it
// replaces; false when it cannot take them all.
bool copyAttributes(int fd, const struct stat& old) {
  struct stat made {};
  if (::fstat(fd, &made) != 0) return false;
  if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
      ::fchown(fd, old.st_uid, old.st_gid) != 0) {
    return false;
  }
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Whether this process may write the file: the read-only attribute (no
// owner write permission) is not set, and its own permissions allow it.
bool mayWrite(const std::filesystem::path& file, const struct stat& st) {
  return (st.st_mode & S_IWUSR) != 0 && ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0;
}

bool lockFile(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Rewrites the file where it is, for when it cannot be replaced as it is:
// its folder does not let a temporary file be made, or the new file could
// not take the old one's owner. Readers of this module take a shared lock on
// the file while they read, and this writer an exclusive one, so none of
// them sees the file half rewritten.
bool rewriteInPlace(const std::filesystem::path& file, std::string_view content) {
  base::UniqueFd fd(::open(file.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (!lockFile(fd.get(), LOCK_EX)) return false;
  if (!writeAll(fd.get(), content)) return false;
  if (::ftruncate(fd.get(), static_cast<off_t>(content.size())) != 0) return false;
  return fd.close();
}

// Replaces the file by a new one, renamed over it, that has its permissions
// and owner: a reader opens either file whole. False, leaving nothing
// behind, when that cannot be done.
bool replaceByRename(const std::filesystem::path& file, std::string_view content,
                     const struct stat* old) {
  std::filesystem::path tempPath;
  base::UniqueFd tempFd(createTemp(file, tempPath));
  if (!tempFd.valid()) return false;
  TempFile temp(tempPath);
  if (!writeAll(tempFd.get(), content)) return false;
  if (old != nullptr && !copyAttributes(tempFd.get(), *old)) return false;
  if (!tempFd.close()) return false;
  return temp.renameTo(file);
}

// The file a write lands in: a symbolic link stays a link, and the file it
// points to is rewritten. nullopt for a link that leads nowhere.
std::optional<std::filesystem::path> dataFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_symlink(file, error)) return file;
  auto target = std::filesystem::canonical(file, error);
  if (error) return std::nullopt;
  return target;
}

}  // namespace

std::optional<std::string> readFile(const std::filesystem::path& file) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
  base::UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  // Waits only while a writer rewrites this very file in place; a failing
  // lock (a file system without locks) still lets the read go on.
  lockFile(fd.get(), LOCK_SH);
  std::string content;
  if (!readAll(fd.get(), content, static_cast<std::size_t>(st.st_size))) return std::nullopt;
  return content;
}

bool rewriteFile(const std::filesystem::path& path, const Edit& edit) {
  auto target = dataFile(path);
  if (!target) return false;
  const std::filesystem::path& file = *target;
  auto folder = file.parent_path();
  if (folder.empty()) folder = ".";
  base::UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folderFd.valid() || !lockFolder(folderFd.get())) return false;

  std::optional<std::string> current;
  struct stat old {};
  bool exists = ::stat(file.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists) {
    if (!S_ISREG(old.st_mode) || !mayWrite(file, old)) return false;
    current = readFile(file);
    if (!current) return false;
  }
  std::optional<std::string> content = edit(current);
  if (!content) return false;
  // Writing a key its current value changes no byte: the file is left as it
  // is, which spares a repeated refresh most of its rewrites.
  if (current && *content == *current) return true;

  // The folder lock is held until folderFd goes, after the write.
  if (replaceByRename(file, *content, exists ? &old : nullptr)) return true;
  return exists && rewriteInPlace(file, *content);
}

}  // namespace platform::profile::ini
