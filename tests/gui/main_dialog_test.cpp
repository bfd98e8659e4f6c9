// The main window clicked through against the in-process simulated keyer.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "gui_support.hpp"
#include "settings/settings_fields.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_ids.hpp"
#include "ui/about_dialog.hpp"
#include "ui/file_dialogs.hpp"
#include "ui/port_dialog.hpp"
#include "ui/rtty_dialog.hpp"
#include "window_logic/setting_controls.hpp"

using namespace dp3;
using dp3::gui_test::Window;

Q_DECLARE_METATYPE(dp3::SimConfig)

namespace {

SimConfig keyer(std::uint8_t variant, std::uint8_t version, std::uint8_t revision,
                bool bootloaderOnly = false) {
  SimConfig config;
  config.variant = variant;
  config.version = version;
  config.revision = revision;
  config.bootloaderOnly = bootloaderOnly;
  return config;
}

bool receivedFrame(const KeyerModel& model, std::uint8_t command) {
  const auto& bytes = model.received();
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0x00 && bytes[i + 1] == command) return true;
  }
  return false;
}

QString selected(Window& w, int id) {
  return qobject_cast<QComboBox*>(w.widget(id))->currentText();
}

void choose(Window& w, int id, int entry) {
  auto* list = qobject_cast<QComboBox*>(w.widget(id));
  list->setCurrentIndex(entry);
  Q_EMIT list->activated(entry);
}

void typeInto(Window& w, int id, const QString& keys) {
  QWidget* box = w.widget(id);
  box->setFocus();
  QTest::keyClicks(box, keys);
}

