// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3 show / set / diff / write end to end: the dp3 program against settings
// files and the simulated keyer on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../unit/test_env.hpp"
#include "link/host_commands.hpp"
#include "link/keyer_info.hpp"
#include "process.hpp"
#include "settings/backups.hpp"
#include "sim/keyer_model.hpp"
#include "sim/posix/pty_keyer.hpp"
#include "sim/sim_link.hpp"
#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& path) {
  const std::string bytes = fileBytes(path);
  return {bytes.begin(), bytes.end()};
}

void writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class SettingsCli : public TempFolderTest {
 protected:
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
};

// From the defaults (no file yet): the file an edit of each kind leaves, or
// the exit code of a refusal, which writes no file. The model's own tests
// hold each check and text.
TEST_F(SettingsCli, SetEditsByTheWindowsLabels) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
  };
  const std::vector<Case> cases = {
      {{"Weight=5"}, 3, {}},
      {{"Msg 3=50% OFF"}, 3, {}},
      {{"Weight=abc"}, 3, {}},
      {{"Wieght=55"}, 1, {}},
      {{"Weight=55", "ST Freq=700", "Swap=on", "Keyer Mode=UltimDit", "RTTY Enable=on",
        "Baud Rate=75", "Msg 1=CQ", "Msg 2=TEST"},
       0,
       {{3, 55}, {2, 89}, {0, 0x28}, {13, 0x87}, {289, 0x82}, {290, 0}, {33, 15}, {34, 17}}},
      {{"--user", "2", "S/N=257", "User Callsign /M=n0call"},
       0,
       {{298, 1}, {299, 0}, {46, 15}, {45, 0}, {52, 0x92}}},
  };
  for (const Case& c : cases) {
    const std::string file = path("edit.eep");
    fs::remove(file);
    std::vector<std::string> args = {"set", file};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::RunResult run = test::runDp3(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back() << ": " << run.err;
    if (c.exitCode != 0) {
      EXPECT_FALSE(fs::exists(file)) << c.args.back();
      continue;
    }
    const Bytes bytes = bytesOf(file);
    ASSERT_EQ(bytes.size(), 300u);
    for (const auto& [offset, value] : c.bytes) EXPECT_EQ(bytes[offset], value) << offset;
  }
  EXPECT_EQ(test::runDp3({"set", path("x.eep"), "--user", "2", "ST Freq=4001"}).err,
            "Freq must be between 500 and 4000.\n");

  // "$" ends a text and reads back as "$": a later edit keeps it.
  ASSERT_EQ(test::runDp3({"set", path("price.eep"), "Msg 1=PRICE 5$"}).exitCode, 0);
  ASSERT_EQ(test::runDp3({"set", path("price.eep"), "Weight=60"}).exitCode, 0);
  EXPECT_EQ(bytesOf(path("price.eep"))[54], 0xC8);
  EXPECT_NE(test::runDp3({"show", path("price.eep")}).out.find("\nMsg 1: PRICE 5$\n"),
            std::string::npos);

  // A refusal leaves an existing file as it was.
  const Bytes before = bytesOf(path("price.eep"));
  EXPECT_EQ(test::runDp3({"set", path("price.eep"), "Msg 1=CQ", "Ratio=99"}).exitCode, 3);
  EXPECT_EQ(bytesOf(path("price.eep")), before);
}

// Two dp3 set on one file at once: each holds the file from its read to its
// save, so neither loses the other's edit.
TEST_F(SettingsCli, SetsAtOnceLoseNoEdit) {
  const std::string file = path("f.eep");
  ASSERT_EQ(test::runDp3({"set", file, "Weight=50"}).exitCode, 0);
  const std::string dp3 = DP3_EXECUTABLE;
  for (int round = 0; round < 10; ++round) {
    const std::string weight = std::to_string(40 + round);
    const std::string text = "R" + std::to_string(round);
    const std::string both = dp3 + " set '" + file + "' Weight=" + weight + " >/dev/null & " + dp3 +
                             " set '" + file + "' 'Msg 2=" + text + "' >/dev/null & wait";
    ASSERT_EQ(std::system(both.c_str()), 0);
    const std::string shown = test::runDp3({"show", file}).out;
    EXPECT_NE(shown.find("\nWeight: " + weight + "\n"), std::string::npos) << round;
    EXPECT_NE(shown.find("\nMsg 2: " + text + "\n"), std::string::npos) << round;
  }
  EXPECT_FALSE(fs::exists(dir_ / ".f.eep.lock"));
}

