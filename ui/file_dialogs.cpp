#include "ui/file_dialogs.hpp"

#include <QFileDialog>
#include <QStringList>

#include "firmware/uploader_window.hpp"
#include "settings/settings_file.hpp"

namespace dp3::ui {

namespace {

QString filterText(std::string_view description, std::string_view pattern) {
  // Qt reads the pattern from the parentheses; add them when the name lacks them.
  const QString name = QString::fromUtf8(description.data(), qsizetype(description.size()));
  const QString glob = QString::fromUtf8(pattern.data(), qsizetype(pattern.size()));
  return name.contains('(') ? name : name + " (" + glob + ")";
}

template <class Filters>
QStringList filterList(const Filters& filters) {
  QStringList list;
  for (const auto& filter : filters) list << filterText(filter.description, filter.pattern);
  return list;
}

QString runSettingsDialog(QWidget* parent, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilters(filterList(kSettingsFileFilters));
  dialog.setDefaultSuffix(
      QString::fromUtf8(kSettingsFileExtension.data(), qsizetype(kSettingsFileExtension.size())));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString runFirmwareDialog(QWidget* parent) {
  QFileDialog dialog(parent, "Open");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const QStringList filters = filterList(kFirmwareFileFilters);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.value(kFirmwareFilterPreselected));
  dialog.setDefaultSuffix(
      QString::fromUtf8(kFirmwareFileExtension.data(), qsizetype(kFirmwareFileExtension.size())));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

FileDialogs& fileDialogs() {
  static FileDialogs dialogs{
      [](QWidget* parent) { return runSettingsDialog(parent, QFileDialog::AcceptOpen); },
      [](QWidget* parent) { return runSettingsDialog(parent, QFileDialog::AcceptSave); },
      [](QWidget* parent) { return runFirmwareDialog(parent); },
  };
  return dialogs;
}

}  // namespace dp3::ui
