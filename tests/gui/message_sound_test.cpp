// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Play and Stop through Qt Multimedia's sink: the sound renders as the output
// takes it, the window stays responsive, and its end reaches the window.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "gui_support.hpp"
#include "surface/control_ids.hpp"
#include "ui/sound_out.hpp"

using namespace dp3;
using dp3::gui_test::Window;

namespace {

// The longest the event loop takes to run a queued call, sampled while ms pass.
// A Play that rendered or waited for its whole sound would stall for seconds.
qint64 longestStall(int ms) {
  qint64 longest = 0;
  QElapsedTimer total;
  total.start();
  while (total.elapsed() < ms) {
    QElapsedTimer one;
    one.start();
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    while (!ran) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    longest = std::max(longest, one.elapsed());
    QTest::qWait(5);
  }
  return longest;
}

// A window whose Play goes to the null output, at 20 WPM.
struct SoundWindow : Window {
  SoundWindow() {
    dialog->setSoundOut(ui::makeNullSoundOut());
    click(id::kResetDefaults);
    surface().setText(id::kCurWpm, "20");
  }
  ui::SoundOut& sound() { return dialog->sound(); }
};

}  // namespace

class MessageSoundTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void playAndStopKeepTheWindowResponsive() {
    SoundWindow w;
    w.surface().setText(id::kMsg1, "PARIS PARIS PARIS");
    QVERIFY(w.enabled(id::kPlayMsg1));
    QVERIFY(!w.enabled(id::kStopPlay));
    w.click(id::kPlayMsg1);
    QVERIFY(w.sound().playing());
    QVERIFY(w.enabled(id::kStopPlay));
    QTRY_VERIFY(w.sound().samplesTaken() > 0);
    const qint64 stall = longestStall(300);
    QVERIFY2(stall < 250, qPrintable(QString("the event loop stalled %1 ms").arg(stall)));
    const std::size_t taken = w.sound().samplesTaken();
    QVERIFY2(taken > 48000 / 4 && taken < 48000, "taken at the pace of a device");
    w.click(id::kStopPlay);
    QVERIFY(!w.sound().playing());
    QVERIFY(!w.enabled(id::kStopPlay));
  }

  void aSoundThatEndsLeavesPlayReady() {
    SoundWindow w;
    w.surface().setText(id::kMsg1, "E");
    w.click(id::kPlayMsg1);
    QVERIFY(w.enabled(id::kStopPlay));
    QTRY_VERIFY(!w.sound().playing());
    QCOMPARE(w.sound().samplesTaken(), std::size_t(2880));
    QVERIFY(!w.enabled(id::kStopPlay));
  }

  void withoutADevicePlayIsDisabledAndSaysWhy() {
    Window w;
    const QString reason = w.dialog->sound().unavailableReason();
    for (int play : {id::kPlayMsg1, id::kPlayMsg1 + 5, id::kPlayCallsign}) {
      QCOMPARE(w.enabled(play), reason.isEmpty());
      if (!reason.isEmpty()) QCOMPARE(w.widget(play)->toolTip(), reason);
    }
  }
};

QTEST_MAIN(MessageSoundTest)
#include "message_sound_test.moc"
