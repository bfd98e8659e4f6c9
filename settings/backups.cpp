// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/backups.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string_view>
#include <system_error>

#include "settings/messages.hpp"
#include "settings/settings_file.hpp"
#include "system/atomic_file.hpp"
#include "system/file_lock.hpp"

namespace dp3 {

namespace {

namespace fs = std::filesystem;

// "2026-12-09_03-15-22.123": sorts as it dates.
constexpr std::size_t kStampLength = 23;
// A backup's number, at least this many digits ("000201"), at most the most
// a 64-bit count takes.
constexpr std::size_t kNumberDigits = 6;
constexpr std::size_t kNumberDigitsMax = 19;
// Names tried when others take numbers at the same moment.
constexpr unsigned kNumberAttempts = 10000;

// Keeps a name to letters, digits and dots, so no label can leave the folder.
std::string plain(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool ok =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.';
    out += ok ? c : '-';
  }
  return out.empty() ? "unknown" : out;
}

bool isDatedName(std::string_view name) {
  if (name.size() < kStampLength + 6 || name.substr(name.size() - 4) != ".eep") return false;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    const char c = name[i];
    const bool digit = c >= '0' && c <= '9';
    const char expected = i == 4 || i == 7 || i == 13 || i == 16 ? '-'
                          : i == 10                              ? '_'
                          : i == 19                              ? '.'
                                                                 : 0;
    if (expected ? c != expected : !digit) return false;
  }
  return name[kStampLength] == '_';
}

// A backup's name: its number (0 for one named before backups were numbered)
// and the dated part after it.
struct BackupName {
  std::uint64_t number = 0;
  std::string name;   // the whole file name
  std::string dated;  // DATE_TIME.ms_IC_VERSION.eep
};

std::optional<BackupName> parseBackupName(const std::string& name) {
  if (isDatedName(name)) return BackupName{0, name, name};
  const std::size_t cut = name.find('_');
  if (cut == std::string::npos || cut == 0 || cut > kNumberDigitsMax) return std::nullopt;
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < cut; ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    number = number * 10 + static_cast<std::uint64_t>(name[i] - '0');
  }
  const std::string dated = name.substr(cut + 1);
  if (number == 0 || !isDatedName(dated)) return std::nullopt;
  return BackupName{number, name, dated};
}

// The backups in folder, newest first: by number, which only ever grows
// whatever the clock says; those from before numbering come last, by date.
std::vector<BackupName> backupNames(const fs::path& folder) {
  std::vector<BackupName> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    auto parsed = parseBackupName(it->path().filename().string());
    std::error_code typeError;
    if (parsed && it->is_regular_file(typeError)) names.push_back(std::move(*parsed));
  }
  std::sort(names.begin(), names.end(), [](const BackupName& a, const BackupName& b) {
    return a.number != b.number ? a.number > b.number : a.dated > b.dated;
  });
  return names;
}

std::string numbered(std::uint64_t number, const std::string& dated) {
  std::string digits = std::to_string(number);
  if (digits.size() < kNumberDigits) digits.insert(0, kNumberDigits - digits.size(), '0');
  return digits + "_" + dated;
}

std::size_t prune(const fs::path& folder, std::size_t keep, const std::string& exempt) {
  const std::vector<BackupName> names = backupNames(folder);
  std::size_t removed = 0;
  std::error_code error;
  for (std::size_t i = keep; i < names.size(); ++i) {
    if (names[i].name != exempt) removed += fs::remove(folder / names[i].name, error);
  }
  return removed;
}

}  // namespace

std::string backupFileName(const BackupLabel& label, std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() % 1000;
  std::tm local{};
  ::localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
  char name[64];
  std::snprintf(name, sizeof name, "%s.%03d", stamp, static_cast<int>(millis));
  return std::string(name) + "_" + plain(label.ic) + "_" + plain(label.version) + ".eep";
}

FileResult saveBackup(const fs::path& folder, const SettingsImage& image, const BackupLabel& label,
                      std::chrono::system_clock::time_point time) {
  if (folder.empty()) return {FileResult::Kind::NoPlace};
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return {FileResult::Kind::Create, folder, error.message()};
  // One program at a time numbers, saves and prunes, so each number is
  // taken once. A lock that cannot be had holds no backup back: the name is
  // still claimed atomically.
  const FileLock numbering(folder);
  const std::vector<BackupName> names = backupNames(folder);
  const std::uint64_t next = names.empty() ? 1 : names.front().number + 1;
  const std::string dated = backupFileName(label, time);
  // Another program saving at the same moment may take a number first: the
  // next one up is tried.
  const FileResult saved = writeNewFile(
      folder, image, [next, &dated](unsigned attempt) { return numbered(next + attempt, dated); },
      kNumberAttempts);
  if (saved.ok()) prune(folder, kBackupsKept, saved.path.filename().string());
  return saved;
}

std::vector<BackupEntry> listBackups(const fs::path& folder) {
  std::vector<BackupEntry> entries;
  for (const BackupName& backup : backupNames(folder)) {
    const std::string& name = backup.dated;
    BackupEntry entry;
    entry.file = folder / backup.name;
    entry.date = name.substr(0, 10) + " " + name.substr(11, 2) + ":" + name.substr(14, 2) + ":" +
                 name.substr(17, 2);
    const std::string rest = name.substr(kStampLength + 1, name.size() - kStampLength - 5);
    const std::size_t cut = rest.find('_');
    entry.ic = rest.substr(0, cut);
    if (cut != std::string::npos) {
      const std::string version = rest.substr(cut + 1);
      entry.version = version.substr(0, version.find('_'));
    }
    SettingsImage image{};
    if (readSettingsFile(entry.file, image).ok()) {
      entry.callsigns = pageText(image, 12) + " / " + pageText(image, 13);
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::size_t pruneBackups(const fs::path& folder, std::size_t keep) {
  return prune(folder, keep, {});
}

}  // namespace dp3
