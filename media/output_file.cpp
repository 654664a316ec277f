#include "media/output_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace life3d {

namespace {

// Linux's own bound on a chain of symbolic links.
constexpr int kMaxLinkHops = 40;

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// Why an existing regular file is not replaced, "" when it may be. A file
// with no write bit for anyone is protected on purpose: refused even where
// the process could override the bits (root). A file with more than one name
// is refused rather than written in place: a new file would split the names,
// and writing in place would leave them all partial on a full disk or a kill.
std::string ReplaceRefusal(const std::string& path, const struct stat& info) {
  if (info.st_nlink > 1)
    return "it has " + std::to_string(info.st_nlink) +
           " hard links and a new file would split them (remove this name first to write a "
           "new file here)";
  if ((info.st_mode & 0222) == 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return std::string("it is write-protected (mode ") + mode + ")";
  }
  if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    return std::string("it cannot be written (") + std::strerror(errno) + ")";
  return "";
}

// The replaced file's owner, group and permission bits pass to the new one.
// An owner the process may not give away stays the process's, and so does
// the group unless the process belongs to it. Set-id bits are not carried
// over: they were granted to the old content. False with errno when the
// permission bits cannot be set.
bool KeepOwnerAndMode(int fd, const struct stat& old) {
  const bool owned = fchown(fd, old.st_uid, old.st_gid) == 0 ||
                     fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
  (void)owned;  // best effort, as said above
  return fchmod(fd, old.st_mode & 0777) == 0;
}

bool Fail(const OutputTarget& target, const std::string& reason, std::string* error) {
  SetError(error, "cannot write " + DescribeOutput(target) + ": " + reason);
  return false;
}

// "" for a regular file, else what the path holds, for a refusal.
const char* RefusedKind(mode_t mode) {
  if (S_ISREG(mode)) return "";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISLNK(mode)) return "a symbolic link";
  return "not a regular file";
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A link's text, read against the folder of the link itself when relative.
bool FollowLink(std::string& path) {
  std::string text(4096, '\0');
  const ssize_t n = readlink(path.c_str(), text.data(), text.size());
  if (n < 0 || static_cast<size_t>(n) >= text.size()) return false;
  text.resize(static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  path =
      text.starts_with('/') || slash == std::string::npos ? text : path.substr(0, slash + 1) + text;
  return true;
}

// Six letters or digits, fresh each call: getrandom where it answers, else
// the clock and a counter, which still differ between two calls.
std::string RandomSuffix() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static unsigned counter = 0;
  unsigned char bytes[6];
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    uint64_t mix =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<uint64_t>(getpid()) << 32) ^ ++counter * 0x9E3779B97F4A7C15u;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(mix >>= 8);
  }
  std::string suffix;
  for (const unsigned char b : bytes) suffix += kLetters[b % (sizeof kLetters - 1)];
  return suffix;
}

// ".NAME.XXXXXX" beside path: hidden, and never taken for the finished file.
std::string HiddenName(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  return folder + "." + BaseOf(path) + "." + RandomSuffix();
}

std::string ProcPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

// The fallback: a fresh hidden name, created here, mode 0666 less the umask.
int OpenHidden(const std::string& path, std::string& hiddenPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    hiddenPath = HiddenName(path);
    const int fd =
        open(hiddenPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// An unnamed file is given a name through /proc/self/fd; without /proc it
// could never be committed, so the hidden name is taken instead.
int OpenUnnamed(const std::string& folder) {
  const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (access(ProcPath(fd).c_str(), F_OK) == 0) return fd;
  close(fd);
  errno = EOPNOTSUPP;
  return -1;
}

// File systems without unnamed files say so in one of these ways.
bool UnnamedRefused(int failure) {
  return failure == EOPNOTSUPP || failure == EISDIR || failure == EINVAL;
}

// Gives the unnamed file path's name, replacing a file there in one step.
int LinkUnnamed(int fd, const std::string& path) {
  const std::string proc = ProcPath(fd);
  if (linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != EEXIST) return -1;
  // linkat will not replace a name, so the file is linked beside the target
  // and renamed over it. A kill between the two leaves this hidden name
  // holding a complete file (its data was synced before the link), never a
  // partial one, and the target keeps its old content until the rename.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string hidden = HiddenName(path);
    if (linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    if (rename(hidden.c_str(), path.c_str()) == 0) return 0;
    const int saved = errno;
    unlink(hidden.c_str());
    errno = saved;
    return -1;
  }
  errno = EEXIST;
  return -1;
}

// Makes the new name durable. Best effort: the file is complete and in place
// already, and a folder that cannot be opened for reading cannot be synced.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string text = "'";
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\'' || c == '\\') {
      text += '\\';
      text += c;
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else if (b < 0x20 || b == 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", b);
      text += escape;
    } else {
      text += c;
    }
  }
  return text + "'";
}

std::string DescribeOutput(const OutputTarget& target) {
  if (target.toStdout) return "standard output";
  if (target.path.empty() || target.path == target.given) return QuoteName(target.given);
  return QuoteName(target.given) + " (a link to " + QuoteName(target.path) + ")";
}

