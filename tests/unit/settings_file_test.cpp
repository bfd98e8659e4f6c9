// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#if !defined(_WIN32)
#include <sys/sysmacros.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "system/file_lock.hpp"
#include "test_env.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;

using SettingsFile = TempFolderTest;

std::string bytesOf(const SettingsImage& image) {
  return {image.begin(), image.end()};
}

TEST_F(SettingsFile, SaveThenLoadIsByteIdenticalForRandomImages) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 50; ++round) {
    SettingsImage image{};
    for (auto& b : image) b = static_cast<std::uint8_t>(random());
    const FileResult saved = writeSettingsFile(dir_ / "keyer", image);
    ASSERT_TRUE(saved.ok()) << saved.reason;
    EXPECT_EQ(saved.path, dir_ / "keyer.eep");
    ASSERT_EQ(fileBytes(dir_ / "keyer.eep"), bytesOf(image));
    SettingsImage loaded{};
    ASSERT_TRUE(readSettingsFile(dir_ / "keyer.eep", loaded).ok());
    ASSERT_EQ(loaded, image) << "round " << round;
  }
}

TEST_F(SettingsFile, LegacyFileIsConverted) {
  std::string bytes(288, 0x11);
  bytes[8] = 0x15;   // User 1 ModeReg2
  bytes[24] = 0x42;  // User 2 ModeReg2
  SettingsImage image{};
  image.fill(0x99);
  ASSERT_TRUE(readSettingsFile(write("old.eep", bytes), image).ok());
  EXPECT_EQ(image[288], 0x15);
  EXPECT_EQ(image[294], 0x42);
  EXPECT_EQ(image[8], 0);
  EXPECT_EQ(image[24], 0);
  for (std::size_t e : {288u, 294u}) {
    EXPECT_EQ(image[e + 1], 0) << e;
    EXPECT_EQ(image[e + 2], 0) << e;
    EXPECT_EQ(image[e + 3], 4) << e;
    EXPECT_EQ(image[e + 4], 0) << e;
    EXPECT_EQ(image[e + 5], 0) << e;
  }
  for (std::size_t i = 0; i < 288; ++i) {
    if (i != 8 && i != 24) {
      ASSERT_EQ(image[i], 0x11) << i;
    }
  }
}

TEST_F(SettingsFile, BadLoadsLeaveTheImageAndSayWhy) {
  struct Case {
    const char* name;
    std::size_t size;  // SIZE_MAX: no file
    const char* message;
  };
  const std::vector<Case> cases = {
      {"empty.eep", 0, "Invalid file."},           {"short.eep", 287, "Invalid file."},
      {"long.eep", 301, "Invalid file."},          {"between.eep", 299, "Invalid file."},
      {"missing.eep", SIZE_MAX, "File Not Found"},
  };
  for (const Case& c : cases) {
    const fs::path path =
        c.size == SIZE_MAX ? dir_ / c.name : write(c.name, std::string(c.size, 'w'));
    SettingsImage image{};
    image.fill(0x5C);
    EXPECT_EQ(settingsLoadText(readSettingsFile(path, image)), c.message) << c.name;
    for (std::uint8_t b : image) ASSERT_EQ(b, 0x5C) << c.name;
  }
  SettingsImage image{};
  EXPECT_EQ(settingsLoadText(readSettingsFile(dir_, image)), "File Not Found");
}

