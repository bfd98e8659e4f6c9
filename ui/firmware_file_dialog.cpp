#include <QFileDialog>
#include <QStringList>

#include "ui/file_dialogs.hpp"
#include "window_logic/uploader_window.hpp"

namespace dp3::ui {

QString chooseFirmwareFile(QWidget* parent) {
  QFileDialog dialog(parent, kFirmwareDialogTitle);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (const auto it = lastFolders().find("firmware"); it != lastFolders().end()) {
    dialog.setDirectory(QString::fromStdString(it->second));
  }
  // Firmware comes as HEX files: the dialog opens on them.
  const QString hexFilter = "Hex Files (*.hex)";
  QStringList filters{hexFilter};
  for (const auto& filter : kFirmwareFileFilters) filters << nameFilter(filter);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(hexFilter);
  dialog.setDefaultSuffix("hex");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  lastFolders()["firmware"] = dialog.directory().absolutePath().toStdString();
  return dialog.selectedFiles().first();
}

}  // namespace dp3::ui
