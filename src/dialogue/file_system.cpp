#include "dialogue/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>
#include <utility>

#include "common/interrupt.h"
#include "common/program_end.h"
#include "dialogue/file_names.h"

namespace sparsim {
namespace {

constexpr char kNameSeparator = '\\';
constexpr std::size_t kPartsBetweenInterruptChecks = 1024;

BeforeCreateHook g_before_create = nullptr;

// An open file descriptor, closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_;
};

// The entry of the directory open as directory that matches component,
// exactly or else ignoring the case of ASCII letters; nothing when there is
// none.
std::optional<std::string> FindEntry(int directory, const std::string& component) {
  struct stat info {};
  if (::fstatat(directory, component.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return component;
  // The lookup descriptor need not allow reading; the listing needs its own.
  int listing = ::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return std::nullopt;
  DIR* dir = ::fdopendir(listing);
  if (dir == nullptr) {
    ::close(listing);
    return std::nullopt;
  }
  std::optional<std::string> found;
  std::string wanted = UpperCaseText(component);
  while (dirent* entry = ::readdir(dir)) {
    std::string entry_name = entry->d_name;
    if (UpperCaseText(entry_name) == wanted && (!found || entry_name < *found)) {
      found = entry_name;
    }
  }
  ::closedir(dir);
  return found;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the regular file found at path for writing and empties it, unless
// something else has taken its place since it was looked at.
int EmptyExistingFile(const std::string& path, const struct stat& looked_at) {
  Descriptor fd(OpenOrInterrupted(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
      !SameFile(opened, looked_at) || ::ftruncate(fd.get(), 0) != 0) {
    return -1;
  }
  return fd.Release();
}

// Opens a device or pipe (possibly named through a link) for writing; never
// a regular file or a directory. A signal ends the wait for a FIFO's reader.
int OpenDevice(const std::string& path) {
  Descriptor fd(OpenOrInterrupted(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || S_ISREG(opened.st_mode) ||
      S_ISDIR(opened.st_mode)) {
    return -1;
  }
  return fd.Release();
}

}  // namespace

std::string ResolveFileName(const std::string& working_directory, const std::string& name) {
  const bool from_root = !name.empty() && name.front() == kNameSeparator;
  std::string path = from_root ? "" : working_directory;
  // The directory that the next component is looked up in, open while a
  // lookup can still find something: below a component that is not there,
  // nothing is, and the rest of the name is taken as written. Each lookup
  // thus costs the length of its own component only.
  Descriptor directory(
      ::open(from_root ? "/" : working_directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  std::size_t start = from_root ? 1 : 0;
  for (std::size_t parts = 1;; ++parts) {
    // Only a name of thousands of parts takes long enough to need a look.
    if (parts % kPartsBetweenInterruptChecks == 0) ThrowIfInterrupted();
    std::size_t end = std::min(name.find(kNameSeparator, start), name.size());
    const bool last = end == name.size();
    std::string part = name.substr(start, end - start);
    if (part.empty()) {
      if (last) path += '/';  // a name ending in '\' names a directory
    } else {
      path += '/';
      if (directory.get() >= 0) {
        part = FindEntry(directory.get(), part).value_or(part);
        directory = Descriptor(
            last ? -1 : ::openat(directory.get(), part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      }
      path += part;
    }
    if (last) break;
    start = end + 1;
  }
  return path.empty() ? "/" : path;
}

bool TextFileExists(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  int fd = OpenOrInterrupted(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (::close(fd) != 0) throw IoFault(path, errno);
  return true;
}

std::unique_ptr<TextInput> OpenTextFile(const std::string& path, const std::string& name) {
  // A signal ends the wait for a FIFO's writer.
  int fd = OpenOrInterrupted(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TextInput>(fd, name, true);
}

std::unique_ptr<TextOutput> CreateTextFile(const std::string& path, const std::string& name) {
  struct stat named {};
  int fd = -1;
  if (::lstat(path.c_str(), &named) != 0) {
    const int looked = errno;
    if (g_before_create != nullptr) g_before_create(path);
    // O_EXCL never follows a link: one put here meanwhile makes this fail.
    if (looked == ENOENT) fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } else if (S_ISREG(named.st_mode)) {
    fd = EmptyExistingFile(path, named);
  } else if (!S_ISDIR(named.st_mode)) {
    fd = OpenDevice(path);
  }
  if (fd < 0) return nullptr;
  return std::make_unique<TextOutput>(fd, name, true);
}

BeforeCreateHook SetBeforeCreateHook(BeforeCreateHook hook) {
  return std::exchange(g_before_create, hook);
}

void EraseTextFile(const std::string& path, const std::string& name) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return;
  if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) return;
  if (::unlink(path.c_str()) != 0) throw IoFault(name, errno);
}

bool IsSameFile(const TextInput& input, const std::string& path) {
  struct stat open_file {};
  struct stat named_file {};
  if (input.fd() < 0 || ::fstat(input.fd(), &open_file) != 0) return false;
  if (::stat(path.c_str(), &named_file) != 0) return false;
  return SameFile(open_file, named_file);
}

}  // namespace sparsim
