// File-system helpers at the module's edge: module paths are UTF-16, the
// file system's are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/ustring.h"

namespace wb::fs {

std::string ToNative(const WString& path);
bool FileExists(const WString& path);       // a regular file at exactly this path
bool DirectoryExists(const WString& path);  // PathIsDirectory
// Names of the sub-folders of `folder` ("." and ".." never), sorted.
std::vector<WString> SubFolders(const WString& folder);
// Whether `path`, which need not exist yet, lies in `root` (or is it) once
// every symbolic link on the way is followed.
bool LiesWithin(const WString& path, const WString& root);
bool CreateFolder(const WString& path);  // false when it exists or cannot be made
bool DeleteTree(const WString& path);

// The whole file; nullopt when it cannot be read (missing, no permission,
// not a regular file: a folder, a FIFO, a device). `error`, when given,
// receives the path and the reason.
std::optional<std::string> ReadFile(const std::string& path, std::string* error = nullptr);
// An existing file that may not be replaced: no write bit (read-only even
// for a superuser, as the read-only attribute is) or not writable for us.
bool ReadOnly(const std::string& path);
// Writes a temporary file beside `path` (.NAME.saving-XXXXXX), flushes it
// and renames it into place: the old file stays whole if anything fails,
// and the temporary file is removed, also when a file-size limit or an
// interrupting signal (SIGINT, SIGTERM, SIGHUP) cuts the write short. A
// symbolic link is followed, an existing file keeps its permissions; a
// read-only file, a folder, a device or a FIFO is refused. `error` names
// the file and the reason.
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         std::string* error = nullptr);
// The same, the contents handed over piece by piece, so that a large file is
// never held whole: `produce` calls its argument with each piece in order
// and returns false if it had to stop.
using ContentWriter = std::function<bool(std::string_view)>;
bool WriteFileAtomically(const std::string& path,
                         const std::function<bool(const ContentWriter&)>& produce,
                         std::string* error = nullptr);

// What tells one version of a file from the next without reading it.
struct FileStamp {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t mtimeNs = 0, ctimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> Stamp(const std::string& path);

}  // namespace wb::fs
