#include "platform/fs/file_system.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <mutex>

namespace wb::fs {

namespace stdfs = std::filesystem;

namespace {

void SetError(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view data) {
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

namespace {

// The real path, without a trailing separator; empty when it cannot be told.
std::string RealPath(const WString& path) {
  std::string native = ToNative(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (native.empty()) native = ".";
  std::error_code ec;
  const stdfs::path real = stdfs::weakly_canonical(stdfs::absolute(native, ec), ec);
  return ec ? std::string() : real.lexically_normal().string();
}

}  // namespace

bool LiesWithin(const WString& path, const WString& root) {
  std::string inner = RealPath(path), outer = RealPath(root);
  if (inner.empty() || outer.empty()) return false;
  if (outer.back() != '/') outer += '/';
  return (inner + '/').compare(0, outer.size(), outer) == 0;
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
  // Without O_NONBLOCK, opening a FIFO would wait for a writer; it is
  // refused below like every other file that is not a regular one.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetError(error, path);
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    SetError(error, path);
    ::close(fd);
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode)) {
    if (error) *error = path + (S_ISDIR(st.st_mode) ? ": is a folder" : ": not a regular file");
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

bool ReadOnly(const std::string& path) {
  // No write bit at all is read-only even for a superuser, as the
  // read-only attribute is; a rename over the file would not care.
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 &&
         ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0);
}

namespace {

// The temporary file of the save under way, for the signal handler: a save
// that is interrupted leaves nothing behind.
char g_temp[PATH_MAX + 32];
volatile sig_atomic_t g_tempLive = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[std::size(kCleanupSignals)];
std::mutex g_saveMutex;

void RemoveTempAndResignal(int signal) {
  if (g_tempLive) ::unlink(g_temp);  // async-signal-safe
  g_tempLive = 0;
  for (size_t i = 0; i < std::size(kCleanupSignals); ++i)
    if (kCleanupSignals[i] == signal) ::sigaction(signal, &g_previous[i], nullptr);
  ::raise(signal);  // delivered to the previous disposition on return
}

// For the length of one save: an interrupting signal removes the temporary
// file, and a file-size limit makes the write fail (EFBIG) instead of
// killing the process, so the clean-up runs.
class SaveSignals {
 public:
  SaveSignals() : lock_(g_saveMutex) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &fileSize_);
    struct sigaction cleanup {};
    cleanup.sa_handler = RemoveTempAndResignal;
    ::sigemptyset(&cleanup.sa_mask);
    for (int s : kCleanupSignals) ::sigaddset(&cleanup.sa_mask, s);
    // A signal the process ignores (as under nohup) stays ignored: the
    // save goes on and must keep its file.
    for (size_t i = 0; i < std::size(kCleanupSignals); ++i) {
      ::sigaction(kCleanupSignals[i], nullptr, &g_previous[i]);
      if (g_previous[i].sa_handler != SIG_IGN) ::sigaction(kCleanupSignals[i], &cleanup, nullptr);
    }
  }
  ~SaveSignals() {
    g_tempLive = 0;
    for (size_t i = 0; i < std::size(kCleanupSignals); ++i)
      ::sigaction(kCleanupSignals[i], &g_previous[i], nullptr);
    ::sigaction(SIGXFSZ, &fileSize_, nullptr);
  }
  // mkstemp on the handler's buffer, so the handler knows the name.
  int CreateTemp(const std::string& pattern) {
    if (pattern.size() >= sizeof g_temp) {
      errno = ENAMETOOLONG;
      return -1;
    }
    std::memcpy(g_temp, pattern.c_str(), pattern.size() + 1);
    // A signal between creating the file and marking it would leave it
    // behind: it waits until the handler knows the file.
    sigset_t cleanup, previous;
    ::sigemptyset(&cleanup);
    for (int signal : kCleanupSignals) ::sigaddset(&cleanup, signal);
    ::pthread_sigmask(SIG_BLOCK, &cleanup, &previous);
    const int fd = ::mkstemp(g_temp);
    if (fd >= 0) g_tempLive = 1;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return fd;
  }
  std::string Temp() const { return g_temp; }
  void Done() { g_tempLive = 0; }

 private:
  std::lock_guard<std::mutex> lock_;
  struct sigaction fileSize_ {};
};

}  // namespace

bool WriteFileAtomically(const std::string& requested, std::string_view contents,
                         std::string* error) {
  return WriteFileAtomically(requested, [&](const ContentWriter& write) { return write(contents); },
                             error);
}

bool WriteFileAtomically(const std::string& requested,
                         const std::function<bool(const ContentWriter&)>& produce,
                         std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = what;
    return false;
  };
  // A symbolic link keeps pointing at the file: its target is replaced.
  std::string path = requested;
  struct stat st {};
  if (::lstat(requested.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(requested.c_str(), resolved)) path = resolved;
  }
  const bool existed = ::stat(path.c_str(), &st) == 0;
  if (existed && S_ISDIR(st.st_mode)) return fail(path + ": is a folder");
  // A device or a FIFO would be replaced by a plain file.
  if (existed && !S_ISREG(st.st_mode)) return fail(path + ": not a regular file");
  if (existed && ReadOnly(path)) return fail(path + ": read-only, not replaced");
  const size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) return fail(path + ": no file name");

  SaveSignals signals;
  int fd = signals.CreateTemp(folder + "/." + base + ".saving-XXXXXX");
  if (fd < 0) return fail("cannot create a temporary file in " + folder + ": " + std::strerror(errno));
  const std::string temp = signals.Temp();
  auto undo = [&](const std::string& what) {
    const std::string reason = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    signals.Done();
    return fail(what + ": " + reason);
  };
  // mkstemp makes the file private; the file keeps the target's mode, a new
  // one gets what the umask allows.
  mode_t mode = st.st_mode & 07777;
  if (!existed) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  (void)::fchmod(fd, mode);  // a file system without modes still takes the data
  // The disk starts on what is written while the rest is made, so that the
  // flush below waits only for the last piece of a large file.
  constexpr off_t kWriteBehind = 8 << 20;
  off_t written = 0, started = 0;
  const bool produced = produce([&](std::string_view piece) {
    if (!WriteAll(fd, piece)) return false;
    written += static_cast<off_t>(piece.size());
    if (written - started >= kWriteBehind) {
      (void)::sync_file_range(fd, started, written - started, SYNC_FILE_RANGE_WRITE);
      started = written;
    }
    return true;
  });
  if (!produced) return undo("cannot write " + temp);
  if (::fsync(fd) != 0) return undo("cannot flush " + temp);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return undo("cannot write " + temp);
  if (::rename(temp.c_str(), path.c_str()) != 0) return undo("cannot replace " + path);
  signals.Done();
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);  // makes the rename itself durable; best effort
    ::close(dir);
  }
  return true;
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