// A name that names no file, or a destination that is the input, is refused
// with its reason and nothing changes; a new file or a rounded value is said.
TEST_F(SettingsCli, NamesAndDestinationsAreChecked) {
  const std::string in = path("in.eep");
  ASSERT_EQ(test::runDp3({"set", in, "Msg 1=CQ"}).exitCode, 0);
  const std::string held = fileBytes(in);
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // found on standard error
  } rows[] = {
      {{"set", "", "Weight=55"}, 4, "Can't open Settings file for write: no file name given"},
      {{"set", path("."), "Weight=55"}, 4, "names a folder, not a file"},
      {{"play", in, "--msg", "1", "--wav", ""}, 4, "WAV file: no file name given"},
      {{"play", in, "--msg", "1", "--wav", in}, 4, "is the settings file played from"},
      {{"show", path("")}, 4, "File Not Found\n" + dir_.string() + "/: is a folder"},
      {{"diff", in, path("gone.eep")}, 4, "File Not Found\n" + path("gone.eep") + ": "},
  };
  for (const auto& row : rows) {
    const auto result = test::runDp3(row.args);
    EXPECT_EQ(result.exitCode, row.exitCode) << row.args[0] << result.err;
    EXPECT_NE(result.err.find(row.err), std::string::npos) << result.err;
  }
  EXPECT_EQ(fileBytes(in), held);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  auto made = test::runDp3({"set", path("typo"), "ST Freq=601"});
  EXPECT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.out, "ST Freq: 601 Hz stored as 606 Hz\n" + path("typo.eep") +
                          ": new file, from the defaults\n");
  made = test::runDp3({"set", path("typo"), "Weight=60"});
  EXPECT_EQ(made.out, "") << "an existing file is no news";
}

