// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
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

// A file's bytes (empty when it cannot be read).
inline std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A test with an empty folder of its own under the system's temporary folder,
// named after the program and the test, removed afterwards.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "-" + test->name();
    for (char& c : name) c = c == '/' ? '-' : c;
    dir_ =
        std::filesystem::temp_directory_path() / ("dp3-" + std::to_string(::getpid()) + "-" + name);
    removeTree(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { removeTree(dir_); }

  // Writes bytes as the file name in the folder; returns its path.
  std::filesystem::path write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
  }
  std::filesystem::path dir_;
};

}  // namespace dp3
