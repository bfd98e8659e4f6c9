// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3 set: LABEL=VALUE edits made as the operator would make them in the
// windows, then the window's own "Write Config File" (form, messages, file),
// all through the settings model, so every check and refusal text is the window's.
#include <iostream>
#include <string>
#include <vector>

#include "cli/settings_cli.hpp"
#include "settings/settings_file.hpp"
#include "settings/settings_model.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

namespace {

std::string entryChoices(const ListField& list) {
  std::string text;
  for (std::string_view entry : list.entries)
    text += (text.empty() ? "\"" : ", \"") + std::string(entry) + "\"";
  return text;
}

// Applies one LABEL=VALUE edit to the model. Returns an exit code:
// kExitDone, kExitUsage for an unknown label, kExitRefused for a value no
// control can take.
int applyEdit(SettingsModel& model, const std::string& edit, bool& rttyEdited) {
  const auto eq = edit.find('=');
  if (eq == std::string::npos) {
    std::cerr << "dp3 set: \"" << edit << "\" is not LABEL=VALUE\n";
    return kExitUsage;
  }
  const std::string label = edit.substr(0, eq);
  const std::string value = edit.substr(eq + 1);
  const Setting* setting = findSetting(label, model.user());
  if (setting == nullptr) {
    std::cerr << "dp3 set: no field \"" << label << "\"; the fields are:" << settingLabels()
              << '\n';
    return kExitUsage;
  }
  const std::string refused = std::string(setting->label) + ": \"" + value + "\" is ";
  switch (model.edit(*setting, value)) {
    case EditOutcome::Done:
      break;
    case EditOutcome::NotANumber:
      std::cerr << refused << "not a number\n";
      return kExitRefused;
    case EditOutcome::NotOnOrOff:
      std::cerr << refused << "not on or off\n";
      return kExitRefused;
    case EditOutcome::NotAnEntry:
      std::cerr << refused << "none of " << entryChoices(*setting->list) << '\n';
      return kExitRefused;
  }
  rttyEdited = rttyEdited || setting->window == SettingWindow::Rtty;
  return kExitDone;
}

}  // namespace

int runSet(const std::string& name, int user, const std::vector<std::string>& edits) {
  // Read, edit and save under the file's lock: another dp3 set or a window's
  // save waits, so neither loses the other's edit.
  int code = kExitDone;
  bool reached = false;
  bool created = false;
  const FileResult saved = changeSettingsFile(name, [&](SettingsImage& image, bool newFile) {
    reached = true;
    created = newFile;
    SettingsModel model(image, user);
    bool rttyEdited = false;
    for (const std::string& edit : edits) {
      code = applyEdit(model, edit, rttyEdited);
      if (code != kExitDone) return false;
    }
    if (rttyEdited) model.acceptRtty();
    // The window's "Write Config File": the form, then the messages, then the file.
    if (const auto refused = model.store()) {
      std::cerr << refused->text << '\n';
      code = kExitRefused;
      return false;
    }
    for (const StoredAs& adjusted : model.storedAs()) {
      std::cout << storedAsText(adjusted) << '\n';
    }
    image = model.image();
    return true;
  });
  if (code != kExitDone) return code;
  if (!saved.ok()) {
    const bool loadFailed = !reached && saved.kind != FileResult::Kind::Refused &&
                            saved.kind != FileResult::Kind::Create;
    if (loadFailed) {
      std::cerr << settingsLoadText(saved) << '\n' << fileProblemText(saved) << '\n';
    } else {
      printSaveFailure(saved);
    }
    return kExitFile;
  }
  if (created) std::cout << newSettingsFileText(saved.path) << '\n';
  return kExitDone;
}

}  // namespace dp3::cli
