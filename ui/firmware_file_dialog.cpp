#include <QFileDialog>
#include <QStringList>

#include "ui/file_dialogs.hpp"
#include "windows/uploader_window.hpp"

namespace dp3::ui {

QString chooseFirmwareFile(QWidget* parent) {
  QFileDialog dialog(parent, kFirmwareDialogTitle);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QStringList filters;
  for (const auto& filter : kFirmwareFileFilters) filters << nameFilter(filter);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.value(kFirmwareFilterSelected));
  dialog.setDefaultSuffix(kFirmwareDefaultExtension);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace dp3::ui
