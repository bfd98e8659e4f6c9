// The Qt face: every dialog forwards its widgets' events to its logic and
// does what the logic asks; the main window's wiring on the simulated keyer.
// What the windows decide is tested once, below the faces (tests/unit).
#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "gui_support.hpp"
#include "link/port_probe.hpp"
#include "settings/settings_fields.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "ui/file_dialogs.hpp"
#include "window_logic/port_window.hpp"

using namespace dp3;
using dp3::gui_test::Window;

namespace {

// Notes what the face forwards; swallows '#'.
struct Recorder : WindowLogic {
  explicit Recorder(QStringList& log) : log(log) {}
  void onOpen() override { log << "open"; }
  void onShown() override { log << "shown"; }
  void onButton(int id) override { log << QString("button %1").arg(id); }
  void onListSelection(int id) override { log << QString("list %1").arg(id); }
  bool onTypedCharacter(int id, unsigned c) override {
    log << QString("typed %1 %2").arg(id).arg(QChar(c));
    return c == '#';
  }
  void onClose() override { log << "close"; }
  void onEscape() override { log << "escape"; }
  int timerPeriodMs() const override { return 10; }
  void onTimer() override { ++ticks; }
  QStringList& log;
  int ticks = 0;
};

// A dialog of that id driven by a Recorder.
struct Recorded {
  explicit Recorded(int dialogId)
      : dialog(dialogId,
               [this](ControlSurface&, WindowFace&) { return std::make_unique<Recorder>(log); }) {}
  Recorder& logic() { return static_cast<Recorder&>(dialog.logic()); }
  QStringList log;
  ui::Dialog dialog;
};

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void everyEventReachesTheLogic_data() {
    QTest::addColumn<int>("dialogId");
    for (int id : {id::kMainDialog, id::kPortDialog, id::kUploaderDialog, id::kAboutDialog,
                   id::kRttyDialog}) {
      QTest::newRow(qPrintable(QString::number(id))) << id;
    }
  }

