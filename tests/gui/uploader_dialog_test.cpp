// The uploader window opened from FW Update, against the in-process simulated keyer.
#include "ui/uploader_dialog.hpp"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "gui_support.hpp"
#include "surface/control_ids.hpp"
#include "ui/file_dialogs.hpp"

using namespace dp3;
using dp3::gui_test::Window;

namespace {

QString dataFile(const char* name) {
  return QString(DP3_TEST_DATA) + "/" + name;
}

// Opens the uploader from FW Update, runs body in it, then closes it with
// Exit; the main window's follow-up Test has ended when this returns.
void inUploader(Window& w, std::function<void(ui::UploaderDialog&)> body) {
  bool ran = false;
  gui_test::onNextModal([&](QWidget* modal) {
    auto* uploader = qobject_cast<ui::UploaderDialog*>(modal);
    QVERIFY(uploader);
    body(*uploader);
    ran = true;
    QTest::mouseClick(uploader->surface().widget(id::kUploaderExit), Qt::LeftButton);
  });
  w.runCommand(id::kFwUpdate);
  QVERIFY(ran);
}

void load(ui::UploaderDialog& uploader, const QString& path) {
  ui::fileDialogs().openFirmwareFile = [path](QWidget*) { return path; };
  QTest::mouseClick(uploader.surface().widget(id::kLoadBin), Qt::LeftButton);
}

std::string status(ui::UploaderDialog& uploader) {
  return uploader.surface().text(id::kUploadStatus);
}

}  // namespace

class UploaderWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void fullUpload() {
    Window w;
    w.runCommand(id::kTestDp);
    w.dialog->about().verboseFlag = true;
    const std::size_t before = w.model.received().size();
    inUploader(w, [&](ui::UploaderDialog& uploader) {
      QCOMPARE(uploader.windowTitle(), QString("Ditpulse 3 Firmware Uploader"));
      QVERIFY(!uploader.surface().widget(id::kUploadLog)->isHidden());
      QVERIFY(!uploader.surface().widget(id::kProgram)->isEnabled());
      load(uploader, dataFile("lark_full.hex"));
      QVERIFY(status(uploader).rfind("DP LARK Version: 31.04 Loaded, ", 0) == 0);
      QCOMPARE(uploader.surface().text(id::kUploadPath), dataFile("lark_full.hex").toStdString());
      QVERIFY(uploader.surface().widget(id::kProgram)->isEnabled());

      QSignalSpy started(&uploader, &ui::UploaderDialog::programStarted);
      QSignalSpy finished(&uploader, &ui::UploaderDialog::uploadFinished);
      QTest::mouseClick(uploader.surface().widget(id::kProgram), Qt::LeftButton);
      QVERIFY(started.count() == 1 || started.wait(10000));
      // Until the timer has seen the end, Exit and the close box are held off.
      QVERIFY(uploader.logic().uploadRunning());
      QCOMPARE(status(uploader), std::string("Programming DPUSB...."));
      QVERIFY(!uploader.surface().widget(id::kLoadBin)->isEnabled());
      uploader.reject();
      uploader.close();
      QVERIFY(uploader.isVisible());

      QVERIFY(finished.wait(20000));
      // The image is older than the keyer's 31.12 and resets its settings: both
      // questions were asked (the test's sink answers Yes) and the backup went back.
      QCOMPARE(w.messages.size(), 2);
      QVERIFY(w.messages[0].startsWith("Older Firmware: The keyer runs LARK firmware 31.12"));
      QVERIFY(w.messages[1].startsWith("Settings Changed: The new firmware changed"));
      QVERIFY(w.model.memory() == KeyerModel::presetMemory());
      QCOMPARE(status(uploader), std::string("Upload Completed Successfully, Settings Restored"));
      QCOMPARE(qobject_cast<QProgressBar*>(uploader.surface().widget(id::kUploadProgress))->value(),
               99);
      QVERIFY(uploader.surface().widget(id::kLoadBin)->isEnabled());
      QVERIFY(!uploader.surface().widget(id::kProgram)->isEnabled());
      QVERIFY(uploader.surface().widget(id::kUploaderExit)->isEnabled());
      // One line per frame, each ending in the keyer's acceptance.
      const QStringList log =
          qobject_cast<QPlainTextEdit*>(uploader.surface().widget(id::kUploadLog))
              ->toPlainText()
              .split('\n', Qt::SkipEmptyParts);
      QVERIFY(log.size() == 956 || log.size() == 964);
      for (const QString& line : log) QVERIFY2(line.endsWith(" 3c"), qPrintable(line));
      // The log followed the frames down to the last.
      const QScrollBar* bar =
          qobject_cast<QPlainTextEdit*>(uploader.surface().widget(id::kUploadLog))
              ->verticalScrollBar();
      QVERIFY(bar->maximum() > 0);
      QCOMPARE(bar->value(), bar->maximum());
      QVERIFY(uploader.logic().lastOutcome() && uploader.logic().lastOutcome()->completed());
      for (std::size_t slot : {0u, 3u, 4u, 500u, 955u}) {
        QVERIFY(uploader.logic().image().slots[slot] == w.model.flash().slots[slot]);
      }
    });
    // The keyer's wire began with the restart request and the bootloader's echo.
    const std::vector<std::uint8_t> opening = {0x00, 0x10, 0x9B, 0x00, 0x04, 0x55};
    const auto& wire = w.model.received();
    QVERIFY(std::search(wire.begin() + static_cast<std::ptrdiff_t>(before), wire.end(),
                        opening.begin(), opening.end()) != wire.end());
    // FW Update ends with a Test of the keyer.
    QVERIFY(w.dialog->logic().statusCountdown() == 12);
    QVERIFY(!w.text(id::kInterfaceStatus).empty());
  }

  void programRefusals_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("fileError");
    QTest::newRow("nothing loaded") << ""
                                    << "Error: Please Open a Programming File !"
                                    << "";
    QTest::newRow("ORCA image on a LARK")
        << dataFile("orca_small.hex")
        << "Error: Attempting to program a LARK DP with an ORCA image !"
        << "";
    QTest::newRow("file missing") << dataFile("no_such.hex") << "File Error"
                                  << "cannot open: No such file or directory";
    QTest::newRow("not a HEX file") << dataFile("lark_full.asm") << "File Error"
                                    << "line 1: ";
  }

  void programRefusals() {
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QFETCH(QString, fileError);
    Window w;
    w.runCommand(id::kTestDp);
    inUploader(w, [&](ui::UploaderDialog& uploader) {
      QVERIFY(uploader.surface().widget(id::kUploadLog)->isHidden());  // not verbose
      // Without the log, the path and status lines keep their height, a line of text.
      QWidget* lines[] = {uploader.surface().widget(id::kUploadPath),
                          uploader.surface().widget(id::kUploadStatus)};
      QTest::qWait(20);
      const int heights[] = {lines[0]->height(), lines[1]->height()};
      uploader.resize(uploader.width(), uploader.height() + 150);
      QTest::qWait(20);
      for (int i : {0, 1}) {
        QCOMPARE(lines[i]->height(), heights[i]);
        QVERIFY(heights[i] >= lines[i]->fontMetrics().height());
      }
      if (!file.isEmpty()) load(uploader, file);
      if (expected != "File Error") {
        QSignalSpy started(&uploader, &ui::UploaderDialog::programStarted);
        uploader.surface().widget(id::kProgram)->setEnabled(true);
        QTest::mouseClick(uploader.surface().widget(id::kProgram), Qt::LeftButton);
        QVERIFY(started.count() == 1 || started.wait(10000));
        QVERIFY(!uploader.logic().uploadRunning());
      }
      QCOMPARE(QString::fromStdString(status(uploader)), expected);
      // Where and why the file did not load, under "File Error".
      const QString where = QString::fromStdString(uploader.surface().text(id::kUploadFileError));
      QVERIFY2(fileError.isEmpty() ? where.isEmpty() : where.startsWith(fileError),
               qPrintable(where));
    });
    QVERIFY(w.model.mode() == KeyerModel::Mode::Host);
  }

  void noKeyerShowsMessage() {
    SimConfig silent;
    silent.fault.kind = FaultKind::Silence;
    Window w(silent);
    w.dialog->keyer().firmwareVersion = 31;  // as after an earlier Test
    w.dialog->logic().unlockControls();
    inUploader(w, [&](ui::UploaderDialog& uploader) {
      load(uploader, dataFile("lark_full.hex"));
      QSignalSpy started(&uploader, &ui::UploaderDialog::programStarted);
      QTest::mouseClick(uploader.surface().widget(id::kProgram), Qt::LeftButton);
      QVERIFY(started.count() == 1 || started.wait(10000));
      QCOMPARE(w.messages, QStringList{"Error: DP not connected"});
    });
  }
};

QTEST_MAIN(UploaderWindowTest)
#include "uploader_dialog_test.moc"