// Test, then Read: the window then holds the keyer's image.
void readKeyer(Window& w) {
  w.runCommand(id::kTestDp);
  w.runCommand(id::kReadDp);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void startUpState() {
    Window w;
    QCOMPARE(w.dialog->windowTitle(), QString("Ditpulse 3 Tools Utility 5.3"));
    for (int id : {id::kTestDp, id::kSetComPort, id::kBank1, id::kBank2, id::kUser1, id::kUser2,
                   id::kResetDefaults, id::kAbout, id::kExit, id::kSwap, id::kKeyerMode}) {
      QVERIFY2(w.enabled(id), qPrintable(QString::number(id)));
    }
    for (int id : {id::kReadDp, id::kWriteDp, id::kFwUpdate, id::kReadConfigFile,
                   id::kWriteConfigFile, id::kRtty}) {
      QVERIFY2(!w.enabled(id), qPrintable(QString::number(id)));
    }
    QVERIFY(w.surface().isChecked(id::kBank1) && !w.surface().isChecked(id::kBank2));
    QVERIFY(w.surface().isChecked(id::kUser1) && !w.surface().isChecked(id::kUser2));
    QVERIFY(w.shown(id::kMsg1) && !w.shown(id::kMsg7));
    QVERIFY(w.shown(id::kCallsignUser1) && !w.shown(id::kCallsignUser2));
    QCOMPARE(w.text(id::kComPortLabel),
             std::string("no keyer port chosen: Set Com Port, Find Keyer"));
    QCOMPARE(w.text(id::kIcLine), std::string("DP IC: ?"));
    QCOMPARE(w.text(id::kBytesLeft), std::string("Msg Bytes Left: 240"));
    auto* mode = qobject_cast<QComboBox*>(w.widget(id::kKeyerMode));
    QCOMPARE(mode->count(), 6);
    QCOMPARE(mode->currentIndex(), -1);
    QCOMPARE(mode->itemText(5), QString("VibroBug"));
    QCOMPARE(qobject_cast<QComboBox*>(w.widget(id::kOutputSelection))->count(), 8);
    QCOMPARE(qobject_cast<QComboBox*>(w.widget(id::kPaddleHang))->count(), 4);
    QVERIFY(w.text(id::kWeight).empty());
    QVERIFY(w.model.received().empty());
  }

  void testCommand_data() {
    QTest::addColumn<SimConfig>("config");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("icLine");
    QTest::addColumn<QString>("pot");
    QTest::addColumn<QString>("buttons");
    QTest::addColumn<bool>("readWrite");
    QTest::newRow("LARK 31") << keyer(3, 31, 112) << ">DP OK"
                             << "DP F/W revision 31.12"
                             << "DP IC: LARK"
                             << "PotValue: 14"
                             << "PB:0" << true;
    QTest::newRow("PIKA shows no PB") << keyer(4, 31, 155) << ">DP OK"
                                      << "DP F/W revision 31.05"
                                      << "DP IC: PIKA"
                                      << "PotValue: 14"
                                      << "" << true;
    QTest::newRow("version 30") << keyer(1, 30, 3) << ">DP OK"
                                << "DP F/W ver 30.03"
                                << "DP IC: ORCA"
                                << "PotValue: 14"
                                << "PB:0" << false;
    QTest::newRow("no firmware") << keyer(3, 31, 112, true) << ">DP NOS"
                                 << "DP Fail:No O/S"
                                 << "DP IC: ?"
                                 << ""
                                 << "" << false;
  }

  void testCommand() {
    QFETCH(SimConfig, config);
    QFETCH(QString, status);
    QFETCH(QString, line);
    QFETCH(QString, icLine);
    QFETCH(QString, pot);
    QFETCH(QString, buttons);
    QFETCH(bool, readWrite);
    Window w(config);
    w.runCommand(id::kTestDp);
    QCOMPARE(QString::fromStdString(w.text(id::kOperationStatus)), status);
    QCOMPARE(QString::fromStdString(w.text(id::kInterfaceStatus)), line);
    QCOMPARE(QString::fromStdString(w.text(id::kIcLine)), icLine);
    QCOMPARE(QString::fromStdString(w.text(id::kPotValue)), pot);
    QCOMPARE(QString::fromStdString(w.text(id::kPushButtons)), buttons);
    QCOMPARE(QString::fromStdString(w.text(id::kVolts)), pot.isEmpty() ? "" : "5.04 Volts");
    QVERIFY(w.enabled(id::kFwUpdate));
    QVERIFY(w.enabled(id::kTestDp));
    for (int id : {id::kReadDp, id::kWriteDp, id::kRtty}) QCOMPARE(w.enabled(id), readWrite);
    // The lock step leaves the file buttons enabled after any keyer command.
    QVERIFY(w.enabled(id::kReadConfigFile) && w.enabled(id::kWriteConfigFile));
    QCOMPARE(w.dialog->logic().statusCountdown(), 12);
  }

  void failedTestShowsError() {
    Window w(keyer(3, 29, 112));
    w.runCommand(id::kTestDp);
    QCOMPARE(w.text(id::kOperationStatus), std::string(">DP ERR"));
    QCOMPARE(w.text(id::kInterfaceStatus), std::string("Only supports DP3"));
    QVERIFY(!w.enabled(id::kReadDp) && !w.enabled(id::kFwUpdate));
  }

  void statusClearsAfterTwelveTicks() {
    Window w;
    w.runCommand(id::kTestDp);
    for (int tick = 0; tick < 11; ++tick) w.dialog->logic().onTimer();
    QCOMPARE(w.text(id::kOperationStatus), std::string(">DP OK"));
    w.dialog->logic().onTimer();
    QCOMPARE(w.text(id::kOperationStatus), std::string(""));
    QCOMPARE(w.text(id::kPotValue), std::string("PotValue: 14"));
  }

  void readShowsFormAndMessages() {
    Window w;
    readKeyer(w);
    QCOMPARE(w.text(id::kOperationStatus), std::string(">Done"));
    QVERIFY(w.dialog->image() == w.model.memory());
    QCOMPARE(w.text(id::kWeight), std::string("50"));
    QCOMPARE(w.text(id::kMaxWpm), std::string("35"));
    QCOMPARE(w.text(id::kStFreq), std::string("801"));
    QCOMPARE(selected(w, id::kKeyerMode), QString("Iambic B"));
    QCOMPARE(selected(w, id::kOutputSelection), QString("Port1, ST, PTT"));
    QCOMPARE(w.text(id::kMsg1), std::string("CQ CQ DE N0CALL N0CALL K"));
    QCOMPARE(w.text(id::kMsg1 + 1), std::string("TU 5NN"));
    QCOMPARE(w.text(id::kMsg1 + 2), std::string("QRZ?"));
    QCOMPARE(w.text(id::kCallsignUser1), std::string("N0CALL"));
    // 24 + 6 + 4 + 6 characters; the 250 ms timer shows it.
    QTRY_COMPARE(w.text(id::kBytesLeft), std::string("Msg Bytes Left: 200"));
  }

  void writeSendsTheImage() {
    Window w;
    readKeyer(w);
    w.surface().setText(id::kWeight, "60");
    w.surface().setText(id::kMsg1 + 3, "TEST");
    w.click(id::kSwap);
    w.runCommand(id::kWriteDp);
    QVERIFY(w.messages.isEmpty());
    QCOMPARE(w.text(id::kOperationStatus), std::string("Done"));
    const SettingsImage& image = w.dialog->image();
    QCOMPARE(int(image[user_field::kWeight]), 60);
    QCOMPARE(int(image[user_field::kModeReg]), 0x08);
    QCOMPARE(int(image[kMessagePageOffset + 4]), 15 + 34);  // message 4 after messages 1-3
    // On the wire: 00 1B and the 12 extension bytes, then 00 0D and the 288-byte
    // block, then the read-back of both.
    std::vector<std::uint8_t> tail = {0x00, 0x1B};
    tail.insert(tail.end(), image.begin() + 288, image.end());
    tail.insert(tail.end(), {0x00, 0x0D});
    tail.insert(tail.end(), image.begin(), image.begin() + 288);
    tail.insert(tail.end(), {0x00, 0x0C, 0x00, 0x1A});  // read back to verify
    const auto& wire = w.model.received();
    QVERIFY(wire.size() >= tail.size());
    QVERIFY(std::equal(tail.begin(), tail.end(), wire.end() - tail.size()));
    QVERIFY(w.model.memory() == image);
  }

  void writeRefusesABadValue() {
    Window w;
    readKeyer(w);
    const SettingsImage before = w.model.memory();
    w.surface().setText(id::kWeight, "5");
    w.runCommand(id::kWriteDp);
    QCOMPARE(w.messages, QStringList{"Error: Weight must be between 10 and 90"});
    QVERIFY(!receivedFrame(w.model, 0x1B) && !receivedFrame(w.model, 0x0D));
    QVERIFY(w.model.memory() == before);
    QCOMPARE(w.text(id::kWeight), std::string("5"));
    QVERIFY(w.enabled(id::kWriteDp));
  }

  // Texts holding patterns no character has show marked and go back to the
  // keyer byte for byte when left alone.
  void readThenWriteKeepsTextsAsRead() {
    Window w;
    SettingsImage& memory = w.model.memory();
    std::fill(memory.begin() + 32, memory.begin() + 288, 0);
    memory[32] = 22;  // free pointer
    memory[33] = 15;  // Msg 1: C Q, six dits, the stop mark alone, A
    memory[34] = 20;  // Msg 2: 5 $
    const std::vector<std::uint8_t> texts = {0x15, 0x1B, 0x40, 0x01, 0x86, 0x20, 0xC8};
    std::copy(texts.begin(), texts.end(), memory.begin() + 32 + 15);
    const SettingsImage before = memory;
    readKeyer(w);
    QCOMPARE(w.text(id::kMsg1), std::string("CQ{......}{}A"));
    QCOMPARE(w.text(id::kMsg1 + 1), std::string("5$"));
    w.runCommand(id::kWriteDp);
    QVERIFY(w.messages.isEmpty());
    QCOMPARE(w.text(id::kOperationStatus), std::string("Done"));
    QVERIFY(w.model.memory() == before);
  }

  // After the refusal's message the box it names holds the focus, its text
  // selected for typing over; a Write's refusal comes from the worker while
  // the form is greyed.
  void refusedValueTakesTheFocus_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Write DP") << id::kWriteDp << id::kWeight << "5";
    QTest::newRow("Write DP, message") << id::kWriteDp << id::kMsg1 + 2 << "A$B";
    QTest::newRow("user switch") << id::kUser2 << id::kRatio << "70";
    QTest::newRow("Write Config File") << id::kWriteConfigFile << id::kStFreq << "4001";
    QTest::newRow("pot order") << id::kWriteDp << id::kMaxWpm << "4";
  }

  void refusedValueTakesTheFocus() {
    QFETCH(int, button);
    QFETCH(int, box);
    QFETCH(QString, typed);
    Window w;
    readKeyer(w);
    w.surface().setText(box, typed.toStdString());
    w.widget(id::kAbout)->setFocus();
    w.runCommand(button);
    QCOMPARE(w.messages.size(), 1);
    QCOMPARE(w.dialog->focusWidget(), w.widget(box));
    const QString selected =
        qobject_cast<QLineEdit*>(w.widget(box))
            ? qobject_cast<QLineEdit*>(w.widget(box))->selectedText()
            : qobject_cast<QPlainTextEdit*>(w.widget(box))->textCursor().selectedText();
    QCOMPARE(selected, typed);
  }

  // Closing with edits no file or keyer holds asks whether to save them first.
  void exitAsksAboutUnsavedEdits_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveDialogSaves");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    const int yes = int(Answer::Yes), no = int(Answer::No), cancel = int(Answer::Cancel);
    QTest::newRow("as read") << "" << cancel << true << false << true << false;
    QTest::newRow("typed over with itself")
        << "weight 50" << cancel << true << false << true << false;
    QTest::newRow("other user and back")
        << "user 2 and back" << cancel << true << false << true << false;
    QTest::newRow("edited, no") << "weight 77" << no << true << true << true << false;
    QTest::newRow("edited, cancel") << "weight 77" << cancel << true << true << false << false;
    QTest::newRow("edited, yes") << "weight 77" << yes << true << true << true << true;
    QTest::newRow("yes, dialog cancelled") << "weight 77" << yes << false << true << false << false;
    QTest::newRow("refused value, yes") << "weight 5" << yes << true << true << false << false;
    QTest::newRow("check box") << "swap" << cancel << true << true << false << false;
    QTest::newRow("message") << "msg" << cancel << true << true << false << false;
    QTest::newRow("written to the keyer")
        << "weight 77, write" << cancel << true << false << true << false;
  }

  void exitAsksAboutUnsavedEdits() {
    QFETCH(QString, edit);
    QFETCH(int, answer);
    QFETCH(bool, saveDialogSaves);
    QFETCH(bool, asked);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    const QString file = dir.filePath("kept.eep");
    ui::FileDialogs dialogs = ui::fileDialogs();
    ui::fileDialogs().saveSettingsFile = [&](QWidget*) {
      return saveDialogSaves ? file : QString();
    };
    for (bool viaExit : {true, false}) {
      Window w;
      w.answer = Answer(answer);
      readKeyer(w);
      if (edit.startsWith("weight")) w.surface().setText(id::kWeight, edit.mid(7, 2).toStdString());
      if (edit.endsWith("write")) w.runCommand(id::kWriteDp);
      if (edit == "user 2 and back") {
        w.click(id::kUser2);
        w.click(id::kUser1);
      }
      if (edit == "swap") w.click(id::kSwap);
      if (edit == "msg") w.surface().setText(id::kMsg1, "QRL?");
      if (viaExit) {
        w.click(id::kExit);
      } else {
        w.dialog->close();
      }
      QCOMPARE(w.questions.size(), asked ? 1 : 0);
      QCOMPARE(!w.dialog->isVisible(), closed);
      QCOMPARE(QFile::exists(file), saved);
      QFile::remove(file);
    }
    ui::fileDialogs() = dialogs;
  }

  // The message boxes take the height the window is given.
  void messageBoxesGrowWithTheWindow() {
    Window w;
    QTest::qWait(20);
    const int before = w.widget(id::kMsg1)->height();
    w.dialog->resize(w.dialog->width() + 100, w.dialog->height() + 120);
    QTRY_VERIFY(w.widget(id::kMsg1)->height() >= before + 15);
    QVERIFY(w.widget(id::kMsg1)->width() > 300);
  }

  void userSwitchGuardedByTheForm() {
    Window w;
    readKeyer(w);
    w.surface().setText(id::kRatio, "70");
    w.click(id::kUser2);
    QCOMPARE(w.messages, QStringList{"Error: Ratio must be between 33 and 66"});
    QCOMPARE(w.dialog->logic().activeUser(), 1);
    QVERIFY(w.surface().isChecked(id::kUser1) && !w.surface().isChecked(id::kUser2));
    QVERIFY(w.shown(id::kCallsignUser1));

    w.messages.clear();
    w.surface().setText(id::kRatio, "40");
    w.click(id::kUser2);
    QVERIFY(w.messages.isEmpty());
    QCOMPARE(w.dialog->logic().activeUser(), 2);
    QVERIFY(!w.surface().isChecked(id::kUser1) && w.surface().isChecked(id::kUser2));
    QCOMPARE(int(w.dialog->image()[user_field::kRatio]), 40);
    QCOMPARE(w.dialog->image()[user_field::kSpacingReg] & 0x80, 0x80);
    QVERIFY(w.shown(id::kCallsignUser2) && !w.shown(id::kCallsignUser1));
    QCOMPARE(w.text(id::kRatio), std::string("50"));  // User 2's own value

    w.click(id::kUser1);
    QCOMPARE(w.dialog->image()[user_field::kSpacingReg] & 0x80, 0);
    QCOMPARE(w.text(id::kRatio), std::string("40"));
  }

  void checkBoxesFlipTheirBits_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("user");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("bit");
    const struct {
      const char* name;
      int box, offset, bit;
    } rows[] = {{"Swap", id::kSwap, 0, 0x08},
                {"AutoSpace", id::kAutoSpace, 0, 0x02},
                {"CTspace", id::kCtSpace, 0, 0x01},
                {"PdlWDoff", id::kPdlWdOff, 0, 0x80},
                {"Cut 0", id::kCut0, 288, 0x10},
                {"Cut 9", id::kCut9, 288, 0x20},
                {"PdlToneOnly", id::kPdlToneOnly, 288, 0x08},
                {"PaddleMute", id::kPaddleMute, 288, 0x02},
                {"FastCmd", id::kFastCmd, 288, 0x40},
                {"SO2R", id::kSo2r, 288, 0x04},
                {"FaveWpmOff", id::kFaveWpmOff, 288, 0x01},
                {"Tune50%", id::kTune50, 14, 0x20}};
    for (const auto& row : rows) {
      QTest::newRow((std::string(row.name) + " user 1").c_str())
          << row.box << 1 << row.offset << row.bit;
      const int offset2 = row.offset == 288 ? 294 : row.offset + 16;
      QTest::newRow((std::string(row.name) + " user 2").c_str())
          << row.box << 2 << offset2 << row.bit;
    }
  }

  void checkBoxesFlipTheirBits() {
    QFETCH(int, box);
    QFETCH(int, user);
    QFETCH(int, offset);
    QFETCH(int, bit);
    Window w;
    w.click(id::kResetDefaults);
    if (user == 2) w.click(id::kUser2);
    const SettingsImage before = w.dialog->image();
    w.click(box);
    SettingsImage expected = before;
    expected[static_cast<std::size_t>(offset)] ^= static_cast<std::uint8_t>(bit);
    QVERIFY(w.dialog->image() == expected);
    QVERIFY(w.surface().isChecked(box));
    w.click(box);
    QVERIFY(w.dialog->image() == before);
    QVERIFY(!w.surface().isChecked(box));
  }

  void listsSetTheirBits_data() {
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("modeReg");
    QTest::addColumn<int>("pinConfig");
    // From defaults: ModeReg 0x00, PinConfig 0x07.
    QTest::newRow("Iambic A") << int(id::kKeyerMode) << 0 << 0x10 << 0x07;
    QTest::newRow("Ultimatic") << int(id::kKeyerMode) << 2 << 0x20 << 0x07;
    QTest::newRow("UltimDit") << int(id::kKeyerMode) << 3 << 0x20 << 0x87;
    QTest::newRow("UltimDah") << int(id::kKeyerMode) << 4 << 0x20 << 0x47;
    QTest::newRow("VibroBug") << int(id::kKeyerMode) << 5 << 0x30 << 0x07;
    QTest::newRow("Port1") << int(id::kOutputSelection) << 0 << 0x00 << 0x04;
    QTest::newRow("Port2, ST") << int(id::kOutputSelection) << 5 << 0x00 << 0x0A;
    QTest::newRow("Port2, ST, PTT") << int(id::kOutputSelection) << 7 << 0x00 << 0x0B;
    QTest::newRow("2.0 Word") << int(id::kPaddleHang) << 3 << 0x00 << 0x37;
  }

  void listsSetTheirBits() {
    QFETCH(int, list);
    QFETCH(int, entry);
    QFETCH(int, modeReg);
    QFETCH(int, pinConfig);
    Window w;
    w.click(id::kResetDefaults);
    w.click(id::kUser2);
    choose(w, list, entry);
    const SettingsImage& image = w.dialog->image();
    QCOMPARE(int(image[16 + user_field::kModeReg]), modeReg);
    QCOMPARE(int(image[16 + user_field::kPinConfig]), pinConfig);
    QCOMPARE(int(image[user_field::kModeReg]), 0);  // User 1 untouched
    QCOMPARE(int(image[user_field::kPinConfig]), 7);
  }

  void bankSwitching() {
    Window w;
    readKeyer(w);
    const QRect firstPlace = w.widget(id::kMsg1)->geometry();
    w.click(id::kBank2);
    QVERIFY(w.surface().isChecked(id::kBank2) && !w.surface().isChecked(id::kBank1));
    for (int i = 0; i < 6; ++i) {
      QVERIFY(!w.shown(id::kMsg1 + i) && !w.shown(id::kMsgLabel1 + i));
      QVERIFY(w.shown(id::kMsg7 + i) && w.shown(id::kMsgLabel7 + i));
    }
    QCOMPARE(w.dialog->image()[user_field::kSpacingReg] & 0x40, 0x40);
    QCOMPARE(w.dialog->logic().activeBank(), 2);
    // Both banks sit in the same place.
    QTRY_COMPARE(w.widget(id::kMsg7)->geometry(), firstPlace);
    w.click(id::kBank1);
    QVERIFY(w.shown(id::kMsg1) && !w.shown(id::kMsg7));
    QCOMPARE(w.dialog->image()[user_field::kSpacingReg] & 0x40, 0);
  }

  void bytesLeftCounter_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty") << ""
                           << "Msg Bytes Left: 240";
    QTest::newRow("line break counts two") << "A\nB"
                                           << "Msg Bytes Left: 236";
    QTest::newRow("exactly 240") << QString(240, 'E') << "Msg Bytes Left: 0";
    QTest::newRow("241 goes negative") << QString(241, 'E') << "Msg Bytes Left: -1";
    QTest::newRow("300") << QString(300, 'T') << "Msg Bytes Left: -60";
  }

  void bytesLeftCounter() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    Window w;
    qobject_cast<QPlainTextEdit*>(w.widget(id::kMsg7 + 5))->setPlainText(message);
    QTRY_COMPARE(QString::fromStdString(w.text(id::kBytesLeft)), shown);
  }

  void keyFilterSwallowsCharactersWithoutMorse_data() {
    QTest::addColumn<int>("box");
    for (const TextField& box : kTextFields)
      QTest::newRow(qPrintable(QString::number(controlOf(box.label)))) << controlOf(box.label);
  }

  void keyFilterSwallowsCharactersWithoutMorse() {
    QFETCH(int, box);
    Window w;
    w.click(id::kResetDefaults);
    if (box >= id::kMsg7 && box < id::kMsg7 + 6) w.click(id::kBank2);
    if (box == id::kCallsignUser2) w.click(id::kUser2);
    QVERIFY(w.shown(box));
    typeInto(w, box, "#%&^_`{}~");
    QCOMPARE(w.text(box), std::string(""));
    typeInto(w, box, "cq de n0call?");
    QCOMPARE(w.text(box), std::string("CQ DE N0CALL?"));
  }

  void keyFilterStopsAtTheBudget() {
    Window w;
    qobject_cast<QPlainTextEdit*>(w.widget(id::kMsg1 + 1))->setPlainText(QString(239, 'E'));
    typeInto(w, id::kMsg1, "AB");
    QCOMPARE(w.text(id::kMsg1), std::string("A"));
    QTest::keyClick(w.widget(id::kMsg1), Qt::Key_Backspace);
    QCOMPARE(w.text(id::kMsg1), std::string(""));
    typeInto(w, id::kCallsignUser1, "K");
    QCOMPARE(w.text(id::kCallsignUser1), std::string("K"));
  }

  void serialNumberAndFrequencyTakeDigitsOnly() {
    Window w;
    for (int box : {int(id::kSerialNumber), int(id::kStFreq)}) {
      typeInto(w, box, "7a-0 1");
      QCOMPARE(w.text(box), std::string("701"));
    }
    typeInto(w, id::kWeight, "5x");  // other boxes take any text and refuse it on store
    QCOMPARE(w.text(id::kWeight), std::string("5x"));
  }

  void pastedLowerCaseShowsUpperCase() {
    Window w;
    qobject_cast<QPlainTextEdit*>(w.widget(id::kMsg1))->insertPlainText("tu 73");
    QCOMPARE(w.text(id::kMsg1), std::string("TU 73"));
  }

  void resetToDefaults() {
    Window w;
    w.click(id::kResetDefaults);
    const SettingsImage& image = w.dialog->image();
    QVERIFY(std::equal(image.begin(), image.begin() + 16, image.begin() + 16));
    QVERIFY(std::equal(image.begin() + 288, image.begin() + 294, image.begin() + 294));
    const struct {
      int id;
      const char* text;
    } boxes[] = {{id::kMaxWpm, "35"},  {id::kMinWpm, "5"},       {id::kStFreq, "801"},
                 {id::kStVolume, "4"}, {id::kSerialNumber, "1"}, {id::kWeight, "50"}};
    for (const auto& box : boxes) QCOMPARE(w.text(box.id), std::string(box.text));
    QCOMPARE(selected(w, id::kPaddleHang), QString("1.0 Word"));
    QCOMPARE(selected(w, id::kOutputSelection), QString("Port1, ST, PTT"));
    QCOMPARE(selected(w, id::kKeyerMode), QString("Iambic B"));
    // The lock step enabled the file buttons; the keyer buttons wait for a Test.
    QVERIFY(w.enabled(id::kWriteConfigFile) && !w.enabled(id::kReadDp));
  }

  void settingsFileThroughTheDialogs() {
    QTemporaryDir dir;
    const QString typed = dir.filePath("keyer");
    ui::FileDialogs saved = ui::fileDialogs();
    ui::fileDialogs().saveSettingsFile = [typed](QWidget*) { return typed; };
    ui::fileDialogs().openSettingsFile = [typed](QWidget*) { return typed + ".eep"; };
    {
      Window w;
      readKeyer(w);
      w.surface().setText(id::kWeight, "77");
      w.click(id::kWriteConfigFile);
      QVERIFY(w.messages.isEmpty());
      QFile file(typed + ".eep");
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QByteArray bytes = file.readAll();
      QCOMPARE(bytes.size(), 300);
      QVERIFY(std::equal(bytes.begin(), bytes.end(), w.dialog->image().begin(),
                         [](char a, std::uint8_t b) { return std::uint8_t(a) == b; }));
      QCOMPARE(int(std::uint8_t(bytes[user_field::kWeight])), 77);

      w.click(id::kResetDefaults);
      w.surface().setText(id::kMsg1, "");
      w.click(id::kReadConfigFile);
      QCOMPARE(w.text(id::kWeight), std::string("77"));
      QCOMPARE(w.text(id::kMsg1), std::string("CQ CQ DE N0CALL N0CALL K"));
      QCOMPARE(w.text(id::kFileName), std::string("EEP FileName: keyer.eep"));

      // The file line names only a file the settings came from or went to.
      ui::fileDialogs().openSettingsFile = [&dir](QWidget*) { return dir.filePath("none.eep"); };
      w.click(id::kReadConfigFile);
      ui::fileDialogs().saveSettingsFile = [&dir](QWidget*) { return dir.path() + "/"; };
      w.click(id::kWriteConfigFile);
      QCOMPARE(w.messages.size(), 2);
      QCOMPARE(w.text(id::kFileName), std::string("EEP FileName: keyer.eep"));

      // A cancelled dialog changes nothing, not even unstored form edits.
      ui::fileDialogs().openSettingsFile = [](QWidget*) { return QString(); };
      w.surface().setText(id::kWeight, "12");
      w.click(id::kReadConfigFile);
      QCOMPARE(w.text(id::kWeight), std::string("12"));
    }
    ui::fileDialogs() = saved;
  }

  void writeConfigFileRefusedValueOpensNoDialog() {
    bool asked = false;
    ui::FileDialogs saved = ui::fileDialogs();
    ui::fileDialogs().saveSettingsFile = [&asked](QWidget*) {
      asked = true;
      return QString();
    };
    {
      Window w;
      w.click(id::kResetDefaults);
      w.surface().setText(id::kStFreq, "4001");
      w.click(id::kWriteConfigFile);
      QCOMPARE(w.messages, QStringList{"Error: Freq must be 500 or greater."});
      QVERIFY(!asked);
    }
    ui::fileDialogs() = saved;
  }

  void rttyOkAndCancel() {
    Window w;
    readKeyer(w);
    gui_test::onNextModal([](QWidget* modal) {
      auto* rtty = qobject_cast<ui::RttyDialog*>(modal);
      QVERIFY(rtty);
      rtty->surface().setChecked(id::kRttyEnable, true);
      rtty->surface().selectEntry(id::kRttyBaudRate, 2);
      rtty->surface().selectEntry(id::kRttyUsos, 1);
      QTest::mouseClick(rtty->surface().widget(id::kRttyOk), Qt::LeftButton);
    });
    w.click(id::kRtty);
    QCOMPARE(int(w.dialog->image()[289]), 0x82);
    QCOMPARE(int(w.dialog->image()[290]), 0x01);

    gui_test::onNextModal([](QWidget* modal) {
      auto* rtty = qobject_cast<ui::RttyDialog*>(modal);
      QVERIFY(rtty);
      QVERIFY(rtty->surface().isChecked(id::kRttyEnable));
      rtty->surface().setChecked(id::kRttyDiddle, true);
      QTest::mouseClick(rtty->surface().widget(id::kRttyCancel), Qt::LeftButton);
    });
    w.click(id::kRtty);
    QCOMPARE(int(w.dialog->image()[289]), 0x82);

    // Enter closes it as Cancel does.
    gui_test::onNextModal([](QWidget* modal) {
      auto* rtty = qobject_cast<ui::RttyDialog*>(modal);
      QVERIFY(rtty);
      rtty->surface().setChecked(id::kRttyEnable, false);
      QTest::keyClick(rtty, Qt::Key_Return);
    });
    w.click(id::kRtty);
    QCOMPARE(int(w.dialog->image()[289]), 0x82);
  }

  void portWindowListAndOk() {
    Window w;
    w.dialog->setExtraPorts({{"/dev/ttyTEST7", "Test adapter"}, {"/dev/ttyTEST8", ""}});
    gui_test::onNextModal([](QWidget* modal) {
      auto* ports = qobject_cast<ui::PortDialog*>(modal);
      QVERIFY(ports);
      auto* list = qobject_cast<QComboBox*>(ports->surface().widget(id::kPortList));
      QCOMPARE(list->currentIndex(), -1);  // the configured port is not present
      const int entry = list->findText("/dev/ttyTEST7  Test adapter");
      QVERIFY(entry >= 0);
      QVERIFY(list->findText("/dev/ttyTEST8") >= 0);
      list->setCurrentIndex(entry);
      QTest::mouseClick(ports->surface().widget(id::kPortOk), Qt::LeftButton);
    });
    w.click(id::kSetComPort);
    QCOMPARE(w.config.portPath, std::string("/dev/ttyTEST7"));
    QCOMPARE(w.config.comPort, 7);
    QCOMPARE(w.text(id::kComPortLabel), std::string("com:/dev/ttyTEST7"));
    QFile saved(QString::fromStdString(w.config.configFilePath.string()));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("\x07\0\0\0/dev/ttyTEST7", 17));

    // Reopened, the chosen port is selected; OK with nothing selected keeps it.
    gui_test::onNextModal([](QWidget* modal) {
      auto* ports = qobject_cast<ui::PortDialog*>(modal);
      auto* list = qobject_cast<QComboBox*>(ports->surface().widget(id::kPortList));
      QCOMPARE(list->currentText(), QString("/dev/ttyTEST7  Test adapter"));
      list->setCurrentIndex(-1);
      QTest::mouseClick(ports->surface().widget(id::kPortOk), Qt::LeftButton);
    });
    w.click(id::kSetComPort);
    QCOMPARE(w.config.portPath, std::string("/dev/ttyTEST7"));
  }

  void aboutVerboseFlag() {
    Window w;
    gui_test::onNextModal([](QWidget* modal) {
      auto* about = qobject_cast<ui::AboutDialog*>(modal);
      QVERIFY(about);
      QCOMPARE(about->windowTitle(), QString("DP3tools 5.3  About"));
      QCOMPARE(about->surface().text(id::kAboutVersion),
               std::string("Ver 5.3, Built 12:08:37, Apr 29 2019"));
      QCOMPARE(about->surface().text(id::kAboutSystem), std::string("Operating System is Linux"));
      QVERIFY(!about->surface().isChecked(id::kVerboseMode));
      QTest::mouseClick(about->surface().widget(id::kVerboseMode), Qt::LeftButton, {},
                        QPoint(4, 4));
      QTest::mouseClick(about->surface().widget(id::kAboutOk), Qt::LeftButton);
    });
    w.click(id::kAbout);
    QVERIFY(w.dialog->about().verboseFlag);

    // Closed from its title bar: the flag stays.
    gui_test::onNextModal([](QWidget* modal) {
      auto* about = qobject_cast<ui::AboutDialog*>(modal);
      QVERIFY(about->surface().isChecked(id::kVerboseMode));
      about->surface().setChecked(id::kVerboseMode, false);
      about->close();
    });
    w.click(id::kAbout);
    QVERIFY(w.dialog->about().verboseFlag);
  }

  void inputHeldOffWhileACommandRuns() {
    Window w;
    w.gate().gateOpen = false;
    QSignalSpy done(w.dialog.get(), &ui::MainDialog::keyerCommandFinished);
    w.click(id::kTestDp);
    QTRY_VERIFY(w.gate().waiting);
    QVERIFY(w.dialog->keyerCommandRunning());
    QVERIFY(!w.enabled(id::kTestDp) && !w.enabled(id::kUser2));
    // Clicks, typing and the close box wait; the window still answers its timer.
    w.click(id::kResetDefaults);
    QVERIFY(w.text(id::kWeight).empty());
    typeInto(w, id::kMsg1, "CQ");
    QCOMPARE(w.text(id::kMsg1), std::string(""));
    w.dialog->close();
    QVERIFY(w.dialog->isVisible());
    qobject_cast<QPlainTextEdit*>(w.widget(id::kMsg1 + 1))->setPlainText("TEST");
    QTRY_COMPARE(w.text(id::kBytesLeft), std::string("Msg Bytes Left: 236"));
    QCOMPARE(w.text(id::kInterfaceStatus), std::string("Testing DP Interface    "));

    w.gate().gateOpen = true;
    QVERIFY(done.wait(10000));
    QCOMPARE(w.text(id::kOperationStatus), std::string(">DP OK"));
    w.click(id::kResetDefaults);
    QCOMPARE(w.text(id::kWeight), std::string("50"));
    // The close asked for during the command is done once it has ended.
    QTRY_VERIFY(!w.dialog->isVisible());
  }

  void exitClosesThePort() {
    Window w;
    w.runCommand(id::kTestDp);
    QVERIFY(w.simLink().portOpenFlag());
    QSignalSpy finished(w.dialog.get(), &QDialog::finished);
    w.click(id::kExit);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QVERIFY(!w.simLink().portOpenFlag());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_dialog_test.moc"
