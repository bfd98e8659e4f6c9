#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli.hpp"
#include "firmware/upload.hpp"
#include "surface/control_ids.hpp"
#include "system/atomic_file.hpp"
#include "window_logic/keyer_commands.hpp"
#include "window_logic/result_texts.hpp"
#include "window_logic/settings_file_view.hpp"

namespace dp3::cli {

namespace {

int runTest(Context& context) {
  ConsoleSurface ui;
  auto link = context.openLink();
  KeyerInfo keyer;
  const InterfaceTest test = testCommand(ui, *link, keyer);
  printKeyerStatus(ui);
  if (test.failed()) {
    printOpenHint(*link, context.portPath());
    return kExitKeyer;
  }
  if (test.bootloaderOnly()) {
    std::cerr << kBootloaderOnlyHint << '\n';
    return kExitNeedsFirmware;
  }
  for (int field : {id::kPotValue, id::kPushButtons, id::kVolts}) {
    if (const std::string text = ui.text(field); !text.empty()) std::cout << text << '\n';
  }
  return kExitDone;
}

// The exit code of a Read or Write that did not end well; its texts are out.
int failedCommandExit(CommandOutcome outcome, const Link& link, const std::string& port) {
  switch (outcome) {
    case CommandOutcome::Done:
      return kExitDone;
    case CommandOutcome::NeedsFirmware:
      return kExitNeedsFirmware;  // the refusal went to standard error
    case CommandOutcome::FormRefused:
      return kExitRefused;
    case CommandOutcome::KeyerFailed:
      printOpenHint(link, port);
      return kExitKeyer;
    case CommandOutcome::VerifyFailed:
      return kExitKeyer;
  }
  return kExitKeyer;
}

int runRead(Context& context, const std::string& name) {
  ConsoleSurface ui;
  // The same name rule and checks as a save, before the keyer is touched.
  const FileResult named = settingsFileName(name);
  const std::filesystem::path file = named.path;
  if (const FileResult checked = named.ok() ? checkSaveTarget(file) : named; !checked.ok()) {
    std::cerr << "dp3: cannot write " << name << ": " << fileProblemText(checked) << '\n';
    return kExitFile;
  }
  auto link = context.openLink();
  KeyerInfo keyer;
  SettingsImage image{};
  const CommandOutcome read = readCommand(ui, *link, keyer, image);
  printKeyerStatus(ui);
  if (read != CommandOutcome::Done) return failedCommandExit(read, *link, context.portPath());
  if (!saveSettingsFile(ui, image, file)) return kExitFile;
  return kExitDone;
}

}  // namespace

int writeToKeyer(Context& context, ConsoleSurface& ui, SettingsImage& image, bool verify) {
  auto link = context.openLink();
  KeyerInfo keyer;
  const WriteResult result = writeCommand(ui, *link, keyer, image, 1, verify);
  std::cout << ui.text(id::kInterfaceStatus) << '\n';
  if (const std::string ic = ui.text(id::kIcLine); !ic.empty()) std::cout << ic << '\n';
  const std::string status = ui.text(id::kOperationStatus);
  for (const char* after : {kStatusWriteDone, kStatusWriteFailed, kStatusVerifyFailed}) {
    if (status == after) std::cout << kStatusWriting << '\n';
  }
  std::cout << status << '\n';
  for (const std::string& difference : result.differences) {
    std::cout << "Differs: " << difference << '\n';
  }
  return failedCommandExit(result.outcome, *link, context.portPath());
}

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
