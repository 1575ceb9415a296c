#include "dialogue/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "common/program_end.h"
#include "dialogue/file_names.h"

namespace sparsim {
namespace {

constexpr char kNameSeparator = '\\';

std::vector<std::string> SplitComponents(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : name) {
    if (c == kNameSeparator) {
      parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  parts.push_back(part);
  return parts;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The entry of directory that matches component, exactly or else ignoring
// the case of ASCII letters; nothing when there is none.
std::optional<std::string> FindEntry(const std::string& directory, const std::string& component) {
  if (Exists(directory + "/" + component)) return component;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return std::nullopt;
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

}  // namespace

std::string ResolveFileName(const std::string& working_directory, const std::string& name) {
  std::vector<std::string> parts = SplitComponents(name);
  bool from_root = !name.empty() && name.front() == kNameSeparator;
  std::string path = from_root ? "" : working_directory;
  for (std::size_t i = from_root ? 1 : 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    bool last = i + 1 == parts.size();
    if (part.empty()) {
      if (last) path += "/";  // a name ending in '\' names a directory
      continue;
    }
    std::string directory = path.empty() ? "/" : path;
    path += '/';
    path += FindEntry(directory, part).value_or(part);
  }
  return path.empty() ? "/" : path;
}

bool TextFileExists(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (::close(fd) != 0) throw IoFault(path, errno);
  return true;
}

std::unique_ptr<TextInput> OpenTextFile(const std::string& path, const std::string& name) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TextInput>(fd, name, true);
}

std::unique_ptr<TextOutput> CreateTextFile(const std::string& path, const std::string& name) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<TextOutput>(fd, name, true);
}

void EraseTextFile(const std::string& path, const std::string& name) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if (::unlink(path.c_str()) != 0) throw IoFault(name, errno);
}

bool IsSameFile(const TextInput& input, const std::string& path) {
  struct stat open_file {};
  struct stat named_file {};
  if (input.fd() < 0 || ::fstat(input.fd(), &open_file) != 0) return false;
  if (::stat(path.c_str(), &named_file) != 0) return false;
  return open_file.st_dev == named_file.st_dev && open_file.st_ino == named_file.st_ino;
}

}  // namespace sparsim
