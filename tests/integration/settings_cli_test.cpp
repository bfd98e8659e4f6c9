// dp3 show / set / diff / write end to end: the dp3 program against settings
// files and the simulated keyer on a pseudo-terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/control_ids.hpp"
#include "app/map_surface.hpp"
#include "link/interface_test.hpp"
#include "settings/messages.hpp"
#include "sim/keyer_model.hpp"
#include "sim/pty_keyer.hpp"
#include "sim/sim_link.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode;
  std::string out;
  std::string err;
};

std::string quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
  const std::string text = slurp(path);
  return {text.begin(), text.end()};
}

class SettingsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("dp3_settings_cli_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome dp3(const std::vector<std::string>& args) {
    std::string command = quote(DP3_EXECUTABLE);
    for (const std::string& arg : args) command += " " + quote(arg);
    command += " >" + quote((dir_ / "out").string()) + " 2>" + quote((dir_ / "err").string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir_ / "out"), slurp(dir_ / "err")};
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST_F(SettingsCli, SetRefusesAsTheFormDoesAndLeavesTheFileAlone) {
  Outcome run = dp3({"set", path("new.eep"), "Weight=5"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err, "Weight must be between 10 and 90\n");
  EXPECT_FALSE(fs::exists(path("new.eep")));

  ASSERT_EQ(dp3({"set", path("new.eep"), "Weight=55"}).exitCode, 0);
  const std::vector<std::uint8_t> before = bytesOf(path("new.eep"));
  struct Case {
    std::vector<std::string> edit;
    const char* err;
  };
  const std::vector<Case> cases = {
      {{"--user", "2", "ST Freq=4001"}, "Freq must be between 500 and 4000.\n"},
      {{"ST Freq=4001"}, "Freq must be 500 or greater.\n"},
      {{"--user", "2", "MinWpm=40"}, "Pot Max must be greater than Pot Min\n"},
      {{"Msg 3=50% OFF"},
       "Msg 3 holds \"%\", which has no Morse code. Remove it before storing.\n"},
      {{"Weight=55", "PTT Tail=251"}, "Tail must be 250 or less.\n"},
      {{"Weight=abc"}, "Weight: \"abc\" is not a number\n"},
      {{"Keyer Mode=Iambic C"},
       "Keyer Mode: \"Iambic C\" is none of \"Iambic A\", \"Iambic B\", \"Ultimatic\", "
       "\"UltimDit\", \"UltimDah\", \"VibroBug\"\n"},
      {{"Swap=maybe"}, "Swap: \"maybe\" is not on or off\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"set", path("new.eep")};
    args.insert(args.end(), c.edit.begin(), c.edit.end());
    run = dp3(args);
    EXPECT_EQ(run.exitCode, 3) << c.edit.back();
    EXPECT_EQ(run.err, c.err) << c.edit.back();
    EXPECT_EQ(bytesOf(path("new.eep")), before) << c.edit.back();
  }
  EXPECT_EQ(dp3({"set", path("new.eep"), "Wieght=55"}).exitCode, 1);
  EXPECT_EQ(dp3({"set", path("new.eep"), "Weight"}).exitCode, 1);
}

TEST_F(SettingsCli, SetEditsTheBytesTheWindowWould) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
  };
  const std::vector<Case> cases = {
      {{"Weight=55", "ST Freq=700"}, {{3, 55}, {2, 89}}},
      {{"--user", "2", "Weight=11", "S/N=257"}, {{19, 11}, {3, 50}, {298, 0x01}, {299, 0x00}}},
      {{"Keyer Mode=UltimDit", "Output Selection=Port2, PTT", "Paddle Hang=2.0 Word"},
       {{0, 0x20}, {13, 0xB9}}},
      {{"--user", "2", "Keyer Mode=Iambic A"}, {{16, 0x10}, {0, 0x00}}},
      {{"Swap=on", "Cut 9=on", "Tune50%=on", "LtrSpace=3"}, {{0, 0x08}, {288, 0x20}, {14, 0x23}}},
      {{"--user", "2", "FaveWpmOff=on", "PdlWDoff=on"}, {{294, 0x01}, {16, 0x80}}},
      {{"RTTY Enable=on", "FSK Map=on", "Baud Rate=75", "Stop Bits=1.5", "Diddle is=Ltrs",
        "USOS=On"},
       {{289, 0xA2}, {290, 0x0D}}},
      {{"Msg 1=CQ", "Msg 2=TEST"},
       {{32, 21}, {33, 15}, {34, 17}, {47, 0x15}, {48, 0x9B}, {49, 0x03}, {52, 0x83}}},
      {{"--user", "2", "User Callsign /M=n0call"}, {{46, 15}, {45, 0}, {47, 0x05}, {52, 0x92}}},
  };
  for (const Case& c : cases) {
    const std::string file = path("edit.eep");
    fs::remove(file);
    std::vector<std::string> args = {"set", file};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome run = dp3(args);
    ASSERT_EQ(run.exitCode, 0) << c.args.back() << ": " << run.err;
    const std::vector<std::uint8_t> bytes = bytesOf(file);
    ASSERT_EQ(bytes.size(), 300u);
    for (const auto& [offset, value] : c.bytes) {
      EXPECT_EQ(bytes[offset], value) << c.args.back() << " at " << offset;
    }
  }
}

