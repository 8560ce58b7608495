#include "platform/db/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace wb::db {
namespace {

std::string Errno() { return std::strerror(errno); }

bool WriteAll(int fd, std::string_view data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left > (1u << 30) ? (1u << 30) : left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot open: " + Errno();
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    *error = S_ISDIR(st.st_mode) ? "is a folder, not a drawing" : "cannot read: " + Errno();
    ::close(fd);
    return false;
  }
  contents->clear();
  contents->resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (true) {
    if (got == contents->size()) contents->resize(got + 65536);  // grew while reading
    ssize_t n = ::read(fd, contents->data() + got, contents->size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = "cannot read: " + Errno();
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  contents->resize(got);
  ::close(fd);
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error) {
  return WriteFileAtomically(path, [&](const ContentWriter& write) { return write(contents); }, error);
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(const ContentWriter&)>& produce,
                         std::string* error) {
  // Save beside the real file when the target is a symbolic link, so the
  // link keeps pointing at the drawing.
  std::string target = path;
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) target = resolved;
  }
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) {
    *error = "no file name";
    return false;
  }
  std::string temp = folder + "/." + base + ".saving-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    *error = "cannot create a temporary file in " + folder + ": " + Errno();
    return false;
  }
  auto fail = [&](const std::string& what) {
    *error = what + ": " + Errno();
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    return false;
  };
  // mkstemp makes the file private; the drawing keeps the target's mode.
  struct stat st {};
  mode_t mode;
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) return fail("cannot set the mode of " + temp);
  if (!produce([&](std::string_view piece) { return WriteAll(fd, piece); }))
    return fail("cannot write " + temp);
  if (::fsync(fd) != 0) return fail("cannot flush " + temp);
  int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return fail("cannot write " + temp);
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail("cannot replace " + target);
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);  // makes the rename itself durable; best effort
    ::close(dir);
  }
  return true;
}

}  // namespace wb::db
