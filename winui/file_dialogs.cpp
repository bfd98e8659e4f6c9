// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "winui/file_dialogs.hpp"

#include <commdlg.h>

#include <vector>

#include "window_logic/settings_file_view.hpp"
#include "window_logic/uploader_window.hpp"
#include "winui/dialog_surface.hpp"

namespace dp3::winui {

namespace {

// Firmware comes as HEX files: the dialog opens on them.
constexpr FileFilter kHexFilter{"Hex Files (*.hex)", "*.hex"};

std::string runFileDialog(HWND owner, FileChoice choice, const std::string& folderName) {
  const bool firmware = choice == FileChoice::OpenFirmware;
  const bool save = choice == FileChoice::SaveSettings;
  std::vector<FileFilter> filters;
  if (firmware) {
    filters.push_back(kHexFilter);
    filters.insert(filters.end(), kFirmwareFileFilters.begin(), kFirmwareFileFilters.end());
  } else {
    filters.assign(kSettingsFileFilters.begin(), kSettingsFileFilters.end());
  }
  const std::wstring filter = filterList(filters);
  const std::wstring title = firmware ? wide(kFirmwareDialogTitle) : L"";
  const std::wstring extension = firmware ? L"hex" : wide(kSettingsFileExtension);
  const std::wstring folder = wide(folderName);
  std::wstring name(32768, L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = DWORD(name.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return {};
  name.resize(name.find(L'\0'));
  return utf8(name);
}

}  // namespace

std::wstring filterList(std::span<const FileFilter> filters) {
  std::wstring list;
  for (const FileFilter& filter : filters) {
    list += wide(filter.description);
    if (filter.description.find('(') == std::string_view::npos) {
      list += L" (" + wide(filter.pattern) + L")";
    }
    list += L'\0';
    list += wide(filter.pattern);
    list += L'\0';
  }
  list += L'\0';
  return list;
}

FileChooser& fileChooser() {
  static FileChooser chooser = runFileDialog;
  return chooser;
}

}  // namespace dp3::winui
