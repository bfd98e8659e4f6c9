// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3 play end to end: raw PCM on a pipe, WAV files read back by Python's
// wave module, and the refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "process.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;

class PlayCli : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_);
    ASSERT_EQ(test::runDp3({"set", file_, "CurWpm=20", "Msg 1=PARIS ", "Msg 2=CQ",
                            "User Callsign /M=N0CALL"})
                  .exitCode,
              0);
    ASSERT_EQ(
        test::runDp3({"set", file_, "--user", "2", "CurWpm=25", "User Callsign /M=K1A"}).exitCode,
        0);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // "rate channels width frames" of a WAV file, as Python's wave module reads it.
  static std::string pythonWave(const std::string& path) {
    const std::string command =
        "python3 -c \"import sys, wave; w = wave.open(sys.argv[1]); print(w.getframerate(), "
        "w.getnchannels(), w.getsampwidth(), w.getnframes())\" '" +
        path + "'";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[256];
      while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
      ::pclose(pipe);
    }
    return out;
  }

  fs::path dir_ = fs::temp_directory_path() / ("dp3_play_cli_" + std::to_string(::getpid()));
  std::string file_ = (dir_ / "keyer.eep").string();
};

TEST_F(PlayCli, RawPcmOnAPipe) {
  const test::RunResult run = test::runDp3({"play", file_, "--msg", "1"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.size(), 3u * 48000 * 2) << "PARIS and its word gap: 3 s at 20 WPM";
  EXPECT_EQ(run.err, "Msg 1: .--. .- .-. .. ... /\n3.0 s at 20 WPM, 801 Hz\n");
}

TEST_F(PlayCli, WavReadBackByPython) {
  struct Row {
    std::vector<std::string> args;
    std::string wave;
    std::string err;
  };
  const std::vector<Row> rows = {
      {{"--msg", "1"}, "48000 1 2 144000\n", "3.0 s at 20 WPM, 801 Hz"},
      {{"--msg", "1", "--wpm", "18", "--farns", "5", "--tone", "600"},
       "48000 1 2 576000\n",
       "12.0 s at 18 WPM (Farnsworth 5), 600 Hz"},
      {{"--msg", "2", "--wpm", "5"}, "48000 1 2 311040\n", "-.-. --.-\n6.5 s at 5 WPM"},
      {{"--callsign"},
       "48000 1 2 " + std::to_string((5 + 3 + 19 + 3 + 11 + 3 + 5 + 3 + 9 + 3 + 9) * 2880) + "\n",
       "User 1 callsign: -. ----- -.-. .- .-.. .-..\n"},
      {{"--callsign", "--user", "2"},
       "48000 1 2 " + std::to_string((9 + 3 + 17 + 3 + 5) * 2304) + "\n",
       "at 25 WPM"},
  };
  for (const Row& row : rows) {
    const std::string wav = (dir_ / "out.wav").string();
    std::vector<std::string> args = {"play", file_, "--wav", wav};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const test::RunResult run = test::runDp3(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    EXPECT_EQ(pythonWave(wav), row.wave) << row.args[0];
    fs::remove(wav);
  }
}

TEST_F(PlayCli, ShowListsDurationsAndPatterns) {
  const test::RunResult run = test::runDp3({"show", file_});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* line :
       {"\nSound: 20 WPM, 801 Hz\n", "\nMsg 1 sound: 3.0 s  .--. .- .-. .. ... /\n",
        "\nMsg 2 sound: 1.6 s  -.-. --.-\n",
        "\nUser 1 Callsign /M sound: 4.4 s  -. ----- -.-. .- .-.. .-..\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
  }
  EXPECT_EQ(run.out.find("Msg 3 sound"), std::string::npos) << "empty texts have no sound";

  const test::RunResult json = test::runDp3({"show", file_, "--json", "--user", "2"});
  ASSERT_EQ(json.exitCode, 0);
  for (const char* pair :
       {"\"WPM\": 25", "\"Approximate\": false",
        "\"Msg 1\": {\n        \"Seconds\": 2.4,\n        \"Pattern\": \".--. .- .-. .. ... /\"",
        "\"Pattern\": \"-.- .---- .-\""}) {
    EXPECT_NE(json.out.find(pair), std::string::npos) << pair << json.out;
  }
}

TEST_F(PlayCli, Refusals) {
  struct Row {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
  };
  const std::vector<Row> rows = {
      {{"--msg", "3"}, 3, "dp3 play: Msg 3 is empty; nothing to play\n"},
      {{}, 1, "--msg N or --callsign"},
      {{"--msg", "1", "--callsign"}, 1, "excludes"},
      {{"--msg", "13"}, 1, "not in range"},
      {{"--msg", "1", "--wpm", "4"}, 1, "not in range"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args = {"play", file_};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const test::RunResult run = test::runDp3(args);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  const test::RunResult missing =
      test::runDp3({"play", (dir_ / "none.eep").string(), "--msg", "1"});
  EXPECT_EQ(missing.exitCode, 4);
}

}  // namespace
}  // namespace dp3
