#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "surface/file_filter.hpp"

namespace dp3::ui {

// The file choosers the windows use; an empty name means the operator
// cancelled. Tests replace them to answer without a dialog.
struct FileDialogs {
  std::function<QString(QWidget* parent)> openSettingsFile;
  std::function<QString(QWidget* parent)> saveSettingsFile;
  std::function<QString(QWidget* parent)> openFirmwareFile;
};

// The process's choosers, the standard dialogs until replaced.
FileDialogs& fileDialogs();

// The folder each standard dialog was last in ("settings-open",
// "settings-save", "firmware"); it opens there next time.
std::map<std::string, std::string>& lastFolders();

// The standard open dialog for a firmware image.
QString chooseFirmwareFile(QWidget* parent);

// "Bin Files (*.bin)": Qt reads the pattern from the parentheses, so they are
// added when the description lacks them.
QString nameFilter(const FileFilter& filter);

}  // namespace dp3::ui
