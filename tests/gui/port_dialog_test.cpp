// The port window, the reasons a port did not open, and what the main window
// remembers and shows around its work, on the offscreen platform.
#include "ui/port_dialog.hpp"

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <map>

#include "gui_support.hpp"
#include "link/posix/serial_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "ui/main_dialog.hpp"

using namespace dp3;

namespace {

// A pseudo-terminal held open by a child process, as another program would hold a port.
struct HeldLine {
  HeldLine() {
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
    path = name;
    child = ::fork();
    if (child == 0) {
      // Only the slave: the child holds the port without serving the line.
      ::close(master);
      ::pause();
      ::_exit(0);
    }
    ::close(slave);
    slave = -1;
  }
  ~HeldLine() {
    if (child > 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
    }
    ::close(master);
  }
  int master = -1;
  int slave = -1;
  pid_t child = -1;
  std::string path;
};

// The main window on a serial link to path, message boxes captured.
struct SerialWindow {
  explicit SerialWindow(std::string path) {
    config.configFilePath = (dir.path() + "/dp3tools.cfg").toStdString();
    config.portPath = std::move(path);
    dialog = std::make_unique<ui::MainDialog>(config, [](const ProgramConfig& chosen) {
      return std::make_unique<SerialLink>(chosen.portPath);
    });
    ui::setMessageSink(
        [this](const QString& text, const QString& caption) { messages << caption + ": " + text; });
    dialog->show();
  }
  ~SerialWindow() { ui::setMessageSink({}); }

  void test() {
    QSignalSpy done(dialog.get(), &ui::MainDialog::keyerCommandFinished);
    auto* button = dialog->surface().widget(id::kTestDp);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    if (dialog->keyerCommandRunning()) QVERIFY(done.wait(10000));
  }
  std::string text(int id) { return dialog->surface().text(id); }

  QTemporaryDir dir;
  ProgramConfig config;
  std::unique_ptr<ui::MainDialog> dialog;
  QStringList messages;
};

}  // namespace

class PortDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void reasonForAFailedOpen_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("busy") << "busy";
    QTest::newRow("no_permission") << "no_permission";
    QTest::newRow("none_chosen") << "none_chosen";
  }

  void reasonForAFailedOpen() {
    QFETCH(QString, kind);
    HeldLine held;
    std::string path = "/dev/dp3-missing";
    if (kind == "busy") path = held.path;
    if (kind == "none_chosen") path.clear();
    SerialWindow w(path);
    std::string reason = path + ": no such device";
    QString fix = "Plug in the keyer's adapter";
    if (kind == "busy") {
      // The child holds the line; a second program that locks it fails to open it.
      const int locker = ::open(path.c_str(), O_RDWR | O_NOCTTY);
      QVERIFY(locker >= 0);
      QCOMPARE(::flock(locker, LOCK_EX | LOCK_NB), 0);
      const auto holders = portHolders(path);
      QVERIFY(!holders.empty());
      reason = path + ": in use by " + holdersText(holders);
      fix = "Close ";
      w.test();
      ::close(locker);
    } else {
      if (kind == "no_permission") {
        // The system's answer stands in for a device this user may not open.
        w.dialog->setPortFactsSource([](const std::string& p) {
          PortFacts facts = gatherPortFacts(p);
          facts.exists = true;
          facts.permitted = false;
          facts.deviceGroup = "dialout";
          facts.user = "ann";
          return facts;
        });
        reason = path + ": no permission";
        fix = "sudo usermod -aG dialout ann";
      }
      if (kind == "none_chosen") {
        QCOMPARE(w.text(id::kComPortLabel),
                 std::string("no keyer port chosen: Set Com Port, Find Keyer"));
        reason = "no keyer port chosen";
        fix = "Find Keyer";
      }
      w.test();
    }
    QCOMPARE(w.text(id::kInterfaceStatus), "DP Fail:comm open: " + reason);
    QCOMPARE(w.text(id::kOperationStatus), std::string(">DP ERR"));
    QCOMPARE(w.messages.size(), 1);
    QVERIFY2(w.messages[0].startsWith("Error: " + QString::fromStdString(reason)),
             qPrintable(w.messages[0]));
    QVERIFY2(w.messages[0].contains(fix), qPrintable(w.messages[0]));
    if (kind == "busy") return;
    // The fix is given once; the status line keeps the cause.
    w.test();
    QCOMPARE(w.messages.size(), 1);
    QCOMPARE(w.text(id::kInterfaceStatus), "DP Fail:comm open: " + reason);
  }

  void refreshFindKeyerAndOk() {
    QTemporaryDir dir;
    ProgramConfig config;
    config.configFilePath = (dir.path() + "/dp3tools.cfg").toStdString();
    config.portPath = "/dev/ttyUSB9";  // saved, unplugged now
    std::vector<SerialDevice> present = {{"/dev/ttyS0", ""}};
    // A keyer on one port, silence on the others. Find Keyer probes every
    // port at once, so each has a model of its own.
    SimConfig quiet;
    quiet.fault.kind = FaultKind::Silence;
    std::map<std::string, KeyerModel> lines;
    lines.try_emplace("/dev/ttyACM0");
    for (const char* path : {"/dev/ttyS0", "/dev/ttyUSB9"}) lines.try_emplace(path, quiet);
    ProbeOptions probe;
    probe.findHolders = [](const std::string&) { return std::vector<PortHolder>{}; };
    probe.makeLink = [&lines](const std::string& path, std::chrono::milliseconds) {
      return std::make_unique<SimLink>(lines.at(path));
    };
    ui::PortDialog ports(
        config, [&present] { return present; }, nullptr, probe);
    ports.show();
    auto& ui = ports.surface();
    auto* list = qobject_cast<QComboBox*>(ui.widget(id::kPortList));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentText(), QString("/dev/ttyUSB9  (saved, not present)"));
    QCOMPARE(ui.text(id::kPortStatus),
             std::string("The saved port /dev/ttyUSB9 is not present. It stays chosen until "
                         "another is."));

    // A device plugged in while the window is open appears in the list.
    present.push_back({"/dev/ttyACM0", "Keyer adapter"});
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 3, 3000);
    QCOMPARE(list->currentText(), QString("/dev/ttyUSB9  (saved, not present)"));

    QSignalSpy found(&ports, &ui::PortDialog::probeFinished);
    QTest::mouseClick(ui.widget(id::kFindKeyer), Qt::LeftButton);
    QVERIFY(found.wait(5000));
    QCOMPARE(list->currentText(), QString("/dev/ttyACM0  Keyer adapter"));
    QCOMPARE(ui.text(id::kPortPath), std::string("/dev/ttyACM0"));
    const std::string status = ui.text(id::kPortStatus);
    QVERIFY2(status.find("/dev/ttyACM0  DP IC: LARK, DP F/W revision 31.12\n") == 0,
             status.c_str());
    QVERIFY(status.find("/dev/ttyS0  no keyer: DP Fail:no response") != std::string::npos);
    QVERIFY(status.find("/dev/ttyUSB9  no keyer: DP Fail:no response") != std::string::npos);
    QVERIFY(status.find("Keyer found on /dev/ttyACM0: press OK to choose it.") !=
            std::string::npos);

    QTest::mouseClick(ui.widget(id::kPortOk), Qt::LeftButton);
    QVERIFY(ports.portChanged());
    QCOMPARE(config.portPath, std::string("/dev/ttyACM0"));
  }

  void typedPathAndExit() {
    QTemporaryDir dir;
    ProgramConfig config;
    config.configFilePath = (dir.path() + "/dp3tools.cfg").toStdString();
    {
      ui::PortDialog ports(
          config,
          [] {
            return std::vector<SerialDevice>{{"/dev/ttyS0", ""}};
          },
          nullptr);
      ports.show();
      auto* path = qobject_cast<QLineEdit*>(ports.surface().widget(id::kPortPath));
      QVERIFY(path);
      QTest::keyClicks(path, "/dev/pts/9");
      QTest::mouseClick(ports.surface().widget(id::kPortExit), Qt::LeftButton);
      QVERIFY(!ports.portChanged());
      QVERIFY(config.portPath.empty());
    }
    ui::PortDialog ports(
        config,
        [] {
          return std::vector<SerialDevice>{{"/dev/ttyS0", ""}};
        },
        nullptr);
    QTest::keyClicks(ports.surface().widget(id::kPortPath), "/dev/pts/9");
    QTest::mouseClick(ports.surface().widget(id::kPortOk), Qt::LeftButton);
    QVERIFY(ports.portChanged());
    QCOMPARE(config.portPath, std::string("/dev/pts/9"));
  }

  void geometryKeptAcrossRuns() {
    QRect placed;
    {
      gui_test::Window w;
      const QRect start = w.dialog->geometry();
      // Down and taller: the offscreen screen is narrower than the window.
      w.dialog->setGeometry(start.x(), start.y() + 17, start.width(), start.height() + 20);
      QCOMPARE(w.dialog->geometry().height(), start.height() + 20);
      placed = w.dialog->geometry();
      w.click(id::kExit);
    }
    gui_test::Window again;
    QCOMPARE(again.dialog->geometry(), placed);
  }

  // At 150% scale on a 1280-pixel-wide screen the window opens within the
  // screen and can be made smaller. The scale must be set before Qt starts,
  // so this test runs itself again in a child process.
  void fitsAt150PercentOnA1280Screen() {
    if (qEnvironmentVariableIsSet("DP3_SCALED_RUN")) {
      gui_test::Window w;
      QTest::qWait(50);
      const QScreen* screen = w.dialog->screen();
      QCOMPARE(screen->devicePixelRatio(), 1.5);
      const QRect free = screen->availableGeometry();
      QVERIFY2(free.contains(w.dialog->frameGeometry()),
               qPrintable(QString("frame %1,%2 %3x%4 on %5x%6")
                              .arg(w.dialog->frameGeometry().x())
                              .arg(w.dialog->frameGeometry().y())
                              .arg(w.dialog->frameGeometry().width())
                              .arg(w.dialog->frameGeometry().height())
                              .arg(free.width())
                              .arg(free.height())));
      const QSize smallest = w.dialog->minimumSizeHint().expandedTo(w.dialog->minimumSize());
      QVERIFY2(smallest.width() < w.dialog->width() && smallest.height() < w.dialog->height(),
               qPrintable(QString("smallest %1x%2").arg(smallest.width()).arg(smallest.height())));
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
    QVERIFY2(child.exitCode() == 0 && output.contains("PASS   : PortDialogTest::fitsAt150"),
             output.constData());
  }

  void refusedUserSwitchNeverShowsBothUsers() {
    gui_test::Window w;
    w.runCommand(id::kTestDp);
    w.runCommand(id::kReadDp);
    w.surface().setText(id::kRatio, "70");
    QList<bool> checksDuringMessage;
    ui::setMessageSink([&](const QString&, const QString&) {
      checksDuringMessage << w.surface().isChecked(id::kUser1) << w.surface().isChecked(id::kUser2);
    });
    w.click(id::kUser2);
    QCOMPARE(checksDuringMessage, (QList<bool>{true, false}));
  }

  void typedCapitalsCanBeUndone() {
    gui_test::Window w;
    auto* box = qobject_cast<QPlainTextEdit*>(w.widget(id::kMsg1));
    box->setFocus();
    QTest::keyClicks(box, "cq");
    QCOMPARE(w.text(id::kMsg1), std::string("CQ"));
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY2(w.text(id::kMsg1).size() < 2, w.text(id::kMsg1).c_str());
  }

  void busyWhileACommandRunsAndFocusBackAfter() {
    gui_test::Window w;
    QVERIFY(QTest::qWaitForWindowActive(w.dialog.get()));
    w.gate().gateOpen = false;
    QSignalSpy done(w.dialog.get(), &ui::MainDialog::keyerCommandFinished);
    w.click(id::kTestDp);
    QTRY_VERIFY(w.gate().waiting);
    QVERIFY(QApplication::overrideCursor() &&
            QApplication::overrideCursor()->shape() == Qt::BusyCursor);
    QVERIFY(!w.widget(id::kConfigGroup)->isEnabled() && !w.widget(id::kEditorGroup)->isEnabled());
    w.widget(id::kAbout)->setFocus();
    w.gate().gateOpen = true;
    QVERIFY(done.wait(10000));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(w.widget(id::kConfigGroup)->isEnabled() && w.widget(id::kEditorGroup)->isEnabled());
    QCOMPARE(QApplication::focusWidget(), w.widget(id::kTestDp));
  }
};

QTEST_MAIN(PortDialogTest)
#include "port_dialog_test.moc"
