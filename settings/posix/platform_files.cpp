#include "settings/platform_files.hpp"

#include <cerrno>
#include <cstdio>

namespace dp3 {

int replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace dp3
