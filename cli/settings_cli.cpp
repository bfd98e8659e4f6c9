// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3 show / set / diff / write: the commands' arguments, settings files by
// name, and write, which sends a file through the window's own Write DP.
#include "cli/settings_cli.hpp"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings_file.hpp"
#include "settings/settings_model.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

std::filesystem::path settingsPath(const std::string& name) {
  // A name that names no file is looked for as it is, and not found.
  const FileResult named = settingsFileName(name);
  return named.ok() ? named.path : std::filesystem::path(name);
}

bool loadSettings(const std::filesystem::path& path, SettingsImage& image) {
  const FileResult loaded = readSettingsFile(path, image);
  if (!loaded.ok())
    std::cerr << settingsLoadText(loaded) << '\n' << fileProblemText(loaded) << '\n';
  return loaded.ok();
}

void printSaveFailure(const FileResult& saved) {
  std::cerr << settingsSaveText(saved) << '\n';
  if (const std::string detail = settingsSaveDetail(saved); !detail.empty()) {
    std::cerr << detail << '\n';
  }
}

namespace {

int runWrite(Context& context, const std::string& name, bool verify) {
  SettingsImage image{};
  if (!loadSettings(settingsPath(name), image)) return kExitFile;

  // Nothing goes to the keyer unless the form would take both users' values
  // and the message editor the texts.
  if (const auto refused = imageRefusal(image)) {
    std::cerr << refused->refusal.text << '\n'
              << "dp3 write: User " << refused->user
              << "'s settings were refused; nothing was sent\n";
    return kExitRefused;
  }

  // Write DP stores User 1's form and the texts once the keyer has answered.
  return writeToKeyer(context, image, verify, [](SettingsImage& form) {
    SettingsModel shown(form, 1);
    const auto refused = shown.store();
    form = shown.image();
    if (refused) std::cerr << refused->text << '\n';
    return !refused;
  });
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
    bool noVerify = false;
    std::vector<std::string> edits;
  };
  auto options = std::make_shared<Options>();

  auto* show = app.add_subcommand(
      "show",
      "Show a settings file (.eep) as the window would: form, lists, check boxes, RTTY, "
      "messages and callsigns");
  show->footer(
      "Texts: a stored Morse pattern that no character has shows as its elements in braces "
      "({......} six dits, {} the stop mark alone, {?} no stop mark). A text holding one goes "
      "back to the file or the keyer exactly as it was read while it is left unchanged; "
      "dp3 set refuses an edited text that still holds one. \"$\" can only end a text.");
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
  write->add_flag("--no-verify", options->noVerify,
                  "Do not read the settings back to compare them with what was sent");
  write->callback([&context, options] {
    context.exitCode = runWrite(context, options->file, !options->noVerify);
  });
}

}  // namespace dp3::cli
