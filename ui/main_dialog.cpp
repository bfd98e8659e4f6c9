#include "ui/main_dialog.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShowEvent>
#include <QThread>
#include <filesystem>

#include "settings/settings_fields.hpp"
#include "ui/about_dialog.hpp"
#include "ui/file_dialogs.hpp"
#include "ui/port_dialog.hpp"
#include "ui/resources.hpp"
#include "ui/rtty_dialog.hpp"
#include "ui/uploader_dialog.hpp"
#include "ui_main_form.h"
#include "window_logic/message_sound.hpp"
#include "window_logic/messages_view.hpp"
#include "window_logic/setting_controls.hpp"

namespace dp3::ui {

namespace {
constexpr int kMessagePlaces = 6;  // message boxes shown at a time
}  // namespace

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
  link_ = newLink();
  logic_ = std::make_unique<MainWindow>(*surface_, image_, keyer_, config_);
  logic_->setUp();
  for (int box : {id::kSerialNumber, id::kStFreq}) {
    if (auto* line = qobject_cast<QLineEdit*>(surface_->widget(box))) {
      line->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), line));
    }
  }
  for (const TextField& box : kTextFields) {
    if (QWidget* w = surface_->widget(controlOf(box.label))) {
      w->installEventFilter(this);
      keepUpperCase(w);
    }
  }
  wireControls();
  setSoundOut(makeDeviceSoundOut());
  restoreWindowMemory();
  timer_.setInterval(kTimerPeriodMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    logic_->onTimer();
    showMessageTimes(*surface_, logic_->activeBank(), logic_->activeUser());
  });
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
    const int id = controlOf(bit.label);
    if (auto* box = qobject_cast<QAbstractButton*>(surface_->widget(id))) {
      connect(box, &QAbstractButton::clicked, this, [this, id] { logic_->onCheckBox(id); });
    }
  }
  for (const ListField& mode : kModeLists) {
    const int id = controlOf(mode.label);
    if (auto* list = qobject_cast<QComboBox*>(surface_->widget(id))) {
      connect(list, &QComboBox::activated, this, [this, id] { logic_->onListSelection(id); });
    }
  }
  for (int id : {id::kBank1,           id::kBank2,         id::kUser1,        id::kUser2,
                 id::kTestDp,          id::kReadDp,        id::kWriteDp,      id::kFwUpdate,
                 id::kSetComPort,      id::kRtty,          id::kAbout,        id::kReadConfigFile,
                 id::kWriteConfigFile, id::kResetDefaults, id::kExit,         id::kPlayMsg1,
                 id::kPlayMsg1 + 1,    id::kPlayMsg1 + 2,  id::kPlayMsg1 + 3, id::kPlayMsg1 + 4,
                 id::kPlayMsg1 + 5,    id::kPlayCallsign,  id::kStopPlay}) {
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
    case id::kUser2: {
      // The click has already flipped the radio: show the user in force until
      // the switch is done, so a refused switch never shows both checked.
      const int current = logic_->activeUser();
      surface_->setChecked(id::kUser1, current == 1);
      surface_->setChecked(id::kUser2, current == 2);
      logic_->onUser(id == id::kUser1 ? 1 : 2);
      return;
    }
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
      AboutDialog about(about_, this, config_.configFilePath.parent_path().string());
      about.exec();
      if (about.traceChanged()) startTrace();
      return;
    }
    case id::kReadConfigFile:
      return readConfigFile();
    case id::kWriteConfigFile:
      writeConfigFile();
      return;
    case id::kResetDefaults:
      return logic_->onResetDefaults();
    case id::kExit:
      if (!mayClose()) return;
      logic_->onExit(*link_);
      done(0);
      return;
    case id::kStopPlay:
      return sound_->stop();
    default:
      return play(id);
  }
}

void MainDialog::startKeyerCommand(KeyerCommand command) {
  if (!logic_->beginKeyerCommand(*link_)) return;
  hold_.hold();
  // The work shows: a busy cursor, and the held-off form and editor greyed.
  QApplication::setOverrideCursor(Qt::BusyCursor);
  for (int group : {id::kConfigGroup, id::kEditorGroup}) {
    if (QWidget* w = surface_->widget(group)) w->setEnabled(false);
  }
  const int button = command == KeyerCommand::Test   ? id::kTestDp
                     : command == KeyerCommand::Read ? id::kReadDp
                                                     : id::kWriteDp;
  const int user = logic_->activeUser();
  workerKeptForm_ = false;
  worker_ = QThread::create([this, command, user] {
    workerKeptForm_ =
        runKeyerCommand(command, *threaded_, *link_, keyer_, image_, user);
  });
  connect(worker_, &QThread::finished, this, [this, button] {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    hold_.release();
    QApplication::restoreOverrideCursor();
    for (int group : {id::kConfigGroup, id::kEditorGroup}) {
      if (QWidget* w = surface_->widget(group)) w->setEnabled(true);
    }
    logic_->endKeyerCommand(workerKeptForm_);
    explainPortFailure(*surface_, *link_, gatherFacts_(config_.portPath), lastPortAdvice_);
    // Focus to the box a refused value came from, else back to the command's button.
    if (!surface_->focusPending()) {
      if (QWidget* w = surface_->widget(button); w && w->isEnabled()) w->setFocus();
    }
    // A close asked for during the command is done now that it has ended.
    if (hold_.closeRequested()) QTimer::singleShot(0, this, [this] { close(); });
    Q_EMIT keyerCommandFinished();
  });
  worker_->start();
}

void MainDialog::setSoundOut(std::unique_ptr<SoundOut> sound) {
  if (sound_) sound_->stop();
  sound_ = std::move(sound);
  connect(sound_.get(), &SoundOut::stopped, this, [this] { showPlayState(); });
  showPlayState();
}