  void everyEventReachesTheLogic() {
    QFETCH(int, dialogId);
    Recorded r(dialogId);
    r.dialog.show();
    QCOMPARE(r.log, (QStringList{"open", "shown"}));
    r.log.clear();
    QStringList expected;
    for (const auto& [id, widget] : r.dialog.surface().widgets()) {
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setEnabled(true);
        button->click();
        expected << QString("button %1").arg(id);
      } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        list->addItems({"a", "b"});
        list->setCurrentIndex(0);
        QTest::keyClick(list, Qt::Key_Down);
        expected << QString("list %1").arg(id);
      }
    }
    QTest::keyClick(&r.dialog, Qt::Key_Escape);
    r.dialog.close();
    expected << "escape"
             << "close";
    QCOMPARE(r.log, expected);
    QVERIFY(r.dialog.isVisible());  // the logic decides whether the window ends
    QTRY_VERIFY(r.logic().ticks > 2);
    QSignalSpy finished(&r.dialog, &QDialog::finished);
    r.dialog.closeWindow();
    QCOMPARE(finished.count(), 1);
  }

  // The text boxes hand every typed character to the logic, which may
  // swallow it; letters show as capitals; other boxes keep their own keys.
  void typedCharactersReachTheLogic() {
    Recorded r(id::kMainDialog);
    r.dialog.show();
    r.log.clear();
    auto* message = r.dialog.surface().widget(id::kMsg1);
    message->setFocus();
    QTest::keyClicks(message, "a#");
    QCOMPARE(r.log, (QStringList{"typed 4001 a", "typed 4001 #"}));
    QCOMPARE(r.dialog.surface().text(id::kMsg1), std::string("A"));
    QTest::keyClick(message, Qt::Key_Z, Qt::ControlModifier);  // the capital undoes
    QVERIFY(r.dialog.surface().text(id::kMsg1).empty());
    qobject_cast<QPlainTextEdit*>(message)->insertPlainText("tu 73");
    QCOMPARE(r.dialog.surface().text(id::kMsg1), std::string("TU 73"));
    r.log.clear();
    for (int box : {int(id::kSerialNumber), int(id::kStFreq)}) {
      QTest::keyClicks(r.dialog.surface().widget(box), "7a-0 1");
      QCOMPARE(r.dialog.surface().text(box), std::string("701"));
    }
    QTest::keyClicks(r.dialog.surface().widget(id::kWeight), "5x");
    QCOMPARE(r.dialog.surface().text(id::kWeight), std::string("5x"));
    QVERIFY(r.log.isEmpty());
  }

  // Work leaves the window thread, its calls back come to it, and its ending
  // runs there; while input is held clicks wait, the cursor is busy and the
  // form and editor are greyed. (Other windows and the file dialogs: the
  // uploader's test.)
  void theFaceDoesWhatTheLogicAsks() {
    Recorded r(id::kMainDialog);
    r.dialog.show();
    const auto window = QThread::currentThread();
    QThread* ranOn = nullptr;
    QThread* calledOn = nullptr;
    QThread* endedOn = nullptr;
    QSignalSpy finished(&r.dialog, &ui::Dialog::workFinished);
    r.dialog.holdInput(true);
    r.dialog.runOffWindowThread(
        [&] {
          ranOn = QThread::currentThread();
          r.dialog.runOnWindowThread([&] { calledOn = QThread::currentThread(); });
        },
        [&] {
          endedOn = QThread::currentThread();
          r.dialog.holdInput(false);
        });
    QVERIFY(r.dialog.working());
    QVERIFY(QApplication::overrideCursor() &&
            QApplication::overrideCursor()->shape() == Qt::BusyCursor);
    QVERIFY(!r.dialog.surface().widget(id::kConfigGroup)->isEnabled());
    QVERIFY(!r.dialog.surface().widget(id::kEditorGroup)->isEnabled());
    r.log.clear();
    QTest::mouseClick(r.dialog.surface().widget(id::kAbout), Qt::LeftButton);
    QVERIFY(r.log.isEmpty());
    QVERIFY(finished.wait(5000));
    QVERIFY(ranOn && ranOn != window);
    QCOMPARE(calledOn, window);
    QCOMPARE(endedOn, window);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(r.dialog.surface().widget(id::kEditorGroup)->isEnabled());
  }

  // The adapter from control ids to widgets: texts, lists, checks, progress,
  // tooltips and the focus reach their widgets as the logic wrote them.
  void textsReachTheirWidgets() {
    Recorded r(id::kMainDialog);
    ui::WidgetSurface& ui = r.dialog.surface();
    const struct {
      int id;
      const char* set;
      const char* read;
    } rows[] = {
        {id::kMsg1, "CQ CQ\r\nDE TEST", "CQ CQ\r\nDE TEST"},  // the keyer's line break
        {id::kMsg1, "A\nB", "A\r\nB"},
        {id::kMaxWpm, "25", "25"},
        {id::kOperationStatus, ">DP OK", ">DP OK"},
        {id::kEditorGroup, "Message Editor", "Message Editor"},
        {id::kTestDp, "Test DP", "Test DP"},
        {9999, "no such control", ""},
    };
    for (const auto& row : rows) {
      ui.setText(row.id, row.set);
      QCOMPARE(ui.text(row.id), std::string(row.read));
    }
    QCOMPARE(qobject_cast<QPlainTextEdit*>(ui.widget(id::kMsg1))->toPlainText(), QString("A\nB"));
    ui.clearList(id::kKeyerMode);
    for (const char* entry : {"Iambic A", "Iambic B"}) ui.addListEntry(id::kKeyerMode, entry);
    QCOMPARE(ui.selectedEntry(id::kKeyerMode), -1);  // adding selects nothing
    ui.selectEntry(id::kKeyerMode, 1);
    QCOMPARE(qobject_cast<QComboBox*>(ui.widget(id::kKeyerMode))->currentText(),
             QString("Iambic B"));
    ui.setChecked(id::kSwap, true);
    QVERIFY(ui.isChecked(id::kSwap));
    ui.setEnabled(id::kTestDp, false);
    QVERIFY(!ui.widget(id::kTestDp)->isEnabled());
    ui.setToolTip(id::kMsg1, "-.-.");
    QCOMPARE(ui.widget(id::kMsg1)->toolTip(), QString("-.-."));
    r.dialog.show();
    ui.setText(id::kWeight, "5");
    ui.focusControl(id::kWeight);
    QCOMPARE(r.dialog.focusWidget(), ui.widget(id::kWeight));
    QCOMPARE(qobject_cast<QLineEdit*>(ui.widget(id::kWeight))->selectedText(), QString("5"));
  }

  // The main window on the simulated keyer: a command's keyer work leaves the
  // window thread while the window holds its input and keeps its timer; the
  // focus goes back to the command's button.
  void keyerWorkLeavesTheWindowThread() {
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(w.dialog.get()));
    w.gate().gateOpen = false;
    QSignalSpy done(w.dialog.get(), &ui::Dialog::workFinished);
    w.click(id::kTestDp);
    QTRY_VERIFY(w.gate().waiting);
    QVERIFY(w.gate().writer.load() != std::this_thread::get_id());
    QVERIFY(!w.enabled(id::kTestDp) && !w.widget(id::kEditorGroup)->isEnabled());
    w.click(id::kResetDefaults);
    QVERIFY(w.text(id::kWeight).empty());
    qobject_cast<QPlainTextEdit*>(w.widget(id::kMsg1 + 1))->setPlainText("TEST");
    QTRY_COMPARE(w.text(id::kBytesLeft), std::string("Msg Bytes Left: 236"));
    QCOMPARE(w.text(id::kInterfaceStatus), std::string("Testing DP Interface    "));
    w.gate().gateOpen = true;
    QVERIFY(done.wait(10000));
    QCOMPARE(w.text(id::kOperationStatus), std::string(">DP OK"));
    QCOMPARE(QApplication::focusWidget(), w.widget(id::kTestDp));
  }

  // Find Keyer under the face: the probe leaves the window thread, each port
  // on a thread of its own (a keyer model each), and the window chooses the
  // keyer it found. The sanitized runs watch these threads.
  void findKeyerProbesOffTheWindowThread() {
    QTemporaryDir dir;
    ProgramConfig config;
    config.configFilePath = (dir.path() + "/dp3tools.cfg").toStdString();
    SimConfig quiet;
    quiet.fault.kind = FaultKind::Silence;
    std::map<std::string, KeyerModel> lines;
    lines.try_emplace("/dev/ttyACM0");
    for (const char* path : {"/dev/ttyS0", "/dev/ttyS1"}) lines.try_emplace(path, quiet);
    ProbeOptions probe;
    probe.findHolders = [](const std::string&) { return std::vector<PortHolder>{}; };
    probe.makeLink = [&lines](const std::string& path, std::chrono::milliseconds) {
      return std::make_unique<SimLink>(lines.at(path));
    };
    const auto devices = [] {
      return std::vector<SerialDevice>{
          {"/dev/ttyS0", ""}, {"/dev/ttyACM0", ""}, {"/dev/ttyS1", ""}};
    };
    ui::Dialog dialog(id::kPortDialog, [&](ControlSurface& ui, WindowFace& face) {
      return std::make_unique<PortWindow>(ui, face, config, devices, probe);
    });
    dialog.show();
    QSignalSpy done(&dialog, &ui::Dialog::workFinished);
    qobject_cast<QAbstractButton*>(dialog.surface().widget(id::kFindKeyer))->click();
    QVERIFY(done.wait(10000));
    QCOMPARE(dialog.surface().text(id::kPortPath), std::string("/dev/ttyACM0"));
    qobject_cast<QAbstractButton*>(dialog.surface().widget(id::kPortOk))->click();
    QCOMPARE(config.portPath, std::string("/dev/ttyACM0"));
  }

  // A refusal from the worker selects the box it names, as the widget shows it.
  void aRefusedValueSelectsItsBox() {
    Window w;
    w.runCommand(id::kTestDp);
    w.runCommand(id::kReadDp);
    w.surface().setText(id::kMsg1 + 2, "A$B");
    w.runCommand(id::kWriteDp);
    QCOMPARE(w.messages.size(), 1);
    QCOMPARE(w.dialog->focusWidget(), w.widget(id::kMsg1 + 2));
    QCOMPARE(qobject_cast<QPlainTextEdit*>(w.widget(id::kMsg1 + 2))->textCursor().selectedText(),
             QString("A$B"));
  }

  // Both banks share one place; the message boxes take the height the
  // window is given.
  void layout() {
    Window w;
    QTest::qWait(20);
    const QRect firstPlace = w.widget(id::kMsg1)->geometry();
    w.click(id::kBank2);
    QTRY_COMPARE(w.widget(id::kMsg7)->geometry(), firstPlace);
    const int before = w.widget(id::kMsg7)->height();
    w.dialog->resize(w.dialog->width() + 100, w.dialog->height() + 120);
    QTRY_VERIFY(w.widget(id::kMsg7)->height() >= before + 15);
    QVERIFY(w.widget(id::kMsg7)->width() > 300);
  }

  // The RTTY window's default button is Cancel: Enter leaves the image.
  void enterInTheRttyWindowCancels() {
    Window w;
    w.runCommand(id::kTestDp);
    w.runCommand(id::kReadDp);
    const std::uint8_t before = w.dialog->logic().image()[289];
    gui_test::onNextModal([](QWidget* modal) {
      auto* rtty = qobject_cast<ui::Dialog*>(modal);
      QVERIFY(rtty);
      rtty->surface().setChecked(id::kRttyEnable, !rtty->surface().isChecked(id::kRttyEnable));
      QTest::keyClick(rtty, Qt::Key_Return);
    });
    w.click(id::kRtty);
    QCOMPARE(w.dialog->logic().image()[289], before);
  }

  void placeKeptAcrossRuns() {
    QRect placed;
    {
      Window w;
      const QRect start = w.dialog->geometry();
      // Down and taller: the offscreen screen is narrower than the window.
      w.dialog->setGeometry(start.x(), start.y() + 17, start.width(), start.height() + 20);
      placed = w.dialog->geometry();
      QSignalSpy finished(w.dialog.get(), &QDialog::finished);
      w.click(id::kExit);
      QCOMPARE(finished.count(), 1);
    }
    Window again;
    QCOMPARE(again.dialog->geometry(), placed);
  }

  // At 150% scale on a 1280-pixel-wide screen the window opens within the
  // screen and can be made smaller. The scale must be set before Qt starts,
  // so this test runs itself again in a child process.
  void fitsAt150PercentOnA1280Screen() {
    if (qEnvironmentVariableIsSet("DP3_SCALED_RUN")) {
      Window w;
      QTest::qWait(50);
      const QScreen* screen = w.dialog->screen();
      QCOMPARE(screen->devicePixelRatio(), 1.5);
      const QRect frame = w.dialog->frameGeometry();
      QVERIFY2(screen->availableGeometry().contains(frame), qPrintable(QString("frame %1,%2 %3x%4")
                                                                           .arg(frame.x())
                                                                           .arg(frame.y())
                                                                           .arg(frame.width())
                                                                           .arg(frame.height())));
      const QSize smallest = w.dialog->minimumSizeHint().expandedTo(w.dialog->minimumSize());
      QVERIFY(smallest.width() < w.dialog->width() && smallest.height() < w.dialog->height());
      return;
    }
    QTemporaryDir dir;
    QFile screens(dir.filePath("screens.json"));
    QVERIFY(screens.open(QIODevice::WriteOnly));
    screens.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280,
                   "height": 800, "logicalDpi": 96}]})");
    screens.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName());
    env.insert("QT_SCALE_FACTOR", "1.5");
    env.insert("DP3_SCALED_RUN", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"fitsAt150PercentOnA1280Screen"});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitCode() == 0 && output.contains("PASS   : MainDialogTest::fitsAt150"),
             output.constData());
  }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
