#include "settings/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/platform_files.hpp"

namespace dp3 {

std::string writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes, AtomicWriteStep* failedStep) {
  AtomicWriteStep ignored;
  AtomicWriteStep& step = failedStep ? *failedStep : ignored;
  step = AtomicWriteStep::Create;
  const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
  std::string temp = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return std::strerror(errno);
  step = AtomicWriteStep::Write;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  int error = done == bytes.size() ? 0 : (errno ? errno : EIO);
  if (!error && ::fsync(fd) != 0) error = errno;
  // Settings files are ordinary documents: readable as the user's umask allows.
  if (!error) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && (error = replaceFile(temp, path)) != 0) {
    step = AtomicWriteStep::Create;
  }
  if (error) {
    ::unlink(temp.c_str());
    return std::strerror(error);
  }
  step = AtomicWriteStep::None;
  return {};
}

}  // namespace dp3
