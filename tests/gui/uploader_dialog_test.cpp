// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The uploader window opened from FW Update, against the in-process simulated
// keyer: Load reaches the file dialog, Program's checks and the upload leave
// the window thread, the timer moves progress and log, Esc is not Load.
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

// Opens the uploader from FW Update and runs body in it; the main window's
// follow-up Test has ended when this returns.
void inUploader(Window& w, std::function<void(ui::Dialog&)> body) {
  bool ran = false;
  gui_test::onNextModal([&](QWidget* modal) {
    auto* uploader = qobject_cast<ui::Dialog*>(modal);
    QVERIFY(uploader);
    body(*uploader);
    ran = true;
    if (uploader->isVisible()) uploader->closeWindow();
  });
  w.runCommand(id::kFwUpdate);
  QVERIFY(ran);
}

}  // namespace

class UploaderWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void loadProgramAndEsc() {
    Window w;
    w.runCommand(id::kTestDp);
    w.dialog->logic().about().verboseFlag = true;
    int chosen = 0;
    const ui::FileChooser chooser = ui::fileChooser();
    ui::fileChooser() = [&](QWidget*, FileChoice choice, const QString&) {
      chosen += choice == FileChoice::OpenFirmware;
      return QString(DP3_TEST_DATA "/lark_full.hex");
    };
    inUploader(w, [&](ui::Dialog& uploader) {
      ui::WidgetSurface& ui = uploader.surface();
      QCOMPARE(uploader.windowTitle(), QString("Ditpulse 3 Firmware Uploader"));
      QVERIFY(!ui.widget(id::kUploadLog)->isHidden());
      QTest::mouseClick(ui.widget(id::kLoadBin), Qt::LeftButton);
      QCOMPARE(chosen, 1);
      QVERIFY(ui.text(id::kUploadStatus).rfind("DP LARK Version: 31.04 Loaded, ", 0) == 0);

      QSignalSpy checked(&uploader, &ui::Dialog::workFinished);
      QTest::mouseClick(ui.widget(id::kProgram), Qt::LeftButton);
      QVERIFY(checked.count() == 1 || checked.wait(10000));
      // Esc and the close box: the window stays while the upload runs, and
      // Esc opens no file dialog.
      QVERIFY(!ui.widget(id::kLoadBin)->isEnabled());
      QTest::keyClick(&uploader, Qt::Key_Escape);
      uploader.close();
      QVERIFY(uploader.isVisible());
      QCOMPARE(chosen, 1);
      QTRY_VERIFY_WITH_TIMEOUT(ui.widget(id::kLoadBin)->isEnabled(), 20000);
      QCOMPARE(ui.text(id::kUploadStatus),
               std::string("Upload Completed Successfully, Settings Restored"));
      // A completed upload ends on a full bar.
      QCOMPARE(qobject_cast<QProgressBar*>(ui.widget(id::kUploadProgress))->value(), 100);
      // The log followed the frames down to the last.
      auto* log = qobject_cast<QPlainTextEdit*>(ui.widget(id::kUploadLog));
      QVERIFY(log->toPlainText().count('\n') >= 956);
      QVERIFY(log->verticalScrollBar()->maximum() > 0);
      QCOMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
      QTest::keyClick(&uploader, Qt::Key_Escape);
      QVERIFY(!uploader.isVisible());
    });
    ui::fileChooser() = chooser;
    // Both questions went to the operator; FW Update ended with a Test.
    QCOMPARE(w.messages.size(), 2);
    QCOMPARE(w.dialog->logic().statusCountdown(), 12);
  }

  // Without the verbose log the path and status lines keep their height.
  void linesKeepTheirHeightWithoutTheLog() {
    Window w;
    w.runCommand(id::kTestDp);
    inUploader(w, [&](ui::Dialog& uploader) {
      QVERIFY(uploader.surface().widget(id::kUploadLog)->isHidden());
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
    });
  }
};

QTEST_MAIN(UploaderWindowTest)
#include "uploader_dialog_test.moc"
