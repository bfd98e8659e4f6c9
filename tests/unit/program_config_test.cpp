#include "windows/program_config.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "surface/map_surface.hpp"
#include "windows/platform.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;

class ProgramConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("dp3-config-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    config_.configFilePath = dir_ / "dp3tools.cfg";
  }
  void TearDown() override { fs::remove_all(dir_); }

  void writeFile(const std::string& bytes) {
    std::ofstream(config_.configFilePath, std::ios::binary) << bytes;
  }
  std::string fileBytes() const {
    std::ifstream in(config_.configFilePath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path dir_;
  ProgramConfig config_;
  MapSurface ui_;
};

TEST_F(ProgramConfigTest, MissingFileIsCreatedHoldingPortOne) {
  EXPECT_EQ(loadProgramConfig(config_, ui_), 1);
  EXPECT_EQ(config_.comPort, 1);
  EXPECT_EQ(fileBytes(), std::string("\x01\x00\x00\x00", 4));
  EXPECT_TRUE(ui_.messages.empty());
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
    EXPECT_EQ(loadProgramConfig(config_, ui_), 1);
    EXPECT_EQ(config_.comPort, c.port) << c.bytes.size() << " bytes";
    EXPECT_EQ(config_.portPath, "");
  }
}

TEST_F(ProgramConfigTest, DevicePathFollowsTheNumberAndSurvivesARoundTrip) {
  config_.comPort = 3;
  config_.portPath = "/dev/serial/by-id/" + std::string(300, 'x');  // far past any old limit
  ASSERT_EQ(saveProgramConfig(config_, ui_), 1);
  EXPECT_EQ(fileBytes().substr(0, 4), std::string("\x03\x00\x00\x00", 4));

  ProgramConfig loaded;
  loaded.configFilePath = config_.configFilePath;
  ASSERT_EQ(loadProgramConfig(loaded, ui_), 1);
  EXPECT_EQ(loaded.comPort, 3);
  EXPECT_EQ(loaded.portPath, config_.portPath);
}

TEST_F(ProgramConfigTest, UnreadableFileIsReported) {
  fs::create_directories(config_.configFilePath);  // a folder where the file should be
  config_.comPort = 5;
  EXPECT_EQ(loadProgramConfig(config_, ui_), 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Read file failed.");
  EXPECT_EQ(ui_.messages[0].caption, "Error");
  EXPECT_EQ(config_.comPort, 5);
}

TEST_F(ProgramConfigTest, SaveIntoAMissingFolderCreatesIt) {
  config_.configFilePath = dir_ / "a" / "b" / "dp3tools.cfg";
  config_.comPort = 2;
  EXPECT_EQ(saveProgramConfig(config_, ui_), 1);
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
