// dp3 show / set / diff / write: settings files through the window's own form,
// message editor and RTTY window, so every text and check is the window's.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/message_times.hpp"
#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/rtty.hpp"
#include "settings/settings_fields.hpp"
#include "settings/settings_file.hpp"
#include "settings/settings_form.hpp"
#include "surface/control_ids.hpp"
#include "windows/keyer_commands.hpp"

namespace dp3::cli {

namespace {

namespace fs = std::filesystem;

// The main window and the RTTY window of one user, shown from an image.
struct Windows {
  ConsoleSurface main;
  ConsoleSurface rtty;

  Windows(const SettingsImage& image, int user) {
    fillModeLists(main);
    showUserSettings(main, image, user);
    showMessages(main, image);
    openRttyWindow(rtty, image, user);
  }
};

enum class Kind { Number, Check, List, Text };

// One value as a window shows it.
struct Value {
  std::string label;
  Kind kind;
  std::string text;
  bool perUser;  // belongs to the user's blocks, not the shared message page
};

std::string entryText(const ControlSurface& ui, const ListField& list) {
  const int entry = ui.selectedEntry(list.control);
  if (entry < 0 || entry >= static_cast<int>(list.entries.size())) return "";
  return std::string(list.entries[static_cast<std::size_t>(entry)]);
}

std::string onOff(bool on) {
  return on ? "on" : "off";
}

// Everything the windows show for user, in the windows' order.
std::vector<Value> windowValues(const SettingsImage& image, int user) {
  const Windows w(image, user);
  std::vector<Value> values;
  for (const NumberField& field : kNumberFields) {
    values.push_back({std::string(field.label), Kind::Number, w.main.text(field.control), true});
  }
  for (const ListField& list : kModeLists) {
    values.push_back({std::string(list.label), Kind::List, entryText(w.main, list), true});
  }
  for (const BitField& bit : kModeBits) {
    values.push_back(
        {std::string(bit.label), Kind::Check, onOff(w.main.isChecked(bit.control)), true});
  }
  for (const BitField& bit : kRttyBits) {
    values.push_back(
        {std::string(bit.label), Kind::Check, onOff(w.rtty.isChecked(bit.control)), true});
  }
  for (const ListField& list : kRttyLists) {
    values.push_back({std::string(list.label), Kind::List, entryText(w.rtty, list), true});
  }
  for (const TextField& field : kTextFields) {
    values.push_back({std::string(field.label), Kind::Text, w.main.text(field.control), false});
  }
  return values;
}

int bytesLeft(const SettingsImage& image) {
  const Windows w(image, 1);
  return kMessageBudget - countMessageBytes(w.main);
}

// A settings file name as the window's dialogs take it: ".eep" when it has no extension.
fs::path settingsPath(const std::string& name) {
  fs::path path = name;
  if (!path.has_extension()) path += "." + std::string(kSettingsFileExtension);
  return path;
}

bool loadFile(const fs::path& path, SettingsImage& image) {
  ConsoleSurface ui;
  return loadSettingsFile(ui, image, path);
}

bool sameLabel(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<bool> parseSwitch(std::string value) {
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (value == "on" || value == "1" || value == "true" || value == "yes") return true;
  if (value == "off" || value == "0" || value == "false" || value == "no") return false;
  return std::nullopt;
}

std::optional<int> parseEntry(const ListField& list, std::string_view value) {
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    if (sameLabel(list.entries[i], value)) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string entryChoices(const ListField& list) {
  std::string text;
  for (std::string_view entry : list.entries)
    text += (text.empty() ? "\"" : ", \"") + std::string(entry) + "\"";
  return text;
}

bool isNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string allLabels() {
  std::string text;
  auto add = [&text](std::string_view label) { text += "\n  " + std::string(label); };
  for (const NumberField& f : kNumberFields) add(f.label);
  for (const ListField& l : kModeLists) add(l.label);
  for (const BitField& b : kModeBits) add(b.label);
  for (const BitField& b : kRttyBits) add(b.label);
  for (const ListField& l : kRttyLists) add(l.label);
  for (const TextField& t : kTextFields) add(t.label);
  add(kCallsignLabel);
  return text;
}

// Applies one LABEL=VALUE edit as the operator would in the windows. Returns
// an exit code: kExitDone, kExitUsage for an unknown label, kExitRefused for a
// value no control can take.
int applyEdit(Windows& w, SettingsImage& image, int user, const std::string& edit,
              bool& rttyEdited) {
  const auto eq = edit.find('=');
  if (eq == std::string::npos) {
    std::cerr << "dp3 set: \"" << edit << "\" is not LABEL=VALUE\n";
    return kExitUsage;
  }
  const std::string label = edit.substr(0, eq);
  const std::string value = edit.substr(eq + 1);

  for (const NumberField& field : kNumberFields) {
    if (!sameLabel(field.label, label)) continue;
    if (!isNumber(value)) {
      std::cerr << field.label << ": \"" << value << "\" is not a number\n";
      return kExitRefused;
    }
    w.main.setText(field.control, value);
    return kExitDone;
  }
  for (const BitField& bit : kModeBits) {
    if (!sameLabel(bit.label, label)) continue;
    const auto on = parseSwitch(value);
    if (!on) {
      std::cerr << bit.label << ": \"" << value << "\" is not on or off\n";
      return kExitRefused;
    }
    // A click flips the bit; only click when the box is to change.
    if (w.main.isChecked(bit.control) != *on) {
      w.main.setChecked(bit.control, toggleModeBit(image, user, bit.control));
    }
    return kExitDone;
  }
  for (const ListField& list : kModeLists) {
    if (!sameLabel(list.label, label)) continue;
    const auto entry = parseEntry(list, value);
    if (!entry) {
      std::cerr << list.label << ": \"" << value << "\" is none of " << entryChoices(list) << '\n';
      return kExitRefused;
    }
    w.main.selectEntry(list.control, *entry);
    selectModeListEntry(image, user, list.control, *entry);
    return kExitDone;
  }
  for (const BitField& bit : kRttyBits) {
    if (!sameLabel(bit.label, label)) continue;
    const auto on = parseSwitch(value);
    if (!on) {
      std::cerr << bit.label << ": \"" << value << "\" is not on or off\n";
      return kExitRefused;
    }
    w.rtty.setChecked(bit.control, *on);
    rttyEdited = true;
    return kExitDone;
  }
  for (const ListField& list : kRttyLists) {
    if (!sameLabel(list.label, label)) continue;
    const auto entry = parseEntry(list, value);
    if (!entry) {
      std::cerr << list.label << ": \"" << value << "\" is none of " << entryChoices(list) << '\n';
      return kExitRefused;
    }
    w.rtty.selectEntry(list.control, *entry);
    rttyEdited = true;
    return kExitDone;
  }
  for (const TextField& field : kTextFields) {
    if (!sameLabel(field.label, label)) continue;
    w.main.setText(field.control, value);
    return kExitDone;
  }
  if (sameLabel(kCallsignLabel, label)) {
    w.main.setText(user == 2 ? id::kCallsignUser2 : id::kCallsignUser1, value);
    return kExitDone;
  }
  std::cerr << "dp3 set: no field \"" << label << "\"; the fields are:" << allLabels() << '\n';
  return kExitUsage;
}

int runShow(const std::string& name, int user, bool json) {
  SettingsImage image{};
  if (!loadFile(settingsPath(name), image)) return kExitFile;
  const std::vector<Value> values = windowValues(image, user);
  if (!json) {
    std::cout << "User: " << user << '\n';
    for (const Value& v : values) std::cout << v.label << ": " << v.text << '\n';
    std::cout << "Msg Bytes Left: " << bytesLeft(image) << '\n';
    printMessageTimes(std::cout, image, user);
    return kExitDone;
  }
  nlohmann::ordered_json out;
  out["User"] = user;
  for (const Value& v : values) {
    switch (v.kind) {
      case Kind::Number:
        out[v.label] =
            v.text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(std::stoul(v.text));
        break;
      case Kind::Check:
        out[v.label] = v.text == "on";
        break;
      case Kind::List:
        out[v.label] = v.text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(v.text);
        break;
      case Kind::Text:
        out[v.label] = v.text;
        break;
    }
  }
  out["Msg Bytes Left"] = bytesLeft(image);
  addMessageTimes(out, image, user);
  std::cout << out.dump(2) << '\n';
  return kExitDone;
}

int runSet(const std::string& name, int user, const std::vector<std::string>& edits) {
  const fs::path path = settingsPath(name);
  SettingsImage image{};
  std::error_code error;
  if (fs::exists(path, error)) {
    if (!loadFile(path, image)) return kExitFile;
  } else {
    resetSettingsImage(image);
  }

  Windows w(image, user);
  bool rttyEdited = false;
  for (const std::string& edit : edits) {
    if (const int code = applyEdit(w, image, user, edit, rttyEdited); code != kExitDone)
      return code;
  }
  if (rttyEdited) acceptRttyWindow(w.rtty, image, user);
  // The window's "Write Config File": the form, then the messages, then the file.
  if (!storeUserSettings(w.main, image, user) || !storeMessages(w.main, image)) {
    return kExitRefused;
  }
  return saveSettingsFile(w.main, image, path) ? kExitDone : kExitFile;
}

std::string quoted(const Value& v) {
  return v.kind == Kind::Text ? "\"" + v.text + "\"" : v.text;
}

int runDiff(const std::string& nameA, const std::string& nameB) {
  SettingsImage a{};
  SettingsImage b{};
  if (!loadFile(settingsPath(nameA), a) || !loadFile(settingsPath(nameB), b)) return kExitFile;
  bool differs = false;
  // Each user's fields, then the shared message page once.
  for (int user : {1, 2, 0}) {
    const std::vector<Value> va = windowValues(a, user == 0 ? 1 : user);
    const std::vector<Value> vb = windowValues(b, user == 0 ? 1 : user);
    for (std::size_t i = 0; i < va.size(); ++i) {
      if (va[i].perUser != (user != 0) || va[i].text == vb[i].text) continue;
      differs = true;
      std::cout << (user != 0 ? "User " + std::to_string(user) + " " : "") << va[i].label << ": "
                << quoted(va[i]) << " -> " << quoted(vb[i]) << '\n';
    }
  }
  if (!differs && a != b) {
    std::cout << "Bytes no field shows differ at image offsets:";
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i]) std::cout << ' ' << i;
    }
    std::cout << '\n';
    differs = true;
  }
  return differs ? 1 : kExitDone;
}

int runWrite(Context& context, const std::string& name) {
  SettingsImage image{};
  if (!loadFile(settingsPath(name), image)) return kExitFile;

  // Nothing goes to the keyer unless the form would take both users' values
  // and the message editor the texts.
  for (int user : {1, 2}) {
    Windows w(image, user);
    SettingsImage scratch = image;
    if (!storeUserSettings(w.main, scratch, user) || !storeMessages(w.main, scratch)) {
      std::cerr << "dp3 write: User " << user << "'s settings were refused; nothing was sent\n";
      return kExitRefused;
    }
  }

  Windows w(image, 1);
  auto link = context.openLink();
  KeyerInfo keyer;
  const bool written = writeCommand(w.main, *link, keyer, image, 1);
  std::cout << w.main.text(id::kInterfaceStatus) << '\n';
  if (const std::string ic = w.main.text(id::kIcLine); !ic.empty()) std::cout << ic << '\n';
  const std::string status = w.main.text(id::kOperationStatus);
  if (status == kStatusWriteDone || status == kStatusWriteFailed)
    std::cout << kStatusWriting << '\n';
  std::cout << status << '\n';
  if (!written) {
    printOpenHint(*link, context.portPath());
    return kExitKeyer;
  }
  return kExitDone;
}

void addUserOption(CLI::App* command, int& user) {
  command->add_option("--user", user, "User whose settings to show or edit (1 or 2)")
      ->check(CLI::IsMember({1, 2}))
      ->capture_default_str();
}

}  // namespace

