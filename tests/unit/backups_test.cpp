// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/backups.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <span>
#include <thread>

#include "link/keyer_operations.hpp"
#include "settings/messages.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "system/atomic_file.hpp"
#include "test_env.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;

// Every backup this test program makes goes into a folder of its own.
const fs::path kDataHome = [] {
  const fs::path dir = fs::temp_directory_path() / ("dp3-unit-data-" + std::to_string(::getpid()));
  setEnv("XDG_DATA_HOME", dir.string());
  return dir;
}();

// Backup names carry the local time: these tests read them in a fixed zone.
void setTimeZone(const char* zone) {
  if (zone) {
    setEnv("TZ", zone);
  } else {
    unsetEnv("TZ");
  }
#if defined(_WIN32)
  ::_tzset();
#else
  ::tzset();
#endif
}

class Backups : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(kDataHome);
    if (const char* zone = std::getenv("TZ")) savedZone_ = zone;
    setTimeZone("UTC0");
  }
  void TearDown() override {
    fs::remove_all(kDataHome);
    setTimeZone(savedZone_ ? savedZone_->c_str() : nullptr);
  }
  static std::vector<fs::path> files() {
    std::vector<fs::path> out;
    for (const BackupEntry& e : listBackups(backupFolder())) out.push_back(e.file);
    return out;
  }
  static std::vector<std::uint8_t> bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  std::optional<std::string> savedZone_;
};

TEST_F(Backups, FolderFollowsXdgDataHome) {
  EXPECT_EQ(backupFolder(), kDataHome / "dp3tools" / "backups");
#if !defined(_WIN32)
  setEnv("XDG_DATA_HOME", "relative");
  const char* home = std::getenv("HOME");
  EXPECT_EQ(backupFolder(), home ? fs::path(home) / ".local/share/dp3tools/backups" : fs::path());
#endif
  setEnv("XDG_DATA_HOME", kDataHome.string());
}

