// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3tools: the DP3tools window.
//   dp3tools [--port PORT] [--simulate]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <memory>

#include "link/posix/serial_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/posix/pty_keyer.hpp"
#include "ui/main_dialog.hpp"
#include "ui/resources.hpp"
#include "ui/screenshots.hpp"
#include "window_logic/result_texts.hpp"

namespace {

struct Options {
  QCommandLineParser parser;
  QCommandLineOption port{
      "port", "Keyer device for this run (default: the one chosen in Set Com Port).", "PORT"};
  QCommandLineOption simulate{"simulate",
                              "Start a simulated keyer inside the program and connect to it."};
  QCommandLineOption screenshots{"screenshots", "Write a picture of each window to DIR.", "DIR"};

  Options() {
    parser.setApplicationDescription(
        "DP3tools: configure Ditpulse 3 keyers: settings, messages, firmware.");
    parser.addHelpOption();
    parser.addVersionOption();
    screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(port);
    parser.addOption(simulate);
    parser.addOption(screenshots);
  }
};

// --help and --version answer without a display.
bool answeredWithoutWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (arg == "--help" || arg == "-h" || arg == "--help-all") {
      QCoreApplication::setApplicationName("dp3tools");
      Options options;
      QString help = options.parser.helpText();
      help.replace("<executable_name>", "dp3tools");  // no application object yet
      std::fputs(help.toLocal8Bit().constData(), stdout);
      return true;
    }
    if (arg == "--version" || arg == "-v") {
      std::printf("dp3tools %s\n", DP3_VERSION);
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (answeredWithoutWindow(argc, argv)) return 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName("dp3tools");
  QApplication::setApplicationVersion(DP3_VERSION);
  dp3::ui::initResources();
  QApplication::setWindowIcon(QIcon(":/icons/dp3tools.png"));

  Options options;
  QCommandLineParser& parser = options.parser;
  const QCommandLineOption& portOption = options.port;
  const QCommandLineOption& simulateOption = options.simulate;
  const QCommandLineOption& screenshotOption = options.screenshots;
  parser.process(app);

  dp3::ProgramConfig config;
  config.configFilePath = dp3::defaultConfigFilePath(dp3::executablePath());
  if (const dp3::ConfigResult loaded = dp3::loadProgramConfig(config); !loaded.ok()) {
    QMessageBox::warning(nullptr, "Error",
                         QString::fromStdString(dp3::configResultText(loaded, config)));
  }
  if (parser.isSet(portOption)) config.portPath = parser.value(portOption).toStdString();

  // The simulated keyer answers on a pseudo-terminal at the line's own pace,
  // so the window meets it exactly as it would meet a keyer on a USB adapter.
  std::unique_ptr<dp3::KeyerModel> model;
  std::unique_ptr<dp3::PtyKeyer> simulated;
  if (parser.isSet(simulateOption)) {
    model = std::make_unique<dp3::KeyerModel>(dp3::SimConfig{});
    simulated = std::make_unique<dp3::PtyKeyer>(*model, /*realtime=*/true);
    std::string error;
    if (!simulated->open(error)) {
      QMessageBox::warning(nullptr, "Error", QString::fromStdString("Simulated keyer: " + error));
      return 1;
    }
    simulated->start();
    config.portPath = simulated->path();
    config.sessionPort = config.portPath;
  }

  dp3::ui::MainDialog window(
      config, [](const std::string& port) { return std::make_unique<dp3::SerialLink>(port); });
  if (simulated) window.logic().setExtraPorts({{simulated->path(), "Simulated keyer"}});

  if (parser.isSet(screenshotOption)) {
    window.show();
    return dp3::ui::writeScreenshots(window, QDir(parser.value(screenshotOption)));
  }
  const int result = window.exec();
  if (simulated) simulated->stop();
  return result;
}