void addSettingsCommands(CLI::App& app, Context& context) {
  struct Options {
    std::string file;
    std::string other;
    int user = 1;
    bool json = false;
    std::vector<std::string> edits;
  };
  auto options = std::make_shared<Options>();

  auto* show = app.add_subcommand(
      "show",
      "Show a settings file (.eep) as the window would: form, lists, check boxes, RTTY, "
      "messages and callsigns");
  show->add_option("FILE", options->file, "Settings file")->required();
  addUserOption(show, options->user);
  show->add_flag("--json", options->json, "Print JSON, keyed by the window's labels");
  show->callback([&context, options] {
    context.exitCode = runShow(options->file, options->user, options->json);
  });

  auto* set = app.add_subcommand(
      "set",
      "Edit a settings file by the window's labels (Weight=55 \"ST Freq=700\" Swap=on "
      "\"Msg 3=CQ TEST\"); the form's checks apply; a missing file starts from the defaults");
  set->add_option("FILE", options->file, "Settings file")->required();
  addUserOption(set, options->user);
  set->add_option("EDITS", options->edits, "LABEL=VALUE, one or more")->required();
  set->callback([&context, options] {
    context.exitCode = runSet(options->file, options->user, options->edits);
  });

  auto* diff = app.add_subcommand(
      "diff",
      "Show the fields and messages in which two settings files differ (exit 1 when they do)");
  diff->add_option("A", options->file, "First settings file")->required();
  diff->add_option("B", options->other, "Second settings file")->required();
  diff->callback(
      [&context, options] { context.exitCode = runDiff(options->file, options->other); });

  auto* write = app.add_subcommand(
      "write", "Write a settings file (.eep) into the keyer after the form's checks of both users");
  write->add_option("FILE", options->file, "Settings file to send")->required();
  write->callback([&context, options] { context.exitCode = runWrite(context, options->file); });
}

}  // namespace dp3::cli
