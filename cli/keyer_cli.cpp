#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli.hpp"
#include "settings/atomic_file.hpp"
#include "settings/settings_file.hpp"
#include "surface/control_ids.hpp"
#include "windows/keyer_commands.hpp"

namespace dp3::cli {

namespace {

int runTest(Context& context) {
  ConsoleSurface ui;
  auto link = context.openLink();
  KeyerInfo keyer;
  const int result = testCommand(ui, *link, keyer);
  printKeyerStatus(ui);
  if (result < 0) {
    printOpenHint(*link, context.portPath());
    return kExitKeyer;
  }
  for (int field : {id::kPotValue, id::kPushButtons, id::kVolts}) {
    if (const std::string text = ui.text(field); !text.empty()) std::cout << text << '\n';
  }
  return kExitDone;
}

int runRead(Context& context, const std::string& name) {
  ConsoleSurface ui;
  // The same name rule and checks as a save, before the keyer is touched.
  std::filesystem::path file;
  std::string refusal = settingsFileName(name, file);
  if (refusal.empty()) refusal = checkSaveTarget(file);
  if (!refusal.empty()) {
    std::cerr << "dp3: cannot write " << name << ": " << refusal << '\n';
    return kExitFile;
  }
  auto link = context.openLink();
  KeyerInfo keyer;
  SettingsImage image{};
  const bool read = readCommand(ui, *link, keyer, image);
  printKeyerStatus(ui);
  if (!read) {
    printOpenHint(*link, context.portPath());
    return kExitKeyer;
  }
  if (!saveSettingsFile(ui, image, file)) return kExitFile;
  return kExitDone;
}

}  // namespace

void addKeyerCommands(CLI::App& app, Context& context) {
  auto* test =
      app.add_subcommand("test", "Test the keyer: identify the IC and firmware, show the readings");
  test->callback([&context] { context.exitCode = runTest(context); });

  auto* read = app.add_subcommand("read", "Read the keyer's settings into a settings file (.eep)");
  auto file = std::make_shared<std::string>();
  read->add_option("FILE", *file, "Settings file to write")->required();
  read->callback([&context, file] { context.exitCode = runRead(context, *file); });
}

}  // namespace dp3::cli
