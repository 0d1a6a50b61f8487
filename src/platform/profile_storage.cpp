#include "platform/profile_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <optional>
#include <random>
#include <string>

namespace morvessa {
namespace {

namespace fs = std::filesystem;

// Owns one open file descriptor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  bool IsOpen() const { return fd_ >= 0; }
  // Closes now and tells whether the close succeeded: on some file systems
  // a failed write shows up only here.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// A new, empty file beside `target` with a name nobody else uses. Removed
// again when the object goes away, unless Keep() was called after it was
// renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const fs::path& target) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
      const std::uint64_t tag = (std::uint64_t{random()} << 32) ^ random();
      path_ = target;
      path_.replace_filename("." + target.filename().native() + ".tmp-" + std::to_string(tag));
      // O_EXCL: never reuse an existing name. Mode 0666 lets the umask give
      // a new settings file the permissions any new file would get.
      const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        file_.Reset(fd);
        created_ = true;
        return;
      }
      if (errno != EEXIST) return;
    }
  }
  ~TemporaryFile() {
    if (created_ && !kept_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool IsOpen() const { return file_.IsOpen(); }
  int Descriptor() const { return file_.Get(); }
  bool Close() { return file_.Close(); }
  const fs::path& Path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  FileDescriptor file_{-1};
  fs::path path_;
  bool created_ = false;
  bool kept_ = false;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The file a write really replaces: a symbolic link is followed.
std::optional<fs::path> WriteTarget(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
  fs::path resolved = fs::weakly_canonical(path, error);
  if (error) return std::nullopt;
  return resolved;
}

// Makes the rename itself durable; a failure here loses nothing, so it is
// not reported.
void SyncDirectory(const fs::path& file) {
  const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
  FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.IsOpen()) ::fsync(fd.Get());
}

bool ReplaceWith(const fs::path& target, std::string_view content) {
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return false;

  TemporaryFile temporary(target);
  if (!temporary.IsOpen()) return false;
  if (exists) {
    if (::fchmod(temporary.Descriptor(), old.st_mode & 07777) != 0) return false;
    // Keeps the owner when root rewrites another user's file; for anyone
    // else this can only fail, which changes nothing.
    [[maybe_unused]] const int ignored = ::fchown(temporary.Descriptor(), old.st_uid, old.st_gid);
  }
  if (!WriteAll(temporary.Descriptor(), content)) return false;
  if (::fsync(temporary.Descriptor()) != 0) return false;
  if (!temporary.Close()) return false;
  if (::rename(temporary.Path().c_str(), target.c_str()) != 0) return false;
  temporary.Keep();
  SyncDirectory(target);
  return true;
}

}  // namespace

LoadedProfileFile LoadProfileFile(const fs::path& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.IsOpen()) return {errno == ENOENT ? ProfileFileState::Missing : ProfileFileState::Unusable, {}};
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uintmax_t>(info.st_size) > kProfileFileSizeLimit) {
    return {ProfileFileState::Unusable, {}};
  }
  // Read to the end rather than trusting the size: the file may be growing.
  // One byte more than the limit is enough to know it is too large.
  Text content;
  content.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[16384];
  while (content.size() <= kProfileFileSizeLimit) {
    const std::size_t wanted = std::min(sizeof chunk, kProfileFileSizeLimit + 1 - content.size());
    const ssize_t got = ::read(fd.Get(), chunk, wanted);
    if (got < 0) {
      if (errno == EINTR) continue;
      return {ProfileFileState::Unusable, {}};
    }
    if (got == 0) break;
    content.append(chunk, static_cast<std::size_t>(got));
  }
  if (content.size() > kProfileFileSizeLimit || content.find('\0') != Text::npos) {
    return {ProfileFileState::Unusable, {}};
  }
  return {ProfileFileState::Readable, std::move(content)};
}

bool ReplaceFileAtomically(const fs::path& path, std::string_view content) {
  try {
    const std::optional<fs::path> target = WriteTarget(path);
    return target && ReplaceWith(*target, content);
  } catch (const std::exception&) {
    // std::random_device or a path operation ran out of resources; the old
    // file has not been touched by then.
    return false;
  }
}

}  // namespace morvessa
