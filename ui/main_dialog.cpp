#include "ui/main_dialog.hpp"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QThread>

#include "settings/messages.hpp"
#include "settings/settings_fields.hpp"
#include "ui/about_dialog.hpp"
#include "ui/file_dialogs.hpp"
#include "ui/port_dialog.hpp"
#include "ui/resources.hpp"
#include "ui/rtty_dialog.hpp"
#include "ui/uploader_dialog.hpp"
#include "ui_main_form.h"

namespace dp3::ui {

MainDialog::MainDialog(ProgramConfig& config, LinkFactory makeLink, QWidget* parent)
    : QDialog(parent),
      form_(std::make_unique<Ui::MainForm>()),
      config_(config),
      makeLink_(std::move(makeLink)),
      hold_(this) {
  initResources();
  form_->setupUi(this);
  setWindowTitle(kMainCaption);
  setWindowIcon(QIcon(":/icons/dp3tools.png"));
  setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
  surface_ = std::make_unique<WidgetSurface>(this);
  threaded_ = std::make_unique<ThreadedSurface>(*surface_, this);
  link_ = makeLink_(config_);
  logic_ = std::make_unique<MainWindow>(*surface_, image_, keyer_, config_);
  logic_->setUp();
  for (int box : {id::kSerialNumber, id::kStFreq}) {
    if (auto* line = qobject_cast<QLineEdit*>(surface_->widget(box))) {
      line->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), line));
    }
  }
  for (const TextField& box : kTextFields) {
    if (QWidget* w = surface_->widget(box.control)) {
      w->installEventFilter(this);
      keepUpperCase(w);
    }
  }
  wireControls();
  timer_.setInterval(kTimerPeriodMs);
  connect(&timer_, &QTimer::timeout, this, [this] { logic_->onTimer(); });
  timer_.start();
  logic_->onTimer();
}

MainDialog::~MainDialog() {
  // Torn down mid-command (the program ending): the command still waits on
  // the window for each of its calls, so keep answering them until it ends.
  while (worker_ && !worker_->wait(10)) QCoreApplication::processEvents();
  delete worker_;
}

void MainDialog::wireControls() {
  for (const BitField& bit : kModeBits) {
    const int id = bit.control;
    if (auto* box = qobject_cast<QAbstractButton*>(surface_->widget(id))) {
      connect(box, &QAbstractButton::clicked, this, [this, id] { logic_->onCheckBox(id); });
    }
  }
  for (const ListField& mode : kModeLists) {
    const int id = mode.control;
    if (auto* list = qobject_cast<QComboBox*>(surface_->widget(id))) {
      connect(list, &QComboBox::activated, this, [this, id] { logic_->onListSelection(id); });
    }
  }
  for (int id : {id::kBank1, id::kBank2, id::kUser1, id::kUser2, id::kTestDp, id::kReadDp,
                 id::kWriteDp, id::kFwUpdate, id::kSetComPort, id::kRtty, id::kAbout,
                 id::kReadConfigFile, id::kWriteConfigFile, id::kResetDefaults, id::kExit}) {
    if (auto* button = qobject_cast<QAbstractButton*>(surface_->widget(id))) {
      connect(button, &QAbstractButton::clicked, this, [this, id] { onButton(id); });
    }
  }
}

void MainDialog::onButton(int id) {
  switch (id) {
    case id::kBank1:
      return logic_->onBank(1);
    case id::kBank2:
      return logic_->onBank(2);
    case id::kUser1:
      logic_->onUser(1);
      return;
    case id::kUser2:
      logic_->onUser(2);
      return;
    case id::kTestDp:
      return startKeyerCommand(KeyerCommand::Test);
    case id::kReadDp:
      return startKeyerCommand(KeyerCommand::Read);
    case id::kWriteDp:
      return startKeyerCommand(KeyerCommand::Write);
    case id::kFwUpdate:
      return firmwareUpdate();
    case id::kSetComPort:
      return setComPort();
    case id::kRtty: {
      RttyDialog rtty(image_, logic_->activeUser(), this);
      rtty.exec();
      return;
    }
    case id::kAbout: {
      AboutDialog about(about_, this);
      about.exec();
      return;
    }
    case id::kReadConfigFile:
      return readConfigFile();
    case id::kWriteConfigFile:
      return writeConfigFile();
    case id::kResetDefaults:
      return logic_->onResetDefaults();
    case id::kExit:
      logic_->onExit(*link_);
      done(0);
      return;
    default:
      return;
  }
}

