#include "ui/file_dialogs.hpp"

#include <QFileDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

#include "settings/backups.hpp"
#include "window_logic/settings_file_view.hpp"

namespace dp3::ui {

QString nameFilter(const FileFilter& filter) {
  const QString name =
      QString::fromUtf8(filter.description.data(), qsizetype(filter.description.size()));
  const QString pattern =
      QString::fromUtf8(filter.pattern.data(), qsizetype(filter.pattern.size()));
  return name.contains('(') ? name : name + " (" + pattern + ")";
}

namespace {

QStringList filterList() {
  QStringList list;
  for (const auto& filter : kSettingsFileFilters) {
    list << nameFilter(filter);
  }
  return list;
}

QString runSettingsDialog(QWidget* parent, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  const std::string key = mode == QFileDialog::AcceptOpen ? "settings-open" : "settings-save";
  if (const auto it = lastFolders().find(key); it != lastFolders().end()) {
    dialog.setDirectory(QString::fromStdString(it->second));
  }
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilters(filterList());
  dialog.setDefaultSuffix(
      QString::fromUtf8(kSettingsFileExtension.data(), qsizetype(kSettingsFileExtension.size())));
  if (mode == QFileDialog::AcceptOpen) {
    // The keyer backups sit beside the usual places, to restore one with Write.
    QList<QUrl> places = dialog.sidebarUrls();
    const auto backups = backupFolder();
    if (!backups.empty()) {
      places << QUrl::fromLocalFile(QString::fromStdString(backups.string()));
      dialog.setSidebarUrls(places);
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  lastFolders()[key] = dialog.directory().absolutePath().toStdString();
  return dialog.selectedFiles().first();
}

}  // namespace

std::map<std::string, std::string>& lastFolders() {
  static std::map<std::string, std::string> folders;
  return folders;
}

FileDialogs& fileDialogs() {
  static FileDialogs dialogs{
      [](QWidget* parent) { return runSettingsDialog(parent, QFileDialog::AcceptOpen); },
      [](QWidget* parent) { return runSettingsDialog(parent, QFileDialog::AcceptSave); },
      [](QWidget* parent) { return chooseFirmwareFile(parent); },
  };
  return dialogs;
}

}  // namespace dp3::ui
