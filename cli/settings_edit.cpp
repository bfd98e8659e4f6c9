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
  const std::filesystem::path path = settingsPath(name);
  SettingsImage image{};
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    if (!loadSettings(path, image)) return kExitFile;
  } else {
    resetSettingsImage(image);
  }

  SettingsModel model(image, user);
  bool rttyEdited = false;
  for (const std::string& edit : edits) {
    if (const int code = applyEdit(model, edit, rttyEdited); code != kExitDone) return code;
  }
  if (rttyEdited) model.acceptRtty();
  // The window's "Write Config File": the form, then the messages, then the file.
  if (const auto refused = model.store()) {
    std::cerr << refused->text << '\n';
    return kExitRefused;
  }
  const FileResult saved = writeSettingsFile(path, model.image());
  if (!saved.ok()) {
    std::cerr << settingsSaveText(saved) << '\n';
    return kExitFile;
  }
  return kExitDone;
}

}  // namespace dp3::cli