TEST_F(SettingsCli, DiffNamesWhatDiffers) {
  ASSERT_EQ(test::runDp3({"set", path("a.eep"), "Msg 1=CQ"}).exitCode, 0);
  fs::copy_file(path("a.eep"), path("b.eep"));
  test::RunResult run = test::runDp3({"diff", path("a.eep"), path("b.eep")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");

  ASSERT_EQ(
      test::runDp3({"set", path("b.eep"), "Weight=55", "Msg 1=QRZ?", "--user", "2", "Swap=on"})
          .exitCode,
      0);
  run = test::runDp3({"diff", path("a.eep"), path("b.eep")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out,
            "User 2 Weight: 50 -> 55\nUser 2 Swap: off -> on\nMsg 1: \"CQ\" -> \"QRZ?\"\n");

  Bytes c = bytesOf(path("a.eep"));
  c[0] ^= 0x40;  // ModeReg bit 6: carried, shown by no field
  writeBytes(path("c.eep"), c);
  run = test::runDp3({"diff", path("a.eep"), path("c.eep")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "Bytes no field shows differ at image offsets: 0\n");

  // A field that differs does not hide a byte no field shows.
  c[16 + 3] = 12;  // User 2 Weight
  writeBytes(path("c.eep"), c);
  run = test::runDp3({"diff", path("a.eep"), path("c.eep")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "User 2 Weight: 50 -> 12\nBytes no field shows differ at image offsets: 0\n");
  EXPECT_EQ(test::runDp3({"diff", path("a.eep"), path("missing.eep")}).exitCode, 4);
}

class KeyerCli : public SettingsCli {
 protected:
  void SetUp() override {
    SettingsCli::SetUp();
    std::string error;
    ASSERT_TRUE(pty_.open(error)) << error;
    pty_.start();
  }
  Bytes received() {
    return pty_.inspect([](KeyerModel& m) { return m.received(); });
  }

  KeyerModel model_;
  PtyKeyer pty_{model_};
};

TEST_F(KeyerCli, WriteSendsTheExtensionThenTheSettingsBlock) {
  const std::string file = path("contest.eep");
  ASSERT_EQ(test::runDp3({"set", file, "Weight=60", "ST Freq=4000", "Msg 1=CQ TEST", "Msg 2=TU",
                          "User Callsign /M=N0CALL", "RTTY Enable=on", "Cut 0=on"})
                .exitCode,
            0);
  ASSERT_EQ(test::runDp3({"set", file, "--user", "2", "Weight=20", "S/N=300"}).exitCode, 0);
  const Bytes image = bytesOf(file);

  const test::RunResult run = test::runDp3({"--port", pty_.path(), "write", file});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "DP F/W revision 31.12\nDP IC: LARK\nWriting\nDone\n");

  // After the interface test's frames: the reads of both blocks for the
  // backup, 00 1B and the 12 extension bytes, then 00 0D and the 288-byte block.
  KeyerModel reference;
  SimLink link(reference);
  KeyerInfo keyer;
  testInterface(link, keyer);
  Bytes expected = reference.received();
  expected.insert(expected.end(),
                  {0x00, host::kReadSettingsBlock, 0x00, host::kReadExtensionBlock});
  expected.insert(expected.end(), {0x00, 0x1B});
  expected.insert(expected.end(), image.begin() + 288, image.end());
  expected.insert(expected.end(), {0x00, 0x0D});
  expected.insert(expected.end(), image.begin(), image.begin() + 288);
  expected.insert(expected.end(), {0x00, 0x0C, 0x00, 0x1A});  // read back to verify
  EXPECT_EQ(received(), expected);
  // Backups, newest first: the read-back, then what the keyer held before.
  const auto backups = listBackups(backupFolder());
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_EQ(bytesOf(backups.front().file.string()), image);
  const SettingsImage before = KeyerModel::presetMemory();
  EXPECT_EQ(bytesOf(backups.back().file.string()), Bytes(before.begin(), before.end()));
}

// Texts holding patterns no character has show marked, and go back to the
// file and the keyer as they were read unless they are edited.
TEST_F(KeyerCli, TextsLeftAloneGoBackAsTheyWereRead) {
  const std::string file = path("marks.eep");
  ASSERT_EQ(test::runDp3({"set", file, "Weight=60"}).exitCode, 0);
  Bytes image = bytesOf(file);
  std::fill(image.begin() + 32, image.begin() + 288, 0);
  image[32] = 22;  // free pointer
  image[33] = 15;  // Msg 1: C Q, six dits, the stop mark alone, A
  image[34] = 20;  // Msg 2: 5 $
  const Bytes texts = {0x15, 0x1B, 0x40, 0x01, 0x86, 0x20, 0xC8};
  std::copy(texts.begin(), texts.end(), image.begin() + 47);
  writeBytes(file, image);
  const Bytes page(image.begin() + 32, image.begin() + 288);
  auto pageOf = [](const Bytes& bytes) { return Bytes(bytes.begin() + 32, bytes.begin() + 288); };

  const test::RunResult show = test::runDp3({"show", file});
  for (const char* line :
       {"\nMsg 1: CQ{......}{}A\n", "\nMsg 2: 5$\n", "\nMsg Bytes Left: 233\n"}) {
    EXPECT_NE(show.out.find(line), std::string::npos) << line << show.out;
  }
  ASSERT_EQ(test::runDp3({"set", file, "Weight=61"}).exitCode, 0);
  EXPECT_EQ(pageOf(bytesOf(file)), page);
  const test::RunResult edited = test::runDp3({"set", file, "Msg 1=CQ{......}{}AB"});
  EXPECT_EQ(edited.exitCode, 3);
  EXPECT_EQ(edited.err,
            "Msg 1 holds {......}, a keyer pattern with no character, in an edited text; such a "
            "pattern is kept only while its text stays as it was read. Remove it before "
            "storing.\n");
  EXPECT_EQ(pageOf(bytesOf(file)), page);

  ASSERT_EQ(test::runDp3({"--port", pty_.path(), "write", file}).exitCode, 0);
  const SettingsImage memory = pty_.inspect([](KeyerModel& m) { return m.memory(); });
  EXPECT_EQ(Bytes(memory.begin() + 32, memory.begin() + 288), page);
}

// A file the form or the message editor would refuse is refused before any
// port is opened: no keyer needed, and the keyer hears nothing.
TEST_F(KeyerCli, WriteRefusesBeforeTouchingTheKeyer) {
  const struct {
    std::string name;
    void (*spoil)(Bytes&);
    std::string err;
  } rows[] = {
      {"weight", [](Bytes& image) { image[16 + 3] = 5; },  // User 2 Weight
       "Weight must be between 10 and 90\n"
       "dp3 write: User 2's settings were refused; nothing was sent\n"},
      {"texts",
       [](Bytes& image) {  // Msg 2-12 share Msg 1's 27 bytes: 324 in all
         std::fill(image.begin() + 34, image.begin() + 45, image[33]);
       },
       "Msg 9 goes past the 240 characters the keyer holds for all messages and callsigns. "
       "Shorten the texts before storing.\n"
       "dp3 write: User 1's settings were refused; nothing was sent\n"},
  };
  for (const auto& row : rows) {
    const std::string file = path(row.name + ".eep");
    ASSERT_EQ(test::runDp3({"set", file, "Msg 1=CQ CQ CQ DE N0CALL N0CALL K"}).exitCode, 0);
    Bytes image = bytesOf(file);
    row.spoil(image);
    writeBytes(file, image);
    for (const std::string& port : {pty_.path(), std::string("/dev/dp3-missing")}) {
      SCOPED_TRACE(row.name + " " + port);
      const test::RunResult run = test::runDp3({"--port", port, "write", file});
      EXPECT_EQ(run.exitCode, 3);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err, row.err);
    }
  }
  EXPECT_TRUE(received().empty());
}

TEST_F(KeyerCli, ShowOfAReadFileShowsTheKeyersMessages) {
  const std::string file = path("keyer.eep");
  ASSERT_EQ(test::runDp3({"--port", pty_.path(), "read", file}).exitCode, 0);
  const test::RunResult run = test::runDp3({"show", file});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* line :
       {"\nMsg 1: CQ CQ DE N0CALL N0CALL K\n", "\nMsg 2: TU 5NN\n", "\nMsg 3: QRZ?\n",
        "\nMsg 4: \n", "\nUser 1 Callsign /M: N0CALL\n", "\nMsg Bytes Left: 200\n",
        "\nKeyer Mode: Iambic B\n", "\nST Freq: 801\n", "\nBaud Rate: 45.45\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
  const test::RunResult json = test::runDp3({"show", file, "--json", "--user", "2"});
  ASSERT_EQ(json.exitCode, 0);
  for (const char* pair : {"\"User\": 2,", "\"Msg 1\": \"CQ CQ DE N0CALL N0CALL K\"",
                           "\"Swap\": false", "\"MaxWpm\": 35"}) {
    EXPECT_NE(json.out.find(pair), std::string::npos) << pair;
  }
}

}  // namespace
}  // namespace dp3
