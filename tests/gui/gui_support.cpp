// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "gui_support.hpp"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>

namespace dp3::gui_test {

namespace {
QTemporaryDir& scratchDir() {
  static QTemporaryDir dir;
  return dir;
}
}  // namespace

Window::Window(SimConfig simConfig) : model(simConfig) {
  // Backups of the keyer reads go to the scratch folder, never the user's.
  ::setenv("XDG_DATA_HOME", scratchDir().path().toLocal8Bit().constData(), 1);
  config.configFilePath = (scratchDir().path() + "/dp3tools.cfg").toStdString();
  config.comPort = 1;
  dialog = std::make_unique<ui::MainDialog>(
      config, [this](const std::string&) { return std::make_unique<GateLink>(model); });
  ui::setMessageSink(
      [this](const QString& text, const QString& caption) { messages << caption + ": " + text; });
  ui::setQuestionSink([this](const QString& text, const QString&) {
    questions << text;
    return answer;
  });
  dialog->show();
}

Window::~Window() {
  if (dialog->working()) {
    gate().gateOpen = true;
    QSignalSpy done(dialog.get(), &ui::Dialog::workFinished);
    done.wait(10000);
  }
  ui::setMessageSink({});
  ui::setQuestionSink({});
}

void Window::click(int id) {
  auto* button = qobject_cast<QAbstractButton*>(widget(id));
  QVERIFY2(button, "not a button");
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
}

void Window::runCommand(int buttonId) {
  QSignalSpy done(dialog.get(), &ui::Dialog::workFinished);
  click(buttonId);
  if (dialog->working()) QVERIFY(done.wait(10000));
}

bool GateLink::commWrite(std::span<const std::uint8_t> bytes) {
  writer = std::this_thread::get_id();
  while (!gateOpen) {
    waiting = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  waiting = false;
  return SimLink::commWrite(bytes);
}

void onNextModal(std::function<void(QWidget*)> action) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    poll->stop();
    poll->deleteLater();
    action(modal);
  });
  poll->start();
}

}  // namespace dp3::gui_test
