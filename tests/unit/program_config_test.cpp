// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/program_config.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "system/platform.hpp"
#include "test_env.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;

class ProgramConfigTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    config_.configFilePath = dir_ / "dp3tools.cfg";
  }
  void writeFile(const std::string& bytes) {
    std::ofstream(config_.configFilePath, std::ios::binary) << bytes;
  }
  std::string fileBytes() const { return dp3::fileBytes(config_.configFilePath); }

  ProgramConfig config_;
};

TEST_F(ProgramConfigTest, MissingFileIsCreatedHoldingPortOne) {
  EXPECT_TRUE(loadProgramConfig(config_).ok());
  EXPECT_EQ(config_.comPort, 1);
  EXPECT_EQ(fileBytes(), std::string("\x01\x00\x00\x00", 4));
}

TEST_F(ProgramConfigTest, ShortFilesReplaceOnlyTheLowBytes) {
  const struct {
    std::string bytes;
    std::int32_t port;
  } cases[] = {
      {"", 0},
      {std::string("\x07", 1), 7},
      {std::string("\x34\x12", 2), 0x1234},
      {std::string("\x01\x02\x03", 3), 0x030201},
      {std::string("\xFF\xFF\xFF\xFF", 4), -1},
  };
  for (const auto& c : cases) {
    writeFile(c.bytes);
    config_.comPort = 0;
    EXPECT_TRUE(loadProgramConfig(config_).ok());
    EXPECT_EQ(config_.comPort, c.port) << c.bytes.size() << " bytes";
    EXPECT_EQ(config_.portPath, "");
  }
}

TEST_F(ProgramConfigTest, DevicePathFollowsTheNumberAndSurvivesARoundTrip) {
  config_.comPort = 3;
  config_.portPath = "/dev/serial/by-id/" + std::string(300, 'x');  // far past any old limit
  ASSERT_TRUE(saveProgramConfig(config_).ok());
  EXPECT_EQ(fileBytes().substr(0, 4), std::string("\x03\x00\x00\x00", 4));

  ProgramConfig loaded;
  loaded.configFilePath = config_.configFilePath;
  ASSERT_TRUE(loadProgramConfig(loaded).ok());
  EXPECT_EQ(loaded.comPort, 3);
  EXPECT_EQ(loaded.portPath, config_.portPath);
}

TEST_F(ProgramConfigTest, UnreadableFileIsReported) {
  fs::create_directories(config_.configFilePath);  // a folder where the file should be
  config_.comPort = 5;
  const FileResult loaded = loadProgramConfig(config_);
  EXPECT_EQ(loaded.kind, FileResult::Kind::NotRegular);
  EXPECT_EQ(configResultText(loaded, config_), "Read file failed.");
  EXPECT_EQ(config_.comPort, 5);
}

TEST_F(ProgramConfigTest, SaveIntoAMissingFolderCreatesIt) {
  config_.configFilePath = dir_ / "a" / "b" / "dp3tools.cfg";
  config_.comPort = 2;
  EXPECT_TRUE(saveProgramConfig(config_).ok());
  EXPECT_EQ(fileBytes(), std::string("\x02\x00\x00\x00", 4));
}

#if defined(_WIN32)
TEST_F(ProgramConfigTest, LocationBesideTheProgramWinsOverTheUserFolder) {
  const fs::path program = dir_ / "bin" / "dp3.exe";
  fs::create_directories(program.parent_path());
  ASSERT_FALSE(userSettingsFolder().empty());  // %APPDATA%
  EXPECT_EQ(defaultConfigFilePath(program), userSettingsFolder() / "dp3tools" / "dp3tools.cfg");
  std::ofstream(program.parent_path() / "dp3tools.cfg") << "";
  EXPECT_EQ(defaultConfigFilePath(program), program.parent_path() / "dp3tools.cfg");
}
#else
TEST_F(ProgramConfigTest, LocationBesideTheProgramWinsOverTheUserFolder) {
  const fs::path program = dir_ / "bin" / "dp3tools";
  fs::create_directories(program.parent_path());
  ::setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);
  EXPECT_EQ(defaultConfigFilePath(program), dir_ / "xdg" / "dp3tools" / "dp3tools.cfg");
  std::ofstream(program.parent_path() / "dp3tools.cfg") << "";
  EXPECT_EQ(defaultConfigFilePath(program), program.parent_path() / "dp3tools.cfg");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", dir_.c_str(), 1);
  EXPECT_EQ(defaultConfigFilePath(dir_ / "elsewhere" / "dp3"),
            dir_ / ".config" / "dp3tools" / "dp3tools.cfg");
}
#endif

TEST(ExecutablePath, IsThisProgram) {
  EXPECT_EQ(executablePath().stem(), "unit_tests");
  EXPECT_TRUE(executablePath().is_absolute());
}