void MainDialog::showPlayState() {
  dp3::showPlayState(*surface_, sound_->unavailableReason().toStdString(), sound_->playing());
}

// The box beside the button as it reads now, at the form's current values.
void MainDialog::play(int playId) {
  if (playedBox(playId, logic_->activeBank(), logic_->activeUser()) == 0) return;
  if (!sound_->unavailableReason().isEmpty()) return;
  const KeyingSettings settings = formKeying(*surface_);
  if (!playableSpeed(settings)) {
    surface_->showMessage("CurWpm must be between 5 and 99 to play a message", "Error");
    return;
  }
  Keying keying = playKeying(*surface_, playId, logic_->activeBank(), logic_->activeUser());
  if (keying.empty()) return;
  sound_->play(std::make_unique<PcmRenderer>(keying, settings.toneHz));
  showPlayState();
}

void MainDialog::readConfigFile() {
  const QString path = fileDialogs().openSettingsFile(this);
  if (path.isEmpty()) return;
  logic_->onReadConfigFile(path.toStdString());
}

bool MainDialog::writeConfigFile() {
  if (!logic_->prepareWriteConfigFile()) return false;
  const QString path = fileDialogs().saveSettingsFile(this);
  if (path.isEmpty()) return false;
  return logic_->onWriteConfigFile(path.toStdString());
}

bool MainDialog::mayClose() {
  switch (logic_->confirmExit()) {
    case ExitStep::Close:
      return true;
    case ExitStep::SaveFirst:
      return writeConfigFile();
    case ExitStep::Stay:
      break;
  }
  return false;
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
  PortDialog ports(
      config_, [this] { return portDevices(); }, this);
  ports.exec();
  if (ports.portChanged()) link_ = newLink();
  logic_->showPort();
}

// Where the window was and how big, and the file dialogs' folders, from the
// last run; the window is kept wholly on the screen it opens on.
void MainDialog::restoreWindowMemory() {
  if (config_.configFilePath.empty()) return;
  const WindowMemory memory = loadWindowMemory(windowMemoryPath(config_.configFilePath));
  for (const auto& [name, folder] : memory.folders) lastFolders()[name] = folder;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect free = screen->availableGeometry();
  // First run: the controls at their natural width, the message boxes a line
  // taller than their least (measured with the style's fonts and margins).
  form_->content->ensurePolished();
  form_->content->layout()->activate();
  const QSize size(
      form_->content->sizeHint().width(),
      form_->content->minimumSizeHint().height() + kMessagePlaces * fontMetrics().lineSpacing());
  WindowRect wanted = memory.geometry.value_or(
      WindowRect{free.x() + (free.width() - size.width()) / 2,
                 free.y() + (free.height() - size.height()) / 2, size.width(), size.height()});
  const WindowRect placed =
      fitOnScreen(wanted, WindowRect{free.x(), free.y(), free.width(), free.height()});
  setGeometry(placed.x, placed.y, placed.width, placed.height);
}

// The frame is known once the window is up: it too stays on the screen.
void MainDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (framePlaced_) return;
  framePlaced_ = true;
  const QScreen* screen = this->screen();
  if (!screen) return;
  const QRect inner = geometry();
  const QRect outer = frameGeometry();
  const QRect free = screen->availableGeometry().adjusted(
      inner.left() - outer.left(), inner.top() - outer.top(), inner.right() - outer.right(),
      inner.bottom() - outer.bottom());
  const WindowRect placed =
      fitOnScreen(WindowRect{inner.x(), inner.y(), inner.width(), inner.height()},
                  WindowRect{free.x(), free.y(), free.width(), free.height()});
  if (QRect(placed.x, placed.y, placed.width, placed.height) != inner) {
    setGeometry(placed.x, placed.y, placed.width, placed.height);
  }
}

void MainDialog::done(int result) {
  if (!config_.configFilePath.empty()) {
    WindowMemory memory;
    const QRect r = geometry();
    memory.geometry = WindowRect{r.x(), r.y(), r.width(), r.height()};
    memory.folders = lastFolders();
    saveWindowMemory(windowMemoryPath(config_.configFilePath), memory);
  }
  QDialog::done(result);
}

std::unique_ptr<Link> MainDialog::newLink() {
  auto link = makeLink_(config_);
  if (!trace_) return link;
  trace_->comment("port " + config_.portPath);
  return std::make_unique<TraceLink>(std::move(link), trace_);
}

// The About window's Trace box: every byte on the line from now on goes to
// its file, until the box is cleared.
void MainDialog::startTrace() {
  link_->commClose();
  link_.reset();
  trace_.reset();
  if (about_.traceOn) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(about_.traceFile).parent_path(),
                                        error);
    trace_ = std::make_shared<TraceSink>(about_.traceFile);
    if (!trace_->ok()) {
      trace_.reset();
      about_.traceOn = false;
      surface_->showMessage("Can't write the trace file " + about_.traceFile, "Error");
    }
  }
  link_ = newLink();
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
  // A typed letter goes in as its capital, as an ordinary keystroke, so the
  // box's own undo takes it back (a replaced text would lose the undo history).
  if (const QString upper = typed.toUpper(); upper != typed) {
    QKeyEvent capital(key->type(), key->key(), key->modifiers(), upper, key->isAutoRepeat(),
                      key->count());
    QCoreApplication::sendEvent(target, &capital);
    return true;
  }
  return QDialog::eventFilter(target, event);
}

void MainDialog::closeEvent(QCloseEvent* event) {
  if (worker_ || !mayClose()) {
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
