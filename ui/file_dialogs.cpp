// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/file_dialogs.hpp"

#include <QFileDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

#include "settings/backups.hpp"
#include "window_logic/settings_file_view.hpp"
#include "window_logic/uploader_window.hpp"

namespace dp3::ui {

QString nameFilter(const FileFilter& filter) {
  const QString name =
      QString::fromUtf8(filter.description.data(), qsizetype(filter.description.size()));
  const QString pattern =
      QString::fromUtf8(filter.pattern.data(), qsizetype(filter.pattern.size()));
  return name.contains('(') ? name : name + " (" + pattern + ")";
}

namespace {

QString runFileDialog(QWidget* parent, FileChoice choice, const QString& folder) {
  const bool firmware = choice == FileChoice::OpenFirmware;
  const bool save = choice == FileChoice::SaveSettings;
  QFileDialog dialog(parent, firmware ? kFirmwareDialogTitle : "");
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QStringList filters;
  if (firmware) {
    // Firmware comes as HEX files: the dialog opens on them.
    filters << "Hex Files (*.hex)";
    for (const auto& filter : kFirmwareFileFilters) filters << nameFilter(filter);
    dialog.setDefaultSuffix("hex");
  } else {
    for (const auto& filter : kSettingsFileFilters) filters << nameFilter(filter);
    dialog.setDefaultSuffix(
        QString::fromUtf8(kSettingsFileExtension.data(), qsizetype(kSettingsFileExtension.size())));
  }
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.first());
  if (choice == FileChoice::OpenSettings) {
    // The keyer backups sit beside the usual places, to restore one with Write.
    QList<QUrl> places = dialog.sidebarUrls();
    if (const auto backups = backupFolder(); !backups.empty()) {
      places << QUrl::fromLocalFile(QString::fromStdString(backups.string()));
      dialog.setSidebarUrls(places);
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

FileChooser& fileChooser() {
  static FileChooser chooser = runFileDialog;
  return chooser;
}

}  // namespace dp3::ui
