#include "platform/fs/file_system.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace wb::fs {

namespace stdfs = std::filesystem;

namespace {

void SetError(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string ToNative(const WString& path) { return Utf16ToUtf8(path); }

bool FileExists(const WString& path) {
  std::error_code ec;
  return !path.empty() && stdfs::is_regular_file(ToNative(path), ec);
}

bool DirectoryExists(const WString& path) {
  std::error_code ec;
  return !path.empty() && stdfs::is_directory(ToNative(path), ec);
}

std::vector<WString> SubFolders(const WString& folder) {
  std::vector<WString> names;
  std::error_code ec;
  const std::string native = folder.empty() ? std::string(".") : ToNative(folder);
  for (stdfs::directory_iterator it(native, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) names.push_back(Utf8ToUtf16(it->path().filename().string()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool CreateFolder(const WString& path) {
  std::error_code ec;
  return !path.empty() && stdfs::create_directory(ToNative(path), ec) && !ec;
}

bool DeleteTree(const WString& path) {
  std::error_code ec;
  if (path.empty() || !stdfs::exists(stdfs::symlink_status(ToNative(path), ec))) return false;
  stdfs::remove_all(ToNative(path), ec);
  return !ec;
}

std::optional<std::string> ReadFile(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetError(error, path);
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    errno = S_ISDIR(st.st_mode) ? EISDIR : errno;
    SetError(error, path);
    ::close(fd);
    return std::nullopt;
  }
  std::string data;
  if (st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  while (true) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetError(error, path);
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

bool WriteFileAtomically(const std::string& requested, const std::string& contents,
                         std::string* error) {
  // Replace the link's target, not the link.
  std::string path = requested;
  struct stat st {};
  bool existed = false;
  if (::lstat(requested.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) {
      char resolved[PATH_MAX];
      if (::realpath(requested.c_str(), resolved)) path = resolved;
    }
    existed = ::stat(path.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      SetError(error, path);
      return false;
    }
  }
  std::string temp = path + ".wbtmp-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    SetError(error, path);
    return false;
  }
  const mode_t mode = existed ? (st.st_mode & 07777) : 0644;
  (void)::fchmod(fd, mode);  // a file system without modes still takes the data
  bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
  if (!ok) SetError(error, path);
  if (::close(fd) != 0 && ok) {
    SetError(error, path);
    ok = false;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    SetError(error, path);
    ok = false;
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

std::optional<FileStamp> Stamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStamp s;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = static_cast<uint64_t>(st.st_size);
  s.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.ctimeNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

}  // namespace wb::fs
