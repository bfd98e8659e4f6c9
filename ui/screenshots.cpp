// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/screenshots.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>

#include "surface/control_ids.hpp"
#include "ui/main_dialog.hpp"
#include "window_logic/port_window.hpp"
#include "window_logic/rtty_window.hpp"
#include "window_logic/uploader_events.hpp"

namespace dp3::ui {

namespace {

bool save(QWidget& window, const QDir& dir, const char* name) {
  window.show();
  window.raise();
  // Let the window settle: layout requests and the first paint come as events.
  QElapsedTimer settling;
  settling.start();
  while (settling.elapsed() < 200) QApplication::processEvents(QEventLoop::AllEvents, 20);
  const QString path = dir.filePath(name);
  const bool written = window.grab().save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write",
               path.toLocal8Bit().constData());
  return written;
}

// Starts work in dialog and waits (at most 30 s) until it has ended.
void runAndWait(Dialog& dialog, const std::function<void()>& start) {
  QEventLoop loop;
  QObject::connect(&dialog, &Dialog::workFinished, &loop, &QEventLoop::quit);
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  start();
  if (dialog.working()) loop.exec();
}

}  // namespace

int writeScreenshots(MainDialog& window, const QDir& dir) {
  if (!dir.exists() && !QDir().mkpath(dir.path())) return 1;
  MainWindow& main = window.logic();
  runAndWait(window, [&] { main.startKeyerCommand(KeyerCommand::Test); });
  runAndWait(window, [&] { main.startKeyerCommand(KeyerCommand::Read); });
  main.onTimer();  // the bytes-left counter, without waiting for the tick
  bool ok = save(window, dir, "main_window.png");

  main.link().commClose();  // as Set Com Port does, so Find Keyer can reach the keyer
  Dialog port(
      id::kPortDialog,
      [&](ControlSurface& ui, WindowFace& face) {
        return std::make_unique<PortWindow>(
            ui, face, main.config(), [&] { return main.portDevices(); }, main.probeOptions());
      },
      &window);
  runAndWait(port, [&] { port.logic().onButton(id::kFindKeyer); });
  ok = save(port, dir, "port_window.png") && ok;
  port.close();

  std::map<std::string, std::string> folders;
  Dialog uploader(
      id::kUploaderDialog,
      [&](ControlSurface& ui, WindowFace& face) {
        return std::make_unique<UploaderEvents>(ui, face, main.link(), main.keyer(), true, folders);
      },
      &window);
  ok = save(uploader, dir, "uploader_window.png") && ok;
  uploader.close();

  Dialog about(
      id::kAboutDialog,
      [&](ControlSurface& ui, WindowFace& face) {
        return std::make_unique<AboutWindow>(ui, face, main.about(), std::string());
      },
      &window);
  ok = save(about, dir, "about_window.png") && ok;
  about.close();

  Dialog rtty(
      id::kRttyDialog,
      [&](ControlSurface& ui, WindowFace& face) {
        return std::make_unique<RttyWindow>(ui, face, main.image(), main.activeUser());
      },
      &window);
  ok = save(rtty, dir, "rtty_window.png") && ok;
  rtty.close();
  return ok ? 0 : 1;
}

}  // namespace dp3::ui
