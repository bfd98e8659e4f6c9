#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace dp3 {

// Sets or removes an environment variable for this test program, on any system.
inline void setEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}
inline void unsetEnv(const char* name) {
#if defined(_WIN32)
  ::_putenv_s(name, "");  // an empty value removes it
#else
  ::unsetenv(name);
#endif
}

// Removes a test's folder, read-only files too (Windows deletes none of those).
inline void removeTree(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (fs::recursive_directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code ignored;
    if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, ignored);
  }
  fs::remove_all(dir, error);
}

// Makes a symbolic link; false where the system makes none for this user
// (Windows without the right, wine).
inline bool makeSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
  std::error_code error;
  std::filesystem::create_symlink(target, link, error);
  return !error;
}

}  // namespace dp3
