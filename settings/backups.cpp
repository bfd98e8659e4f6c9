#include "settings/backups.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include "settings/messages.hpp"
#include "settings/settings_file.hpp"
#include "system/atomic_file.hpp"

namespace dp3 {

namespace {

namespace fs = std::filesystem;

// "2026-12-09_03-15-22.123": sorts as it dates.
constexpr std::size_t kStampLength = 23;

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

bool isBackupName(const std::string& name) {
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

// Backup file names in folder, newest first.
std::vector<std::string> backupNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (isBackupName(name) && it->is_regular_file(error)) names.push_back(name);
  }
  std::sort(names.rbegin(), names.rend());
  return names;
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
  std::string name = backupFileName(label, time);
  // Two reads within one millisecond keep both.
  for (int n = 2; fs::exists(folder / name, error); ++n) {
    name = name.substr(0, kStampLength) + "_" + plain(label.ic) + "_" + plain(label.version) + "_" +
           std::to_string(n) + ".eep";
  }
  const FileResult saved = writeFileAtomically(folder / name, image);
  if (saved.ok()) pruneBackups(folder);
  return saved;
}

std::vector<BackupEntry> listBackups(const fs::path& folder) {
  std::vector<BackupEntry> entries;
  for (const std::string& name : backupNames(folder)) {
    BackupEntry entry;
    entry.file = folder / name;
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
  const std::vector<std::string> names = backupNames(folder);
  std::size_t removed = 0;
  std::error_code error;
  for (std::size_t i = keep; i < names.size(); ++i) removed += fs::remove(folder / names[i], error);
  return removed;
}

}  // namespace dp3