// Names carry date, time, IC and version; the list is newest first with the
// callsigns; only the newest 200 stay.
TEST_F(Backups, NamedListedNewestFirstAndPruned) {
  SettingsImage image = KeyerModel::presetMemory();
  const auto start = std::chrono::system_clock::from_time_t(1'800'000'000);
  const FileResult first = saveBackup(backupFolder(), image, {"LARK", "31.12"}, start);
  ASSERT_TRUE(first.ok()) << first.reason;
  EXPECT_EQ(first.path.filename().string(), "000001_2027-01-15_08-00-00.000_LARK_31.12.eep");
  EXPECT_EQ(bytes(first.path), std::vector<std::uint8_t>(image.begin(), image.end()));
  // The same millisecond twice keeps both.
  ASSERT_TRUE(saveBackup(backupFolder(), image, {"LARK", "31.12"}, start).ok());
  EXPECT_EQ(files().size(), 2u);
  for (int i = 1; i <= 205; ++i) {
    image[0] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(
        saveBackup(backupFolder(), image, {"PIKA", "31.04"}, start + std::chrono::seconds(i)).ok());
  }
  const auto entries = listBackups(backupFolder());
  ASSERT_EQ(entries.size(), kBackupsKept);
  EXPECT_EQ(entries.front().ic, "PIKA");
  EXPECT_EQ(entries.front().version, "31.04");
  EXPECT_EQ(bytes(entries.front().file).at(0), 205);
  EXPECT_EQ(bytes(entries.back().file).at(0), 6);
  const SettingsImage preset = KeyerModel::presetMemory();
  EXPECT_EQ(entries.front().callsigns, pageText(preset, 12) + " / " + pageText(preset, 13));
  EXPECT_EQ(entries.front().date, "2027-01-15 08:03:25");
}

// The backup just made is never the one pruned, whatever the clock or the
// time zone says; the newest are the last made, and those named before
// backups were numbered still count, as older than any numbered one.
TEST_F(Backups, NewestAreTheLastMadeWhateverTheClock) {
  const auto in2030 = std::chrono::system_clock::from_time_t(1'900'000'000);
  const auto in2000 = std::chrono::system_clock::from_time_t(946'728'000);  // a dead clock
  struct Row {
    const char* what;
    bool unnumbered;   // the 200 before were named before numbering
    const char* zone;  // the zone the new one is made in
    std::chrono::system_clock::time_point madeAt;
  };
  for (const Row& row : {Row{"clock set back", false, "UTC0", in2000},
                         Row{"zone west of the last", false, "WST3", in2030},
                         Row{"unnumbered, clock set back", true, "UTC0", in2000}}) {
    SCOPED_TRACE(row.what);
    fs::remove_all(kDataHome);
    setTimeZone("UTC0");
    const fs::path folder = backupFolder();
    fs::create_directories(folder);
    SettingsImage image = KeyerModel::presetMemory();
    for (int i = 0; i < static_cast<int>(kBackupsKept); ++i) {
      const auto time = in2030 + std::chrono::seconds(i);
      image[0] = static_cast<std::uint8_t>(i);
      if (row.unnumbered) {
        writeFileAtomically(folder / backupFileName({"LARK", "31.12"}, time), image);
      } else {
        ASSERT_TRUE(saveBackup(folder, image, {"LARK", "31.12"}, time).ok());
      }
    }
    setTimeZone(row.zone);
    image[0] = 0xEE;
    const FileResult made = saveBackup(folder, image, {"LARK", "31.12"}, row.madeAt);
    ASSERT_TRUE(made.ok()) << made.reason;
    const auto entries = listBackups(folder);
    ASSERT_EQ(entries.size(), kBackupsKept);
    EXPECT_EQ(entries.front().file, made.path);
    EXPECT_EQ(bytes(made.path).at(0), 0xEE);
    EXPECT_EQ(bytes(entries[1].file).at(0), kBackupsKept - 1) << "the one made before it";
    EXPECT_EQ(bytes(entries.back().file).at(0), 1) << "the oldest went";
  }
}

// Two programs reading keyers of the same IC and version at once never
// share a name: 100 backups made at the same moment on top of 150 leave 200,
// every new one among them.
TEST_F(Backups, ReadersAtOnceNeverShareAName) {
  const fs::path folder = backupFolder();
  const auto now = std::chrono::system_clock::from_time_t(1'800'000'000);
  SettingsImage image = KeyerModel::presetMemory();
  for (int i = 0; i < 150; ++i) ASSERT_TRUE(saveBackup(folder, image, {"LARK", "31.12"}, now).ok());
  std::vector<FileResult> made(100);
  std::vector<std::thread> readers;
  for (std::size_t i = 0; i < made.size(); ++i) {
    readers.emplace_back([&made, &folder, i, now] {
      SettingsImage own = KeyerModel::presetMemory();
      own[0] = static_cast<std::uint8_t>(i);
      made[i] = saveBackup(folder, own, {"LARK", "31.12"}, now);
    });
  }
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(listBackups(folder).size(), kBackupsKept);
  std::set<std::string> numbers;
  for (std::size_t i = 0; i < made.size(); ++i) {
    ASSERT_TRUE(made[i].ok()) << made[i].reason;
    EXPECT_EQ(bytes(made[i].path).at(0), i) << made[i].path;
    numbers.insert(made[i].path.filename().string().substr(0, 6));
  }
  EXPECT_EQ(numbers.size(), made.size()) << "each number taken once";
  EXPECT_EQ(*numbers.rbegin(), "000250");
}

// Every Read is kept; a Write or an upload first reads and keeps what the
// keyer holds: its own interface test may have met another keyer on the line.
TEST_F(Backups, KeyerSettingsAreNeverChangedWithoutACopy) {
  KeyerModel model;
  SimLink link(model);
  KeyerInfo keyer;
  SettingsImage image{};
  resetSettingsImage(image);

  // A Write with no backup this run reads the keyer first: its two read
  // frames (4 bytes) come before the write.
  const auto sentBy = [&](auto command) {
    const std::size_t before = model.received().size();
    EXPECT_EQ(command().outcome, WriteOutcome::Done);
    return model.received().size() - before;
  };
  const auto write = [&] { return writeKeyer(link, keyer, image, {.verify = false}); };
  const std::size_t withRead = sentBy(write);
  ASSERT_EQ(files().size(), 1u);
  const SettingsImage preset = KeyerModel::presetMemory();
  EXPECT_EQ(bytes(files()[0]), std::vector<std::uint8_t>(preset.begin(), preset.end()));

  // A second Write reads again: the keyer now holds the first one's image.
  EXPECT_EQ(sentBy(write), withRead);
  EXPECT_EQ(files().size(), 2u);

  // A Read is kept too, and the next Write still reads its own copy first.
  SettingsImage read{};
  ASSERT_EQ(readKeyer(link, keyer, read).outcome, ReadOutcome::Done);
  EXPECT_EQ(files().size(), 3u);
  EXPECT_EQ(sentBy(write), withRead);
  EXPECT_EQ(files().size(), 4u);

  // A verified Write keeps its read-back as well as the copy from before.
  ASSERT_EQ(writeKeyer(link, keyer, image).outcome, WriteOutcome::Done);
  EXPECT_EQ(files().size(), 6u);

  // No place for backups: the Write is refused before anything is sent.
  unsetEnv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  unsetEnv("HOME");
  const char* appData = std::getenv("LOCALAPPDATA");
  const std::string savedAppData = appData ? appData : "";
  unsetEnv("LOCALAPPDATA");
  const SettingsImage held = model.memory();
  image[40] ^= 1;
  const WriteResult refused = writeKeyer(link, keyer, image);
  EXPECT_EQ(refused.outcome, WriteOutcome::BackupFailed);
  EXPECT_EQ(refused.backup.kind, BackupResult::Kind::SaveFailed);
  EXPECT_EQ(refused.keyer, KeyerState::Untouched);
  EXPECT_EQ(model.memory(), held) << "nothing was sent";
  setEnv("HOME", savedHome);
  if (!savedAppData.empty()) setEnv("LOCALAPPDATA", savedAppData);
  setEnv("XDG_DATA_HOME", kDataHome.string());
}

}  // namespace
}  // namespace dp3
