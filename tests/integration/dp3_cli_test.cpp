// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../unit/test_env.hpp"
#include "process.hpp"
#include "sim/keyer_model.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;
using test::runDp3;
using test::SimProcess;

class Dp3Cli : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
};

TEST_F(Dp3Cli, ReadSavesTheKeyersMemory) {
  SimProcess sim;
  const fs::path file = dir_ / "x.eep";
  const auto result = runDp3({"--port", sim.path(), "read", file.string()});
  EXPECT_EQ(result.out, "DP F/W revision 31.12\nDP IC: LARK\n>Done\n");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const SettingsImage memory = KeyerModel::presetMemory();
  EXPECT_EQ(fileBytes(file), std::string(memory.begin(), memory.end()));
}

TEST_F(Dp3Cli, AFailedReadLeavesTheFileUntouched) {
  SimProcess sim({"--fault", "short-dump"});
  const fs::path file = dir_ / "keep.eep";
  std::ofstream(file) << "operator's file";
  const auto result = runDp3({"--port", sim.path(), "read", file.string()});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "DP F/W revision 31.12\nDP IC: LARK\n>Read Failed\n");
  EXPECT_EQ(fileBytes(file), "operator's file");
}

TEST_F(Dp3Cli, ChosenPortIsKeptAndUsed) {
  SimProcess sim;
  auto result = runDp3({"port", sim.path()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::string cfg = fileBytes(dir_ / "dp3tools" / "dp3tools.cfg");
  ASSERT_GE(cfg.size(), 4u);
  EXPECT_EQ(cfg.substr(4), sim.path());

  result = runDp3({"test"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find(">DP OK"), std::string::npos);

  result = runDp3({"ports"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("* " + sim.path()), std::string::npos) << result.out;
}

// --help and README.md list the same exit codes, each with its commands.
TEST_F(Dp3Cli, HelpListsTheExitCodesAsTheReadmeDoes) {
  const auto result = runDp3({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  std::ifstream readme(DP3_TEST_DATA "/../../README.md");
  int rows = 0;
  for (std::string line; std::getline(readme, line);) {
    if (line.size() < 3 || line[0] != '|' || line[2] < '0' || line[2] > '9') continue;
    // "| CODE | MEANING | COMMANDS |"
    const auto second = line.find(" | ", 2);
    const auto third = line.find(" | ", second + 3);
    std::string code = line.substr(2, second - 2);
    code.resize(5, ' ');
    const std::string meaning = line.substr(second + 3, third - second - 3);
    const std::string commands = line.substr(third + 3, line.size() - third - 5);
    EXPECT_NE(result.out.find("  " + code + meaning + "\n       (" + commands + ")\n"),
              std::string::npos)
        << line;
    ++rows;
  }
  EXPECT_EQ(rows, 8);
}

TEST_F(Dp3Cli, UsageAndVersion) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string out;
  } cases[] = {
      {{"--version"}, 0, "DP3tools 5.3\n"},
      {{}, 1, ""},
      {{"frobnicate"}, 1, ""},
      {{"read"}, 1, ""},
      {{"sim", "--variant", "OWL"}, 1, ""},
      {{"sim", "--fault", "boom"}, 1, ""},
  };
  for (const auto& c : cases) {
    const auto result = runDp3(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_EQ(result.out, c.out);
  }
}

// dp3 read names its file by the save rule and replaces only what a save may.
TEST_F(Dp3Cli, ReadNamesAndChecksItsFileLikeASave) {
  SimProcess sim;
  ASSERT_EQ(::mkfifo((dir_ / "fifo.eep").c_str(), 0600), 0);
  fs::create_symlink("target.eep", dir_ / "link.eep");
  std::ofstream(dir_ / "target.eep") << "old";
  const struct {
    std::string name;
    int exitCode;
    fs::path written;  // empty: nothing may be written
  } cases[] = {
      {"bare", 0, dir_ / "bare.eep"},
      {"link.eep", 0, dir_ / "target.eep"},
      {"fifo.eep", 4, {}},
      {"sub/", 4, {}},
      {".", 4, {}},  // no hidden "..eep"
  };
  const SettingsImage memory = KeyerModel::presetMemory();
  for (const auto& c : cases) {
    const auto result = runDp3({"--port", sim.path(), "read", (dir_ / c.name).string()});
    EXPECT_EQ(result.exitCode, c.exitCode) << c.name << result.err;
    if (c.written.empty()) {
      EXPECT_NE(result.err.find("cannot write"), std::string::npos) << result.err;
      EXPECT_EQ(result.out, "") << "the keyer is not read for a file that cannot be written";
    } else {
      EXPECT_EQ(fileBytes(c.written), std::string(memory.begin(), memory.end())) << c.name;
    }
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.eep"));
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo.eep"));
  EXPECT_FALSE(fs::exists(dir_ / "bare"));
}

// A port path the next run could not read back, or that names a device only
// from one folder, is refused before anything is saved.
TEST_F(Dp3Cli, PortPathsThatCannotBeKeptAreRefused) {
  ASSERT_EQ(runDp3({"port", "/dev/ttyUSB7"}).exitCode, 0);
  const std::string kept = fileBytes(dir_ / "dp3tools" / "dp3tools.cfg");
  for (const std::string& port :
       {std::string(), std::string("rel/path"), "/dev/serial/by-id/" + std::string(4200, 'x')}) {
    const auto result = runDp3({"port", port});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("the keyer port was not changed"), std::string::npos) << result.err;
    EXPECT_EQ(fileBytes(dir_ / "dp3tools" / "dp3tools.cfg"), kept);
  }
}

// No backup possible is no keyer failure: Write sends nothing and says why
// (exit 4); Read keeps its file and says on standard output that no backup holds it.
TEST_F(Dp3Cli, NoBackupPossibleIsAFileError) {
  SimProcess sim;
  std::ofstream(dir_ / "data") << "a file where the backups' folder should be";
  const std::string env = "env XDG_DATA_HOME='" + (dir_ / "data").string() + "'";
  const std::string file = (dir_ / "w.eep").string();
  ASSERT_EQ(runDp3({"set", file, "Weight=55"}).exitCode, 0);
  const auto write = runDp3({"--port", sim.path(), "write", file}, env);
  EXPECT_EQ(write.exitCode, 4);
  EXPECT_EQ(write.out, "DP F/W revision 31.12\nDP IC: LARK\n") << "no Writing, no >Write Failed";
  EXPECT_NE(write.err.find("so nothing was sent to the keyer:\n" + (dir_ / "data").string()),
            std::string::npos)
      << write.err;
  const auto read = runDp3({"--port", sim.path(), "read", (dir_ / "r.eep").string()}, env);
  EXPECT_EQ(read.exitCode, 0);
  EXPECT_NE(read.out.find(">Done\nNo backup was kept of the keyer's settings: "), std::string::npos)
      << read.out;
  EXPECT_TRUE(fs::exists(dir_ / "r.eep"));
}

// A port that cannot be kept is not reported as chosen.
TEST_F(Dp3Cli, PortFailsWhenTheConfigurationCannotBeSaved) {
  std::ofstream(dir_ / "dp3tools") << "a file where the folder should be";
  const auto result = runDp3({"port", "/dev/ttyUSB7"});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("CFG File SAve Failed."), std::string::npos) << result.err;
}

// No HOME, no XDG_CONFIG_HOME, and a working folder that is gone: a clear
// error, no file made anywhere, no crash.
TEST_F(Dp3Cli, NoHomeIsAClearError) {
  const fs::path gone = dir_ / "gone";
  fs::create_directories(gone);
  const auto result = runDp3({"test"}, "cd '" + gone.string() + "' && rmdir '" + gone.string() +
                                           "' && env -u HOME -u XDG_CONFIG_HOME");
  EXPECT_EQ(result.exitCode, 2) << result.err;
  EXPECT_NE(result.err.find("neither HOME nor XDG_CONFIG_HOME"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("terminate"), std::string::npos) << result.err;

  const auto here =
      runDp3({"ports"}, "cd '" + dir_.string() + "' && env -u HOME -u XDG_CONFIG_HOME");
  EXPECT_FALSE(fs::exists(dir_ / "dp3tools")) << "nothing made in the working folder";
  EXPECT_EQ(here.exitCode, 0) << here.err;
}

// A FIFO with no writer, a device or a huge file never hangs a command nor
// fills its memory: each is refused before it is read.
TEST_F(Dp3Cli, InputsThatAreNotFilesAreRefusedAtOnce) {
  const std::string fifo = (dir_ / "fifo.eep").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string big = (dir_ / "big.eep").string();
  {
    std::ofstream out(big, std::ios::binary);
    out.seekp(300 << 20);  // a sparse 300 MB with no line break
    out.put('x');
  }
  fs::create_symlink("/dev/zero", dir_ / "zero.hex");
  const std::string zero = (dir_ / "zero.hex").string();
  const std::vector<std::vector<std::string>> commands = {
      {"show", fifo},
      {"set", fifo, "Weight=50"},
      {"diff", fifo, fifo},
      {"write", fifo},
      {"firmware", fifo},
      {"upload", fifo},
      {"firmware", zero},
      {"firmware", big},
      {"show", big},
      {"sim", "--eep", fifo},
      {"sim", "--eep", big},
      {"sim", "--replay", fifo},
      {"sim", "--replay", zero},
      {"sim", "--replay", big},
  };
  for (const auto& args : commands) {
    const auto result = runDp3(args);
    EXPECT_EQ(result.exitCode, 4) << args[0] << ' ' << args[1] << ": " << result.err;
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// The keyer's store time starts when the bytes have left the port, and a
// keyer that has gone by then has stored nothing: no "Done".
TEST_F(Dp3Cli, WriteIsNotDoneWhenTheKeyerHasGone) {
  const std::string file = (dir_ / "w.eep").string();
  ASSERT_EQ(runDp3({"set", file, "Weight=55"}).exitCode, 0);
  const struct {
    std::vector<std::string> sim;
    int unplugAfterMs;  // -1: the keyer hangs up by itself as the block arrives
  } cases[] = {
      {{"--fault", "write-hangup"}, -1},
      // At line rate the backup read and the interface test take about 2.8 s:
      // unplugged 0.3 s into the write itself.
      {{"--realtime"}, 3100},
  };
  for (const auto& c : cases) {
    SimProcess sim(c.sim);
    std::thread unplug([&sim, &c] {
      if (c.unplugAfterMs < 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(c.unplugAfterMs));
      sim.stop();
    });
    const auto result = runDp3({"--port", sim.path(), "write", file});
    unplug.join();
    EXPECT_EQ(result.exitCode, 2) << c.sim[0] << result.err;
    EXPECT_EQ(result.out.find("\nDone"), std::string::npos) << result.out;
  }
}

// Every read is kept as a dated backup, listed newest first.
TEST_F(Dp3Cli, BackupsListsEveryRead) {
  const fs::path data = dir_ / "data";
  const std::string env = "env XDG_DATA_HOME='" + data.string() + "'";
  EXPECT_EQ(runDp3({"backups"}, env).out,
            "No backups in " + (data / "dp3tools/backups").string() + "\n");
  SimProcess lark;
  SimProcess pika({"--variant", "PIKA", "--revision", "154"});
  ASSERT_EQ(runDp3({"--port", lark.path(), "read", (dir_ / "a").string()}, env).exitCode, 0);
  ASSERT_EQ(runDp3({"--port", pika.path(), "read", (dir_ / "b").string()}, env).exitCode, 0);
  const auto result = runDp3({"backups"}, env);
  EXPECT_EQ(result.exitCode, 0);
  const auto pikaLine = result.out.find("  PIKA 31.04  ");
  const auto larkLine = result.out.find("  LARK 31.12  ");
  EXPECT_LT(pikaLine, larkLine) << result.out;
  EXPECT_NE(larkLine, std::string::npos) << result.out;
  EXPECT_NE(result.out.find((data / "dp3tools/backups").string()), std::string::npos);
}

}  // namespace
}  // namespace dp3