TEST_F(SettingsFile, SaveAppendsEepOnlyWhenTheNameHasNoExtension) {
  struct Case {
    const char* typed;
    const char* saved;
  };
  for (const Case& c : {Case{"contest", "contest.eep"}, Case{"contest.bin", "contest.bin"}}) {
    const FileResult saved = writeSettingsFile(dir_ / c.typed, SettingsImage{});
    ASSERT_TRUE(saved.ok()) << c.typed;
    EXPECT_EQ(saved.path, dir_ / c.saved);
    EXPECT_EQ(fileBytes(dir_ / c.saved).size(), 300u) << c.typed;
  }
  // A name that names no file ("", a folder) is refused, and nothing is made
  // (no ".eep.eep", no hidden "..eep").
  for (const fs::path& typed :
       {fs::path(), fs::path("."), dir_ / ".", dir_ / "..", dir_ / "sub/"}) {
    const FileResult saved = writeSettingsFile(typed, SettingsImage{});
    EXPECT_EQ(saved.kind, FileResult::Kind::Refused) << typed;
    EXPECT_EQ(saved.reason, typed.empty() ? "no file name given" : "names a folder, not a file");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

// Two programs changing one file at once each hold its lock from read to
// save: 2 x 40 changes of different bytes all arrive, and no lock file stays.
TEST_F(SettingsFile, ChangesAtOnceLoseNoEdit) {
  const fs::path file = dir_ / "shared.eep";
  std::vector<std::thread> writers;
  std::vector<bool> created;
  std::mutex createdLock;
  for (std::size_t first : {40u, 200u}) {
    writers.emplace_back([&, first] {
      for (std::size_t i = first; i < first + 40; ++i) {
        const FileResult changed = changeSettingsFile(file, [&](SettingsImage& image, bool made) {
          const std::lock_guard hold(createdLock);
          created.push_back(made);
          image[i] = 0xA5;
          return true;
        });
        EXPECT_TRUE(changed.ok()) << changed.reason;
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  SettingsImage image{};
  ASSERT_TRUE(readSettingsFile(file, image).ok());
  for (std::size_t first : {40u, 200u}) {
    for (std::size_t i = first; i < first + 40; ++i) EXPECT_EQ(image[i], 0xA5) << i;
  }
  EXPECT_EQ(std::count(created.begin(), created.end(), true), 1) << "made once, from the defaults";
  EXPECT_FALSE(fs::exists(lockFileOf(file)));

  // A change that another program holds off for longer than the wait is refused.
  const FileLock held(file);
  ASSERT_TRUE(held.held());
  const FileLock second(file, std::chrono::milliseconds(50));
  EXPECT_EQ(second.result().kind, FileResult::Kind::Refused);
  EXPECT_EQ(second.result().reason, "is being changed by another program");
}

TEST_F(SettingsFile, FailedSaveKeepsTheOldFile) {
  SettingsImage image{};
  image.fill(0x21);
  const FileResult noFolder = writeSettingsFile(dir_ / "no" / "such" / "dir.eep", image);
  EXPECT_EQ(noFolder.kind, FileResult::Kind::Create);
  EXPECT_EQ(settingsSaveText(noFolder), "Can't open Settings file for write");

  // A directory in the file's place cannot be replaced; the directory stays.
  fs::create_directories(dir_ / "taken.eep" / "inside");
  EXPECT_EQ(settingsSaveText(writeSettingsFile(dir_ / "taken.eep", image)),
            "Can't open Settings file for write: " + (dir_ / "taken.eep").string() +
                ": is a folder, not a settings file");
  EXPECT_TRUE(fs::is_directory(dir_ / "taken.eep" / "inside"));
  // No temporary file is left behind.
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) entries += entry.path() != dir_ / "no";
  EXPECT_EQ(entries, 1u);
}

// What a save may replace. Each row sets up the name's place; refusals leave it
// exactly as it was and say why.
TEST_F(SettingsFile, SaveReplacesOnlyARegularFileTheUserMayWrite) {
  struct Case {
    const char* name;
    std::function<bool(const fs::path&)> setUp;  // false: this system cannot set it up
    const char* refusal;                         // nullptr: the save goes through
  };
  const auto file = [](const fs::path& p) {
    std::ofstream(p) << "old";
    return true;
  };
  const std::vector<Case> cases = {
#if !defined(_WIN32)
    {"device.eep",
     [](const fs::path& p) {
       return ::mknod(p.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;  // a null device
     },
     "is a device"},
    {"fifo.eep", [](const fs::path& p) { return ::mkfifo(p.c_str(), 0600) == 0; }, "is a FIFO"},
#endif
    {"folder.eep", [](const fs::path& p) { return fs::create_directory(p); }, "is a folder"},
    {"dangling.eep", [](const fs::path& p) { return makeSymlink("nowhere.eep", p); },
     "points nowhere"},
    {"loop.eep",
     [](const fs::path& p) {
       return makeSymlink("loop2.eep", p) && makeSymlink("loop.eep", p.parent_path() / "loop2.eep");
     },
     "loop of links"},
    {"readonly.eep",
     [&file](const fs::path& p) {
       file(p);
       fs::permissions(p, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       return true;
     },
     "read-only"},
    {"", [](const fs::path&) { return true; }, "no file name"},
    {"sub/", [](const fs::path& p) { return fs::create_directory(p); }, "names a folder"},
    {"plain.eep", file, nullptr},
    {"new.eep", [](const fs::path&) { return true; }, nullptr},
  };
  // What a refusal must leave as it was: the entry's kind, its mode and its bytes.
  const auto snapshot = [](const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    return std::make_tuple(status.type(), status.permissions(),
                           fs::is_regular_file(status) ? fileBytes(path) : std::string());
  };
  for (const Case& c : cases) {
    const fs::path path = std::string(c.name).empty() ? fs::path() : dir_ / c.name;
    if (!c.setUp(path)) {
#if defined(_WIN32)
      continue;  // links need a right this user may not have
#else
      ADD_FAILURE() << c.name << ": cannot be set up here";
      continue;
#endif
    }
    const auto before = snapshot(path);
    SettingsImage image{};
    image.fill(0x42);
    const FileResult saved = writeSettingsFile(path, image);
    if (!c.refusal) {
      EXPECT_TRUE(saved.ok()) << c.name;
      EXPECT_EQ(fileBytes(path), bytesOf(image)) << c.name;
      continue;
    }
    EXPECT_EQ(saved.kind, FileResult::Kind::Refused) << c.name;
    EXPECT_NE(saved.reason.find(c.refusal), std::string::npos) << saved.reason;
    EXPECT_EQ(snapshot(path), before) << c.name;
  }
  // Nothing but the rows' own entries is left behind.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
}

// Owners, modes and FIFOs: the POSIX save.
#if !defined(_WIN32)
// A link is written through to its target and stays a link; the file keeps
// its mode, owner and group.
TEST_F(SettingsFile, SaveKeepsTheLinkModeAndOwner) {
  const fs::path target = write("target.eep", std::string(kImageSize, 1));
  fs::create_symlink("target.eep", dir_ / "link.eep");
  ::chmod(target.c_str(), 0640);
  const bool mayChown = ::chown(target.c_str(), 4321, 4321) == 0;
  SettingsImage image{};
  image.fill(2);
  ASSERT_TRUE(writeSettingsFile(dir_ / "link.eep", image).ok());
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.eep"));
  EXPECT_EQ(fileBytes(target), bytesOf(image));
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (mayChown) {
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4321u);
  }
}

// Files that are not settings files are refused before a byte is read: a
// FIFO with no writer would otherwise hang the load, a huge file fill memory.
TEST_F(SettingsFile, LoadJudgesTypeAndSizeBeforeReading) {
  ASSERT_EQ(::mkfifo((dir_ / "fifo.eep").c_str(), 0600), 0);
  {
    std::ofstream big(dir_ / "big.eep", std::ios::binary);
    big.seekp(1 << 30);  // a sparse gigabyte
    big.put('x');
  }
  for (const char* name : {"fifo.eep", "big.eep"}) {
    SettingsImage image{};
    EXPECT_EQ(settingsLoadText(readSettingsFile(dir_ / name, image)), "Invalid file.") << name;
  }
}
#endif

}  // namespace
}  // namespace dp3