void MainDialog::startKeyerCommand(KeyerCommand command) {
  if (!logic_->beginKeyerCommand(*link_)) return;
  hold_.hold();
  const int user = logic_->activeUser();
  worker_ = QThread::create([this, command, user] {
    MainWindow::runKeyerCommand(command, *threaded_, *link_, keyer_, image_, user);
  });
  connect(worker_, &QThread::finished, this, [this] {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    hold_.release();
    logic_->endKeyerCommand();
    Q_EMIT keyerCommandFinished();
  });
  worker_->start();
}

void MainDialog::readConfigFile() {
  const QString path = fileDialogs().openSettingsFile(this);
  if (path.isEmpty()) return;
  logic_->onReadConfigFile(path.toStdString());
}

void MainDialog::writeConfigFile() {
  if (!logic_->prepareWriteConfigFile()) return;
  const QString path = fileDialogs().saveSettingsFile(this);
  if (path.isEmpty()) return;
  logic_->onWriteConfigFile(path.toStdString());
}

std::vector<SerialDevice> MainDialog::portDevices() const {
  std::vector<SerialDevice> devices = listSerialDevices();
  for (const SerialDevice& extra : extraPorts_) {
    bool listed = false;
    for (const SerialDevice& device : devices) listed = listed || device.path == extra.path;
    if (!listed) devices.push_back(extra);
  }
  return devices;
}

void MainDialog::setComPort() {
  if (link_->portOpenFlag()) link_->commClose();
  PortDialog ports(config_, portDevices(), this);
  ports.exec();
  if (ports.portChanged()) link_ = makeLink_(config_);
  logic_->showPort();
}

void MainDialog::firmwareUpdate() {
  {
    UploaderDialog uploader(*link_, keyer_, about_.verboseFlag, this);
    uploader.exec();
  }
  startKeyerCommand(KeyerCommand::Test);
}

// Letters typed or pasted into a message or callsign box show in upper case,
// as the keyer will send them.
void MainDialog::keepUpperCase(QWidget* box) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) {
    connect(line, &QLineEdit::textChanged, line, [line](const QString& text) {
      const QString upper = text.toUpper();
      if (upper == text) return;
      const int cursor = line->cursorPosition();
      line->setText(upper);
      line->setCursorPosition(cursor);
    });
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(box)) {
    connect(edit, &QPlainTextEdit::textChanged, edit, [edit] {
      const QString text = edit->toPlainText();
      const QString upper = text.toUpper();
      if (upper == text) return;
      const int cursor = edit->textCursor().position();
      edit->setPlainText(upper);
      QTextCursor restored = edit->textCursor();
      restored.setPosition(std::min(cursor, static_cast<int>(upper.size())));
      edit->setTextCursor(restored);
    });
  }
}

// The key filter of the fourteen text boxes: typed characters only, not
// navigation, deletion or shortcuts.
bool MainDialog::eventFilter(QObject* target, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(target, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const QString typed = key->text();
  if (typed.isEmpty() || key->key() == Qt::Key_Delete ||
      (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
    return QDialog::eventFilter(target, event);
  }
  for (const QChar c : typed) {
    unsigned character = c.unicode();
    if (character == '\n') character = '\r';
    if (messageKeyFilter(*surface_, character)) return true;
  }
  return QDialog::eventFilter(target, event);
}

void MainDialog::closeEvent(QCloseEvent* event) {
  if (worker_) {
    event->ignore();
    return;
  }
  link_->commClose();
  QDialog::closeEvent(event);
}

// Escape would end a dialog; this window stays until Exit or its close box.
void MainDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace dp3::ui