bool CheckOutput(const std::string& name, OutputTarget& target, std::string* error) {
  target = OutputTarget{name, name, "", name == "-"};
  struct stat info;
  if (target.toStdout) {
    if (fstat(STDOUT_FILENO, &info) != 0) return Fail(target, "it is closed", error);
    if (isatty(STDOUT_FILENO))
      return Fail(target, "it is a terminal (send it to a file or a pipe)", error);
    return true;
  }
  if (name.empty()) {
    SetError(error, "an output needs a file name");
    return false;
  }
  for (int hops = 0;; ++hops) {
    if (lstat(target.path.c_str(), &info) != 0) {
      if (errno == ENOENT) break;  // a new file: its folder is checked below
      return Fail(target, std::strerror(errno), error);
    }
    if (!S_ISLNK(info.st_mode)) {
      const std::string kind = RefusedKind(info.st_mode);
      if (!kind.empty())
        return Fail(
            target,
            "it is " + kind + (S_ISFIFO(info.st_mode) ? " (give - for standard output)" : ""),
            error);
      const std::string refusal = ReplaceRefusal(target.path, info);
      if (!refusal.empty()) return Fail(target, refusal, error);
      break;
    }
    if (hops == kMaxLinkHops || !FollowLink(target.path))
      return Fail(target, std::strerror(hops == kMaxLinkHops ? ELOOP : errno), error);
  }
  if (BaseOf(target.path).empty()) return Fail(target, "it names a folder", error);
  target.folder = FolderOf(target.path);
  if (stat(target.folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return Fail(target, "there is no folder " + QuoteName(target.folder), error);
  // The permission bits first, then an unnamed file made and dropped at
  // once: a file system may refuse what the bits allow (/proc, a read-only
  // mount). One that has no unnamed files is left to the hidden name.
  int fd = -1;
  if (faccessat(AT_FDCWD, target.folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 ||
      ((fd = OpenUnnamed(target.folder)) < 0 && !UnnamedRefused(errno)))
    return Fail(target,
                "its folder " + QuoteName(target.folder) + " cannot be written (" +
                    std::strerror(errno) + ")",
                error);
  if (fd >= 0) close(fd);
  return true;
}

bool OpenOutput(const OutputTarget& target, OutputFile& file, std::string* error,
                OutputNaming naming) {
  AbandonOutput(file);
  file.target = target;
  file.hiddenPath.clear();
  if (target.toStdout) {
    file.fd = STDOUT_FILENO;
    return true;
  }
  int fd = -1;
  if (naming == OutputNaming::kUnnamedFirst) {
    fd = OpenUnnamed(target.folder);
    if (fd < 0 && !UnnamedRefused(errno)) return Fail(target, std::strerror(errno), error);
  }
  if (fd < 0 && (fd = OpenHidden(target.path, file.hiddenPath)) < 0) {
    file.hiddenPath.clear();
    return Fail(target, std::strerror(errno), error);
  }
  file.fd = fd;
  return true;
}

int WriteAll(int fd, const void* bytes, size_t size) {
  const auto* at = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t n = write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    at += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

bool WriteOutput(OutputFile& file, const void* bytes, size_t size, std::string* error) {
  if (file.fd < 0) return Fail(file.target, "the file is closed", error);
  const int failure = WriteAll(file.fd, bytes, size);
  return failure == 0 || Fail(file.target, std::strerror(failure), error);
}

bool CommitOutput(OutputFile& file, std::string* error) {
  if (file.fd < 0) return Fail(file.target, "the file is closed", error);
  if (file.target.toStdout) {
    file.fd = -1;  // standard output stays open for the rest of the process
    return true;
  }
  const OutputTarget& target = file.target;
  // What the path holds now decides, not what it held before the run.
  std::string reason;
  struct stat info;
  const bool replacing = lstat(target.path.c_str(), &info) == 0;
  if (replacing && *RefusedKind(info.st_mode)) {
    reason = std::string("it has become ") + RefusedKind(info.st_mode);
  } else if (replacing && !(reason = ReplaceRefusal(target.path, info)).empty()) {
    // refused as it is now
  } else if ((replacing && !KeepOwnerAndMode(file.fd, info)) || fsync(file.fd) != 0) {
    reason = std::strerror(errno);
  } else if (file.hiddenPath.empty() ? LinkUnnamed(file.fd, target.path) != 0
                                     : rename(file.hiddenPath.c_str(), target.path.c_str()) != 0) {
    reason = std::strerror(errno);
  }
  if (!reason.empty()) {
    AbandonOutput(file);
    return Fail(target, reason, error);
  }
  close(file.fd);
  file.fd = -1;
  file.hiddenPath.clear();
  SyncFolder(target.folder);
  return true;
}

void AbandonOutput(OutputFile& file) {
  if (file.fd < 0) return;
  if (!file.target.toStdout) close(file.fd);
  if (!file.hiddenPath.empty()) unlink(file.hiddenPath.c_str());
  file.fd = -1;
  file.hiddenPath.clear();
}

}  // namespace life3d
