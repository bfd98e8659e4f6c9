// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The Qt face: every dialog forwards its widgets' events to its logic and
// does what the logic asks; the main window's wiring on the simulated keyer.
// What the windows decide is tested once, below the faces (tests/unit).
#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "gui_support.hpp"
#include "link/port_probe.hpp"
#include "settings/settings_fields.hpp"
#include "settings/settings_image.hpp"
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
    // Drawn in the system's colours only, so a high-contrast scheme reaches every text.
    QVERIFY(r.dialog.styleSheet().isEmpty() && !r.dialog.testAttribute(Qt::WA_SetPalette));
    for (const auto& [id, widget] : r.dialog.surface().widgets()) {
      QVERIFY2(widget->styleSheet().isEmpty() && !widget->testAttribute(Qt::WA_SetPalette),
               qPrintable(QString::number(id)));
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

  // What a screen reader reads of the main window: every control that takes
  // the focus has a name, no two alike (tests/a11y reads the same through
  // AT-SPI, with the status lines' events).
  void screenReaderNamesAndStatusEvents() {
    Window w;
    QTest::qWait(300);            // a tick: the Play buttons get their names
    QMap<QString, QString> seen;  // role and name -> object
    int controls = 0;
    for (QWidget* widget : w.dialog->findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(w.dialog.get()) || widget->focusPolicy() == Qt::NoFocus ||
          qobject_cast<QScrollBar*>(widget) || widget->objectName().startsWith("qt_")) {
        continue;
      }
      QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(widget);
      QVERIFY(reader);
      const QString name = reader->text(QAccessible::Name);
      QVERIFY2(!name.isEmpty(), qPrintable(widget->objectName()));
      const QString key = QString::number(reader->role()) + " " + name;
      QVERIFY2(!seen.contains(key),
               qPrintable(key + ": " + seen.value(key) + ", " + widget->objectName()));
      seen.insert(key, widget->objectName());
      ++controls;
    }
    QVERIFY2(controls >= 60, qPrintable(QString::number(controls)));
    QCOMPARE(
        QAccessible::queryAccessibleInterface(w.widget(id::kPlayMsg1 + 2))->text(QAccessible::Name),
        QString("Play Msg 3"));
  }

  // Test, Read, a value and a message edited, Write, Save and FW Update (a
  // file loaded) by
  // their access keys alone; after each the focus is on a control that takes
  // keys.
  void theWholeRoundByKeyboard() {
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(w.dialog.get()));
    QTemporaryDir dir;
    const QString saved = dir.filePath("keyboard.eep");
    const ui::FileChooser chooser = ui::fileChooser();
    ui::fileChooser() = [&](QWidget*, FileChoice choice, const QString&) {
      return choice == FileChoice::OpenFirmware ? QString(DP3_TEST_DATA "/lark_full.hex") : saved;
    };
    // While an upload runs no button takes keys: Program is checked once it has ended.
    const auto press = [&](QWidget* window, Qt::Key key, Qt::KeyboardModifiers with,
                           bool focusAfter = true) {
      QSignalSpy done(window, SIGNAL(workFinished()));
      // To the window's own focus (the offscreen platform is slow to activate a dialog).
      QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key, with);
      QTest::qWait(150);  // a button's access key clicks it 100 ms later
      if (static_cast<ui::Dialog*>(window)->working()) QVERIFY(done.wait(20000));
      if (!focusAfter) return;
      QWidget* focus = window->focusWidget();  // the window's own, active or not
      QVERIFY2(focus && focus->isEnabled() && focus->isVisible(),
               qPrintable(QKeySequence(key).toString() + ": focus on a greyed control " +
                          (focus ? focus->objectName() : QString("none"))));
    };
    press(w.dialog.get(), Qt::Key_T, Qt::AltModifier);
    QCOMPARE(w.text(id::kOperationStatus), std::string(">DP OK"));
    press(w.dialog.get(), Qt::Key_R, Qt::AltModifier);
    QCOMPARE(w.text(id::kOperationStatus), std::string(">Done"));
    press(w.dialog.get(), Qt::Key_G, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), w.widget(id::kWeight));
    QTest::keyClicks(QApplication::focusWidget(), "55");
    press(w.dialog.get(), Qt::Key_3, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), w.widget(id::kMsg1 + 2));
    QTest::keyClicks(QApplication::focusWidget(), "cq");
    press(w.dialog.get(), Qt::Key_W, Qt::AltModifier);
    QCOMPARE(int(w.model.memory()[user_field::kWeight]), 55);  // User 1's weight

    press(w.dialog.get(), Qt::Key_F, Qt::AltModifier);
    QVERIFY(QFile::exists(saved));
    bool loaded = false;
    gui_test::onNextModal([&](QWidget* uploader) {
      auto* dialog = static_cast<ui::Dialog*>(uploader);
      // A failure here must not leave the window waiting for a key.
      const auto closing = qScopeGuard([dialog] {
        if (dialog->isVisible()) dialog->closeWindow();
      });
      QVERIFY(QTest::qWaitForWindowActive(uploader));
      // The focus is where the logic put it: Load, then Program once loaded.
      QCOMPARE(dialog->focusWidget(), dialog->surface().widget(id::kLoadBin));
      press(uploader, Qt::Key_Space, Qt::NoModifier);
      QTRY_VERIFY(dialog->surface().widget(id::kProgram)->isEnabled());  // loaded
      // Program takes the focus once a file is loaded; the upload itself and
      // the focus after it are the logic's (uploader_window_test).
      QCOMPARE(dialog->focusWidget(), dialog->surface().widget(id::kProgram));
      loaded = true;
      QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
    });
    press(w.dialog.get(), Qt::Key_U, Qt::AltModifier);
    QVERIFY(loaded);
    QCOMPARE(w.text(id::kOperationStatus), std::string(">DP OK"));  // the Test after it
    ui::fileChooser() = chooser;
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

  // At 125%, 150% and 200% on a 1280x800 screen the window opens within the
  // screen with every command and status line on it, and can be made
  // smaller. The scale must be set before Qt starts, so this test runs
  // itself again in a child process for each.
  void fitsAtEveryScaleOnA1280Screen_data() {
    QTest::addColumn<QString>("scale");
    for (const char* scale : {"1.25", "1.5", "2"}) QTest::newRow(scale) << QString(scale);
  }

  void fitsAtEveryScaleOnA1280Screen() {
    QFETCH(QString, scale);
    if (const QString run = qEnvironmentVariable("DP3_SCALED_RUN"); !run.isEmpty()) {
      if (run != scale) QSKIP("another scale");
      Window w;
      QTest::qWait(50);
      const QScreen* screen = w.dialog->screen();
      QCOMPARE(screen->devicePixelRatio(), scale.toDouble());
      const QRect free = screen->availableGeometry();
      const QRect frame = w.dialog->frameGeometry();
      QVERIFY2(free.contains(frame), qPrintable(QString("frame %1,%2 %3x%4")
                                                    .arg(frame.x())
                                                    .arg(frame.y())
                                                    .arg(frame.width())
                                                    .arg(frame.height())));
      for (int control : {id::kTestDp, id::kReadDp, id::kWriteDp, id::kReadConfigFile,
                          id::kWriteConfigFile, id::kSetComPort, id::kFwUpdate, id::kAbout,
                          id::kExit, id::kOperationStatus, id::kInterfaceStatus}) {
        QWidget* shown = w.widget(control);
        const QRect place(shown->mapToGlobal(QPoint(0, 0)), shown->size());
        QVERIFY2(shown->isVisible() && w.dialog->geometry().contains(place),
                 qPrintable(shown->objectName()));
      }
      const QSize smallest = w.dialog->minimumSizeHint().expandedTo(w.dialog->minimumSize());
      QVERIFY(smallest.width() <= w.dialog->width() && smallest.height() <= w.dialog->height());
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
    env.insert("QT_SCALE_FACTOR", scale);
    env.insert("DP3_SCALED_RUN", scale);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"fitsAtEveryScaleOnA1280Screen:" + scale});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitCode() == 0 && output.contains("PASS   : MainDialogTest::fitsAtEvery"),
             output.constData());
  }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
