// Profile files on disk: a whole-file read, and a rewrite that concurrent
// readers and writers of the same file can rely on.
//
// Writers of one folder are serialised by an advisory lock (flock) on the
// folder itself, so no extra file appears beside the data files and every
// process that uses this module takes the same lock. A rewrite is made in a
// temporary file of the same folder and renamed over the file, so a reader
// always opens either the old or the new file whole. Where that cannot be
// done, because the folder does not let the user make a file there or the
// new file could not keep the old one's owner, the file is rewritten in
// place under an exclusive lock on the file; readers take a shared one
// while they read, so they still never see it half written.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::profile::ini {

// Called once per read; opens, reads and closes the file. Returns its whole
// content, or nullopt when it is missing, is not a regular file or cannot be
// read. Never blocks on a special file; waits on a lock only while a writer
// rewrites this file in place.
std::optional<std::string> readFile(const std::filesystem::path& file);

// Produces the new content of a file from its current content (nullopt when
// the file does not exist yet); nullopt when the edit is refused.
using Edit =
    std::function<std::optional<std::string>(const std::optional<std::string>& current)>;

// Called once per write. Under the folder lock: reads the file, passes its
// content to `edit` and replaces the file with the result. A new file gets
// the permissions of an ordinary new file (0666 less the umask); a rewritten
// file keeps its permissions, owner and group (rewritten in place when a
// replacement could not keep them). Whether a file may be written follows
// the file's own permission, not its folder's. A symbolic link is kept: the
// file it points to is the one rewritten. Returns false, leaving the file as
// it was and no temporary file behind, when the folder does not exist, the
// file is not a regular file, lacks owner write permission (the read-only
// attribute), is not writable by this process or cannot be read, the edit is
// refused, or writing fails.
bool rewriteFile(const std::filesystem::path& file, const Edit& edit);

}  // namespace platform::profile::ini
