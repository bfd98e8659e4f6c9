// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace dp3 {

namespace {

std::string kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// The user's own write permission; a file with no write bit at all is
// protected by its owner's choice, so even the superuser leaves it alone.
bool userMayWrite(const std::filesystem::path& path, const struct stat& info) {
  if ((info.st_mode & 0222) == 0) return false;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void syncFolder(const std::filesystem::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

FileResult checkSaveTarget(const std::filesystem::path& path, std::filesystem::path* resolved) {
  const std::string name = path.string();
  const auto refuse = [&path](std::string reason) {
    return FileResult{FileResult::Kind::Refused, path, std::move(reason)};
  };
  if (name.empty()) return refuse("no file name given");
  if (name.back() == '/') return refuse("names a folder, not a file");
  if (resolved) *resolved = path;
  struct stat link {};
  if (::lstat(name.c_str(), &link) != 0) return {};  // a new file (its folder is checked on create)
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) {
    if (errno == ELOOP) return refuse("is a loop of links");
    if (S_ISLNK(link.st_mode)) return refuse("is a link that points nowhere");
    return refuse(std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) return refuse("is " + kindOf(info.st_mode) + ", not a settings file");
  if (!userMayWrite(path, info)) return refuse("is read-only");
  if (S_ISLNK(link.st_mode) && resolved) {
    char target[PATH_MAX];
    if (!::realpath(name.c_str(), target)) return refuse(std::strerror(errno));
    *resolved = target;
  }
  return {};
}

namespace {

// A complete copy of the new bytes beside the file they are for, flushed to
// disk; temp is empty when none could be made.
struct TempFile {
  std::string path;
  int error = 0;  // errno of the step that failed
  FileResult::Kind failed = FileResult::Kind::Write;
};

// Writes bytes to a new temporary file in dir named after name; it takes
// old's mode, owner and group when given, else the mode a new file gets.
TempFile writeTemp(const std::filesystem::path& dir, const std::string& name,
                   std::span<const std::uint8_t> bytes, const struct stat* old) {
  TempFile temp{(dir / ("." + name + ".XXXXXX")).string()};
  const int fd = ::mkstemp(temp.path.data());
  if (fd < 0) return {{}, errno, FileResult::Kind::Create};
  std::size_t done = 0;
  errno = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  int error = done == bytes.size() ? 0 : (errno ? errno : EIO);
  if (!error && ::fsync(fd) != 0) error = errno;
  if (!error && old) {
    // The owner and group where the user may set them (the group alone when
    // only that is allowed); the mode after, since a change of owner clears
    // set-id bits.
    if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
        ::fchown(fd, old->st_uid, old->st_gid) != 0) {
      [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), old->st_gid);
    }
    ::fchmod(fd, old->st_mode & 07777);
  } else if (!error) {
    ::fchmod(fd, newFileMode());
  }
  if (::close(fd) != 0 && !error) error = errno;
  if (error) {
    ::unlink(temp.path.c_str());
    return {{}, error, FileResult::Kind::Write};
  }
  return temp;
}

// Gives temp the name target unless a file holds it already: 0, EEXIST, or
// the errno of the failure. The name is claimed atomically, so of two
// writers only one can win it.
int claimName(const std::string& temp, const std::string& target) {
  if (::link(temp.c_str(), target.c_str()) == 0) {
    ::unlink(temp.c_str());
    return 0;
  }
  int error = errno;
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  // File systems without hard links may still rename without replacing.
  if (error != EEXIST &&
      ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return 0;
  }
  if (error != EEXIST && errno == EEXIST) error = EEXIST;
#endif
  if (error == EEXIST) return error;
  // Neither (FAT, some FUSE file systems, a browser's file system in memory):
  // the name is claimed by making it exclusively, then the whole file takes
  // the place of the empty one.
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  ::close(fd);
  if (std::rename(temp.c_str(), target.c_str()) == 0) return 0;
  error = errno;
  ::unlink(target.c_str());
  return error;
}

}  // namespace

FileResult writeFileAtomically(const std::filesystem::path& path,
                               std::span<const std::uint8_t> bytes) {
  std::filesystem::path target;
  if (FileResult refused = checkSaveTarget(path, &target); !refused.ok()) return refused;
  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
  const TempFile temp =
      writeTemp(dir, target.filename().string(), bytes, replacing ? &old : nullptr);
  if (temp.path.empty()) return {temp.failed, path, std::strerror(temp.error)};
  if (std::rename(temp.path.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.path.c_str());
    return {FileResult::Kind::Create, path, std::strerror(error)};
  }
  syncFolder(dir);
  return {FileResult::Kind::Done, path};
}

FileResult writeNewFile(const std::filesystem::path& folder, std::span<const std::uint8_t> bytes,
                        const std::function<std::string(unsigned attempt)>& nameOf,
                        unsigned attempts) {
  const std::string first = nameOf(0);
  const TempFile temp = writeTemp(folder, first, bytes, nullptr);
  if (temp.path.empty()) return {temp.failed, folder / first, std::strerror(temp.error)};
  std::filesystem::path target = folder / first;
  for (unsigned attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) target = folder / nameOf(attempt);
    const int error = claimName(temp.path, target.string());
    if (error == 0) {
      syncFolder(folder);
      return {FileResult::Kind::Done, target};
    }
    if (error != EEXIST) {
      ::unlink(temp.path.c_str());
      return {FileResult::Kind::Create, target, std::strerror(error)};
    }
  }
  ::unlink(temp.path.c_str());
  return {FileResult::Kind::Create, target, "every name tried is taken"};
}

SmallFile readSmallFile(const std::filesystem::path& path, std::size_t maxBytes) {
  SmallFile file;
  const auto fail = [&file, &path](FileResult::Kind kind, std::string reason) {
    file.result = {kind, path, std::move(reason)};
    file.bytes.clear();
    return file;
  };
  const auto notRegular = [&fail](mode_t mode) {
    return fail(FileResult::Kind::NotRegular, "is " + kindOf(mode) + ", not a file");
  };
  const auto tooLarge = [&fail, maxBytes] {
    return fail(FileResult::Kind::TooLarge, "larger than " + std::to_string(maxBytes) + " bytes");
  };
  const std::string name = path.string();
  if (name.empty()) return fail(FileResult::Kind::Missing, "no file name given");
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) {
    const int error = errno;
    return fail(
        error == ENOENT || error == ENOTDIR ? FileResult::Kind::Missing : FileResult::Kind::Read,
        std::strerror(error));
  }
  if (!S_ISREG(info.st_mode)) return notRegular(info.st_mode);
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) return tooLarge();
  // Non-blocking, so a file swapped for a FIFO since the check cannot hang the open.
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return fail(error == ENOENT ? FileResult::Kind::Missing : FileResult::Kind::Read,
                std::strerror(error));
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return notRegular(info.st_mode);
  }
  file.bytes.resize(maxBytes + 1);
  std::size_t got = 0;
  int error = 0;
  while (got < file.bytes.size()) {
    const ssize_t n = ::read(fd, file.bytes.data() + got, file.bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (error) return fail(FileResult::Kind::Read, std::strerror(error));
  if (got > maxBytes) return tooLarge();
  file.bytes.resize(got);
  file.result = {FileResult::Kind::Done, path};
  return file;
}

}  // namespace dp3
