// File-system helpers at the module's edge: module paths are UTF-16, the
// file system's are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text/ustring.h"

namespace wb::fs {

std::string ToNative(const WString& path);
bool FileExists(const WString& path);       // a regular file at exactly this path
bool DirectoryExists(const WString& path);  // PathIsDirectory
// Names of the sub-folders of `folder` ("." and ".." never), sorted.
std::vector<WString> SubFolders(const WString& folder);
bool CreateFolder(const WString& path);  // false when it exists or cannot be made
bool DeleteTree(const WString& path);

// The whole file; nullopt when it cannot be read (missing, a folder, no
// permission). `error`, when given, receives the system's reason.
std::optional<std::string> ReadFile(const std::string& path, std::string* error = nullptr);
// Writes a temporary file beside `path`, flushes it and renames it into
// place: the old file stays whole if anything fails. A symbolic link is
// followed, an existing file keeps its permissions.
bool WriteFileAtomically(const std::string& path, const std::string& contents,
                         std::string* error = nullptr);

// What tells one version of a file from the next without reading it.
struct FileStamp {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t mtimeNs = 0, ctimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> Stamp(const std::string& path);

}  // namespace wb::fs
