#include "ui/screenshots.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "ui/about_dialog.hpp"
#include "ui/main_dialog.hpp"
#include "ui/port_dialog.hpp"
#include "ui/rtty_dialog.hpp"
#include "ui/uploader_dialog.hpp"

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

void waitFor(MainDialog& window) {
  QEventLoop loop;
  QObject::connect(&window, &MainDialog::keyerCommandFinished, &loop, &QEventLoop::quit);
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  if (window.keyerCommandRunning()) loop.exec();
}

}  // namespace

int writeScreenshots(MainDialog& window, const QDir& dir) {
  if (!dir.exists() && !QDir().mkpath(dir.path())) return 1;
  window.startKeyerCommand(KeyerCommand::Test);
  waitFor(window);
  window.startKeyerCommand(KeyerCommand::Read);
  waitFor(window);
  window.logic().onTimer();  // the bytes-left counter, without waiting for the tick
  bool ok = save(window, dir, "main_window.png");

  window.link().commClose();  // as Set Com Port does, so Find Keyer can reach the keyer
  PortDialog port(
      window.config(), [&window] { return window.portDevices(); }, &window);
  {
    QEventLoop loop;
    QObject::connect(&port, &PortDialog::probeFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    port.findKeyer();
    if (port.probing()) loop.exec();
  }
  ok = save(port, dir, "port_window.png") && ok;
  port.close();

  UploaderDialog uploader(window.link(), window.keyer(), true, &window);
  ok = save(uploader, dir, "uploader_window.png") && ok;
  uploader.close();

  AboutDialog about(window.about(), &window);
  ok = save(about, dir, "about_window.png") && ok;
  about.close();

  RttyDialog rtty(window.image(), window.logic().activeUser(), &window);
  ok = save(rtty, dir, "rtty_window.png") && ok;
  rtty.close();
  return ok ? 0 : 1;
}

}  // namespace dp3::ui
