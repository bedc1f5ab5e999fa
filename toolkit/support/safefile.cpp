/*
 * safefile.cpp - replacing a whole file without ever leaving it half
 * written: the new bytes go to a temporary file beside the old one, are
 * flushed to the disk, and only then renamed over the old name.  A failure
 * at any step leaves the old file exactly as it was.  Where a rename would
 * change what the name means (other hard links, a device) or the directory
 * cannot take a new file, the file is rewritten in place, every step
 * checked.  No X here: the memo pad's saves and the resource file use it.
 */
#include <korrin.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// Writes all bytes, going on after short writes and interruptions.
bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

// Closes fd keeping the errno of an earlier failure.
bool CloseKeepingError(int fd, bool ok) {
  int saved = errno;
  bool closed = close(fd) == 0;
  if (!ok) errno = saved;
  return ok && closed;
}

// fsync that a file which cannot be synced (a terminal, a pipe) passes.
bool Sync(int fd) {
  return fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

// The file a name stands for: symbolic links followed to the file they
// point to, so that saving through a link keeps the link.  False for a
// link whose target cannot be resolved (it does not exist yet).
bool Target(const char* path, std::string* target) {
  char resolved[PATH_MAX];
  struct stat st;
  *target = path;
  if (lstat(path, &st) != 0 || !S_ISLNK(st.st_mode)) return true;
  if (!realpath(path, resolved)) return false;
  *target = resolved;
  return true;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The permission bits a new file gets: 0666 less the umask.
mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Gives the temporary file the old file's owner, group and permission bits
// (the owner and group where the process may set them).  chown comes first:
// it may clear set-id bits that chmod then restores.
void KeepAttributes(int fd, const struct stat* old) {
  if (!old) {
    fchmod(fd, NewFileMode());
    return;
  }
  if (fchown(fd, old->st_uid, old->st_gid) != 0) {
    int ignored [[maybe_unused]] = fchown(fd, (uid_t)-1, old->st_gid);
  }
  fchmod(fd, old->st_mode & 07777);
}

// Rewrites the file in place: truncated, written, synced, closed.
int WriteInPlace(const std::string& path, const char* data, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return 0;
  bool ok = WriteAll(fd, data, size) && Sync(fd);
  return CloseKeepingError(fd, ok) ? 1 : 0;
}

// Syncs the directory so that the rename itself survives a crash; a
// directory that cannot be opened or synced does not undo the save.
void SyncDirectory(const std::string& dir) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  int ignored [[maybe_unused]] = fsync(fd);
  close(fd);
}

}  // namespace

// Makes data (size bytes, NULs included) the whole contents of path, safely:
// 1 when every byte reached the disk, else 0 with errno set, the old file
// unchanged whenever a new file could be made beside it.
int krnReplaceFile(const char* path, const char* data, long size) {
  if (!path || !*path || size < 0 || (size > 0 && !data)) {
    errno = EINVAL;
    return 0;
  }
  std::string target;
  // A dangling link is written through, which creates the file it names.
  if (!Target(path, &target)) return WriteInPlace(path, data, size_t(size));
  struct stat st;
  bool exists = stat(target.c_str(), &st) == 0;
  // A rename would split other hard links from this name, and cannot
  // replace a device or a pipe: those are written in place.
  if (exists && (!S_ISREG(st.st_mode) || st.st_nlink > 1))
    return WriteInPlace(target, data, size_t(size));
  std::string dir = DirectoryOf(target);
  size_t slash = target.rfind('/');
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = (dir == "/" ? "" : dir) + "/." + base + ".XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENAMETOOLONG)
      return WriteInPlace(target, data, size_t(size));
    return 0;
  }
  KeepAttributes(fd, exists ? &st : nullptr);
  bool ok = WriteAll(fd, data, size_t(size)) && fsync(fd) == 0;
  ok = CloseKeepingError(fd, ok);
  if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    int saved = errno;
    unlink(temp.c_str());
    errno = saved;
    return 0;
  }
  SyncDirectory(dir);
  return 1;
}