TEST_F(SettingsCli, DiffNamesWhatDiffers) {
  ASSERT_EQ(dp3({"set", path("a.eep"), "Msg 1=CQ"}).exitCode, 0);
  fs::copy_file(path("a.eep"), path("b.eep"));
  Outcome run = dp3({"diff", path("a.eep"), path("b.eep")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");

  ASSERT_EQ(
      dp3({"set", path("b.eep"), "Weight=55", "Msg 1=QRZ?", "--user", "2", "Swap=on"}).exitCode, 0)
      << "--user applies to every edit";
  run = dp3({"diff", path("a.eep"), path("b.eep")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out,
            "User 2 Weight: 50 -> 55\n"
            "User 2 Swap: off -> on\n"
            "Msg 1: \"CQ\" -> \"QRZ?\"\n");

  // A byte no field shows still makes the files differ.
  std::vector<std::uint8_t> c = bytesOf(path("a.eep"));
  c[0] ^= 0x40;  // ModeReg bit 6, carried but not edited
  std::ofstream(path("c.eep"), std::ios::binary)
      .write(reinterpret_cast<const char*>(c.data()), 300);
  run = dp3({"diff", path("a.eep"), path("c.eep")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "Bytes no field shows differ at image offsets: 0\n");

  EXPECT_EQ(dp3({"diff", path("a.eep"), path("missing.eep")}).exitCode, 4);
}

class KeyerCli : public SettingsCli {
 protected:
  void SetUp() override {
    SettingsCli::SetUp();
    std::string error;
    ASSERT_TRUE(pty_.open(error)) << error;
    pty_.start();
  }
  void TearDown() override {
    pty_.stop();
    SettingsCli::TearDown();
  }

  std::vector<std::uint8_t> received() {
    return pty_.inspect([](KeyerModel& m) { return m.received(); });
  }

  KeyerModel model_;
  PtyKeyer pty_{model_};
};

// The bytes the interface test puts on the line, from the same keyer model.
std::vector<std::uint8_t> interfaceTestBytes() {
  KeyerModel model;
  SimLink link(model);
  MapSurface ui;
  KeyerInfo keyer;
  TestInterface(ui, link, keyer);
  return model.received();
}

TEST_F(KeyerCli, WriteSendsTheExtensionThenTheSettingsBlock) {
  const std::string file = path("contest.eep");
  ASSERT_EQ(dp3({"set", file, "Weight=60", "ST Freq=700", "Msg 1=CQ TEST", "Msg 2=TU",
                 "User Callsign /M=N0CALL", "RTTY Enable=on", "Cut 0=on"})
                .exitCode,
            0);
  ASSERT_EQ(dp3({"set", file, "--user", "2", "Weight=20", "S/N=300"}).exitCode, 0);
  const std::vector<std::uint8_t> image = bytesOf(file);
  ASSERT_EQ(image.size(), 300u);

  const Outcome run = dp3({"--port", pty_.path(), "write", file});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "DP F/W revision 31.12\nDP IC: LARK\nWriting\nDone\n");

  std::vector<std::uint8_t> expected = interfaceTestBytes();
  expected.insert(expected.end(), {0x00, 0x1B});
  expected.insert(expected.end(), image.begin() + 288, image.end());
  expected.insert(expected.end(), {0x00, 0x0D});
  expected.insert(expected.end(), image.begin(), image.begin() + 288);
  EXPECT_EQ(received(), expected);
  const SettingsImage memory = pty_.inspect([](KeyerModel& m) { return m.memory(); });
  EXPECT_TRUE(std::equal(memory.begin(), memory.end(), image.begin()));
}

TEST_F(KeyerCli, WriteRefusesEitherUsersBadValueBeforeTouchingTheKeyer) {
  const std::string file = path("bad.eep");
  ASSERT_EQ(dp3({"set", file, "Weight=60"}).exitCode, 0);
  std::vector<std::uint8_t> image = bytesOf(file);
  image[16 + 3] = 5;  // User 2 Weight
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 300);

  const Outcome run = dp3({"--port", pty_.path(), "write", file});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err,
            "Weight must be between 10 and 90\n"
            "dp3 write: User 2's settings were refused; nothing was sent\n");
  EXPECT_TRUE(received().empty());
  EXPECT_EQ(dp3({"--port", pty_.path(), "write", path("missing.eep")}).exitCode, 4);
}

TEST_F(KeyerCli, ShowOfAReadFileShowsTheKeyersMessages) {
  const std::string file = path("keyer.eep");
  ASSERT_EQ(dp3({"--port", pty_.path(), "read", file}).exitCode, 0);
  const Outcome run = dp3({"show", file});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* line :
       {"\nMsg 1: CQ CQ DE N0CALL N0CALL K\n", "\nMsg 2: TU 5NN\n", "\nMsg 3: QRZ?\n",
        "\nMsg 4: \n", "\nUser 1 Callsign /M: N0CALL\n", "\nMsg Bytes Left: 200\n",
        "\nKeyer Mode: Iambic B\n", "\nST Freq: 801\n", "\nBaud Rate: 45.45\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
  const Outcome json = dp3({"show", file, "--json", "--user", "2"});
  ASSERT_EQ(json.exitCode, 0);
  EXPECT_NE(json.out.find("\"User\": 2,"), std::string::npos);
  EXPECT_NE(json.out.find("\"Msg 1\": \"CQ CQ DE N0CALL N0CALL K\""), std::string::npos);
  EXPECT_NE(json.out.find("\"Swap\": false"), std::string::npos);
  EXPECT_NE(json.out.find("\"MaxWpm\": 35"), std::string::npos);
}

}  // namespace
}  // namespace dp3