// Saves that cannot happen say so, and change nothing; the file is replaced
// atomically, through a link, and never with the simulated keyer's terminal.
TEST_F(ProgramConfigTest, SavesAreAtomicAndChecked) {
  struct Case {
    const char* what;
    std::function<bool()> setUp;  // false: this system cannot set it up
    bool saved;
  };
  const std::vector<Case> cases = {
      {"read-only file",
       [this] {
         writeFile(std::string("\x02\x00\x00\x00", 4));
         fs::permissions(config_.configFilePath, fs::perms::owner_read);
         return true;
       },
       false},
      {"folder in the way",
       [this] {
         std::ofstream(dir_ / "blocked") << "";
         config_.configFilePath = dir_ / "blocked" / "dp3tools.cfg";
         return true;
       },
       false},
      {"no place",
       [this] {
         config_.configFilePath.clear();
         return true;
       },
       false},
      {"link",
       [this] {
         writeFile(std::string("\x02\x00\x00\x00", 4));
         fs::rename(config_.configFilePath, dir_ / "real.cfg");
         return makeSymlink("real.cfg", config_.configFilePath);
       },
       true},
  };
  for (const Case& c : cases) {
    removeTree(dir_);
    fs::create_directories(dir_);
    config_.configFilePath = dir_ / "dp3tools.cfg";
#if defined(_WIN32)
    if (!c.setUp()) continue;  // no links for this user
#else
    ASSERT_TRUE(c.setUp()) << c.what;
#endif
    const std::string before = fileBytes();
    config_.comPort = 9;
    config_.portPath = "/dev/ttyUSB9";
    const FileResult saved = saveProgramConfig(config_);
    EXPECT_EQ(saved.ok(), c.saved) << c.what;
    if (!c.saved) {
      EXPECT_EQ(fileBytes(), before) << c.what;
      continue;
    }
    EXPECT_TRUE(fs::is_symlink(config_.configFilePath)) << c.what;
    EXPECT_EQ(fileBytes(), std::string("\x09\x00\x00\x00/dev/ttyUSB9", 16)) << c.what;
  }

  // The simulated keyer's pseudo-terminal may be chosen for the run only.
  config_.configFilePath = dir_ / "session.cfg";
  config_.sessionPort = config_.portPath = "/dev/pts/7";
  EXPECT_TRUE(saveProgramConfig(config_).ok());
  EXPECT_FALSE(fs::exists(config_.configFilePath));
}

// The path ends at a NUL for everyone who reads it.
TEST_F(ProgramConfigTest, PathEndsAtANul) {
  writeFile(std::string("\x01\x00\x00\x00/dev/ttyUSB0\0/etc/passwd", 27));
  ASSERT_TRUE(loadProgramConfig(config_).ok());
  EXPECT_EQ(config_.portPath, "/dev/ttyUSB0");
}

#if !defined(_WIN32)
// With no HOME and no XDG_CONFIG_HOME there is no place for the file: it is
// neither made in the working folder nor looked up there (which may be gone).
TEST_F(ProgramConfigTest, NoHomeIsAClearErrorNotAFileHere) {
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  ::unsetenv("XDG_CONFIG_HOME");
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home"}) {
    if (value) {
      ::setenv("HOME", value, 1);
    } else {
      ::unsetenv("HOME");
    }
    const fs::path path = defaultConfigFilePath(dir_ / "bin" / "dp3");
    EXPECT_TRUE(path.empty()) << path;
    ProgramConfig config;
    config.configFilePath = path;
    const FileResult loaded = loadProgramConfig(config);
    EXPECT_EQ(loaded.kind, FileResult::Kind::NoPlace);
    EXPECT_NE(configResultText(loaded, config).find("HOME"), std::string::npos);
    EXPECT_EQ(saveProgramConfig(config).kind, FileResult::Kind::NoPlace);
  }
  ::setenv("HOME", savedHome.c_str(), 1);
}
#endif

// A port path the next run could not read back, or that names a device only
// from one folder, is never saved: the file keeps the port it had.
TEST_F(ProgramConfigTest, PortPathsThatCannotBeKeptAreRefused) {
  const struct {
    std::string path;
    PortPathProblem problem;
  } rows[] = {
    {"/dev/ttyUSB0", PortPathProblem::None},
    {"", PortPathProblem::Empty},
    {"ttyUSB0/x", PortPathProblem::Relative},
    {"/dev/" + std::string(4200, 'x'), PortPathProblem::TooLong},
    {std::string("/dev/ttyUSB0\0x", 14), PortPathProblem::HasNul},
#if defined(_WIN32)
    {"COM12", PortPathProblem::None},
    {"\\\\.\\COM12", PortPathProblem::None},
#else
    {"COM12", PortPathProblem::Relative},
#endif
  };
  config_.portPath = "/dev/ttyUSB0";
  ASSERT_TRUE(saveProgramConfig(config_).ok());
  const std::string kept = fileBytes();
  for (const auto& row : rows) {
    EXPECT_EQ(checkPortPath(row.path), row.problem) << row.path.substr(0, 20);
    if (row.problem == PortPathProblem::None || row.path.empty()) continue;
    config_.portPath = row.path;
    EXPECT_EQ(saveProgramConfig(config_).kind, FileResult::Kind::Refused);
    EXPECT_EQ(fileBytes(), kept);
  }
}

TEST(PortNumberOf, TrailingDigits) {
  EXPECT_EQ(portNumberOf("/dev/ttyUSB3"), 3);
  EXPECT_EQ(portNumberOf("/dev/ttyACM12"), 12);
  EXPECT_EQ(portNumberOf("/dev/pts/7"), 7);
  EXPECT_EQ(portNumberOf("/dev/cu.usbserial"), 0);
  EXPECT_EQ(portNumberOf(""), 0);
  EXPECT_EQ(portNumberOf("/dev/x12345678901"), 0);
}

}  // namespace
}  // namespace dp3
