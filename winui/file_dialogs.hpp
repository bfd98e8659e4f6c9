#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <span>
#include <string>

#include "surface/file_filter.hpp"

namespace dp3::winui {

enum class FileChoice { OpenSettings, SaveSettings, OpenFirmware };

// Picks a file for the window: the common open and save dialogs until
// replaced (the self-test answers without a dialog). "" when cancelled.
using FileChooser = std::function<std::string(HWND owner, FileChoice choice)>;
FileChooser& fileChooser();

// The folder each dialog was last in ("settings-open", "settings-save",
// "firmware"); it opens there next time.
std::map<std::string, std::string>& lastFolders();

// The filter list of the common dialogs: "Settings Files (*.eep)\0*.eep\0...\0\0".
std::wstring filterList(std::span<const FileFilter> filters);

}  // namespace dp3::winui
