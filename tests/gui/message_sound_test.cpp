// Play, Stop, durations and dit/dah tooltips of the message editor.
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

// A window whose Play goes to the null output, at 20 WPM with "E" in place 1.
struct SoundWindow : Window {
  SoundWindow() {
    dialog->setSoundOut(ui::makeNullSoundOut());
    click(id::kResetDefaults);
    surface().setText(id::kCurWpm, "20");
    surface().setText(id::kFarnsWpm, "0");
    surface().setText(id::kWeight, "50");
    surface().setText(id::kRatio, "50");
    surface().setText(id::kStFreq, "700");
  }
  ui::SoundOut& sound() { return dialog->sound(); }
};

}  // namespace

class MessageSoundTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void durationsAndPatternsFollowTheForm() {
    SoundWindow w;
    w.surface().setText(id::kMsg1, "CQ");
    w.surface().setText(id::kMsg7, "TEST");
    w.surface().setText(id::kCallsignUser1, "N0CALL");
    QTRY_COMPARE(w.text(id::kMsgDuration1), std::string("1.6 s"));  // 27 dits of 60 ms
    QCOMPARE(w.widget(id::kMsg1)->toolTip(), QString("-.-. --.-"));
    QCOMPARE(w.widget(id::kMsg7)->toolTip(), QString("- . ... -"));
    QCOMPARE(w.text(id::kMsgDuration1 + 1), std::string(""));
    QCOMPARE(w.text(id::kCallsignDuration), std::string("4.4 s"));

    w.surface().setText(id::kCurWpm, "10");  // typed, not stored
    QTRY_COMPARE(w.text(id::kMsgDuration1), std::string("3.2 s"));
    w.surface().setText(id::kWeight, "60");
    QTRY_COMPARE(w.text(id::kMsgDuration1), std::string("~3.3 s"));  // the last dit longer
    w.surface().setText(id::kCurWpm, "3");
    QTRY_COMPARE(w.text(id::kMsgDuration1), std::string("?"));

    w.surface().setText(id::kCurWpm, "20");
    w.click(id::kBank2);
    QTRY_COMPARE(w.text(id::kMsgDuration1), std::string("~1.3 s"));  // bank 2 in place 1
  }

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

  void playUsesTheTextShownNowAndEndsByItself() {
    SoundWindow w;
    w.surface().setText(id::kMsg1, "E");
    w.surface().setText(id::kMsg7, "EE");
    w.surface().setText(id::kCallsignUser2, "T");
    struct Row {
      int bank, user, play;
      std::size_t samples;
    };
    for (const Row& row : {Row{1, 1, id::kPlayMsg1, 2880}, Row{2, 1, id::kPlayMsg1, 5 * 2880},
                           Row{2, 2, id::kPlayCallsign, 3 * 2880}}) {
      w.click(row.bank == 2 ? id::kBank2 : id::kBank1);
      w.click(row.user == 2 ? id::kUser2 : id::kUser1);
      w.surface().setText(id::kCurWpm, "20");
      w.click(row.play);
      QTRY_VERIFY(!w.sound().playing());
      QCOMPARE(w.sound().samplesTaken(), row.samples);
      QVERIFY(!w.enabled(id::kStopPlay));
    }
  }

  void withoutADeviceplayIsDisabledAndSaysWhy() {
    Window w;
    const QString reason = w.dialog->sound().unavailableReason();
    for (int play : {id::kPlayMsg1, id::kPlayMsg1 + 5, id::kPlayCallsign}) {
      QCOMPARE(w.enabled(play), reason.isEmpty());
      if (!reason.isEmpty()) QCOMPARE(w.widget(play)->toolTip(), reason);
    }
    if (reason.isEmpty()) QSKIP("this machine has an audio output");
    w.surface().setText(id::kMsg1, "CQ");
    w.click(id::kPlayMsg1);
    QVERIFY(!w.dialog->sound().playing());
    QVERIFY(w.messages.isEmpty());
  }
};

QTEST_MAIN(MessageSoundTest)
#include "message_sound_test.moc"
