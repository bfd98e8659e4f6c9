// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/dialog.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QThread>
#include <algorithm>

#include "settings/settings_fields.hpp"
#include "surface/control_ids.hpp"
#include "ui/file_dialogs.hpp"
#include "ui/resources.hpp"
#include "ui_about_form.h"
#include "ui_main_form.h"
#include "ui_port_form.h"
#include "ui_rtty_form.h"
#include "ui_uploader_form.h"
#include "window_logic/about_window.hpp"
#include "window_logic/control_names.hpp"
#include "window_logic/main_window.hpp"
#include "window_logic/setting_controls.hpp"
#include "window_logic/uploader_window.hpp"

namespace dp3::ui {

namespace {

constexpr int kMessagePlaces = 6;  // message boxes shown at a time

// Letters typed or pasted into a message or callsign box show in upper case,
// as the keyer will send them.
void keepUpperCase(QWidget* box) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) {
    QObject::connect(line, &QLineEdit::textChanged, line, [line](const QString& text) {
      const QString upper = text.toUpper();
      if (upper == text) return;
      const int cursor = line->cursorPosition();
      line->setText(upper);
      line->setCursorPosition(cursor);
    });
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(box)) {
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit] {
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

}  // namespace

Dialog::Dialog(int dialogId, const MakeLogic& make, QWidget* parent)
    : QDialog(parent), dialogId_(dialogId), hold_(this) {
  initResources();
  buildForm();
  surface_ = std::make_unique<WidgetSurface>(this);
  if (dialogId_ == id::kMainDialog) {
    setUpTextBoxes();
    sound_ = makeDeviceSoundOut();
  }
  applyNames();
  if (dialogId_ == id::kMainDialog) sizeMainWindow();
  logic_ = make(*surface_, *this);
  if (sound_) connect(sound_.get(), &SoundOut::stopped, this, [this] { logic_->onSoundEnded(); });
  logic_->onOpen();
  wireControls();
  if (const int period = logic_->timerPeriodMs(); period > 0) {
    timer_.setInterval(period);
    connect(&timer_, &QTimer::timeout, this, [this] { logic_->onTimer(); });
    timer_.start();
  }
}

Dialog::~Dialog() {
  // Torn down mid-work (the program ending): the work still waits on the
  // window for each of its calls, so keep answering them until it ends.
  closing_ = true;
  timer_.stop();
  while (!workers_.empty()) {
    workers_.front()->wait(10);
    QCoreApplication::processEvents();
  }
}

// The form of the dialog, and what each form needs besides its widgets.
void Dialog::buildForm() {
  switch (dialogId_) {
    case id::kMainDialog: {
      Ui::MainForm form;
      form.setupUi(this);
      setWindowTitle(kMainCaption);
      setWindowIcon(QIcon(":/icons/dp3tools.png"));
      setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
      return;
    }
    case id::kPortDialog: {
      Ui::PortForm form;
      form.setupUi(this);
      return;
    }
    case id::kUploaderDialog: {
      Ui::UploaderForm form;
      form.setupUi(this);
      setWindowTitle(kUploaderCaption);
      // The path and status lines are a line of text tall, empty or not.
      for (QLabel* line : {form.path, form.status}) {
        line->setMinimumHeight(line->fontMetrics().lineSpacing() + 2 * line->frameWidth() + 4);
      }
      return;
    }
    case id::kAboutDialog: {
      Ui::AboutForm form;
      form.setupUi(this);
      setWindowTitle(kAboutCaption);
      return;
    }
    case id::kRttyDialog: {
      Ui::RttyForm form;
      form.setupUi(this);
      return;
    }
  }
}

// S/N and ST Freq take digits only; the fourteen text boxes show capitals and
// hand every typed character to the logic.
void Dialog::setUpTextBoxes() {
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
}

// The controls at their natural width (their texts as shown, keys marked),
// the message boxes a line taller than their least (measured with the
// style's fonts and margins), the status lines and commands below them.
void Dialog::sizeMainWindow() {
  auto* content = findChild<QWidget*>("content");
  auto* footer = findChild<QLayout*>("footerLayout");
  if (!content || !footer) return;
  content->ensurePolished();
  content->layout()->activate();
  const QSize below = footer->sizeHint();
  resize(std::max(content->sizeHint().width(), below.width()),
         content->minimumSizeHint().height() + kMessagePlaces * fontMetrics().lineSpacing() +
             below.height());
}

// Each control's access key and screen-reader name, from the one table: a
// label carries the key of the box it names (its buddy), a button its own.
void Dialog::applyNames() {
  for (const ShownName& shown : shownNames(dialogId_)) {
    QWidget* control = surface_->widget(shown.control);
    if (!control) continue;
    const QString text = QString::fromStdString(shown.text);
    if (auto* label = qobject_cast<QLabel*>(surface_->widget(shown.label))) {
      label->setText(text);
      if (!label->buddy()) label->setBuddy(control);  // boxes sharing a label: the first
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      button->setText(text);
    }
    control->setAccessibleName(QString::fromStdString(shown.name));
  }
}

void Dialog::wireControls() {
  for (const auto& [id, widget] : surface_->widgets()) {
    const int control = id;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      connect(button, &QAbstractButton::clicked, this,
              [this, control] { logic_->onButton(control); });
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
      connect(list, &QComboBox::activated, this,
              [this, control] { logic_->onListSelection(control); });
    }
  }
}

void Dialog::runOffWindowThread(std::function<void()> work, std::function<void()> done) {
  QThread* worker = QThread::create(std::move(work));
  workers_.push_back(worker);
  connect(worker, &QThread::finished, this, [this, worker, done = std::move(done)] {
    worker->wait();
    std::erase(workers_, worker);
    delete worker;
    if (closing_) return;
    done();
    Q_EMIT workFinished();
  });
  worker->start();
}

void Dialog::runOnWindowThread(const std::function<void()>& call) {
  QMetaObject::invokeMethod(this, call, Qt::BlockingQueuedConnection);
}

// Input waits, the window keeps painting; the main window shows the work: a
// busy cursor, and its form and editor greyed.
void Dialog::holdInput(bool hold) {
  hold ? hold_.hold() : hold_.release();
  if (dialogId_ != id::kMainDialog) return;
  if (hold) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
  for (int group : {id::kConfigGroup, id::kEditorGroup}) {
    if (QWidget* w = surface_->widget(group)) w->setEnabled(!hold);
  }
}

void Dialog::closeWindow() {
  done(0);
}

void Dialog::runWindow(int dialogId, const MakeLogic& make) {
  Dialog dialog(dialogId, make, this);
  dialog.exec();
}

std::string Dialog::chooseFile(FileChoice choice, const std::string& folder) {
  return fileChooser()(this, choice, QString::fromStdString(folder)).toStdString();
}

void Dialog::setSoundOut(std::unique_ptr<SoundOut> sound) {
  if (sound_) sound_->stop();
  sound_ = std::move(sound);
  connect(sound_.get(), &SoundOut::stopped, this, [this] { logic_->onSoundEnded(); });
  logic_->onSoundEnded();
}

std::string Dialog::soundUnavailable() const {
  return sound_ ? sound_->unavailableReason().toStdString() : "This window plays no sound";
}

bool Dialog::playSound(std::unique_ptr<PcmRenderer> pcm) {
  if (!soundUnavailable().empty()) return false;
  sound_->play(std::move(pcm));
  return true;
}

void Dialog::stopSound() {
  if (sound_) sound_->stop();
}

WindowRect Dialog::windowRect() const {
  const QRect r = geometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

// The screen's free area less the window's frame, once the frame is known.
WindowRect Dialog::screenArea() const {
  const QScreen* on = screen();
  if (!on) return windowRect();
  const QRect inner = geometry();
  const QRect outer = frameGeometry();
  const QRect free = on->availableGeometry().adjusted(
      inner.left() - outer.left(), inner.top() - outer.top(), inner.right() - outer.right(),
      inner.bottom() - outer.bottom());
  return {free.x(), free.y(), free.width(), free.height()};
}

void Dialog::placeWindow(const WindowRect& place) {
  setGeometry(place.x, place.y, place.width, place.height);
}

int Dialog::scalePercent() const {
  const QScreen* on = screen();
  return on ? qRound(on->devicePixelRatio() * on->logicalDotsPerInch() / 96.0 * 100) : 100;
}

void Dialog::closeEvent(QCloseEvent* event) {
  if (!closing_) logic_->onClose();
  if (isVisible()) event->ignore();
}

void Dialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    logic_->onEscape();
    return;
  }
  QDialog::keyPressEvent(event);
}

void Dialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  logic_->onShown();
}

// The text boxes' typed characters (not Delete, navigation or shortcuts) go
// to the logic, which may swallow them.
bool Dialog::eventFilter(QObject* target, QEvent* event) {
  if (event->type() != QEvent::KeyPress || retyping_) return QDialog::eventFilter(target, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const QString typed = key->text();
  if (typed.isEmpty() || key->key() == Qt::Key_Delete ||
      (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
    return QDialog::eventFilter(target, event);
  }
  const int box = controlIdOf(static_cast<QWidget*>(target));
  for (const QChar c : typed) {
    if (logic_->onTypedCharacter(box, c.unicode())) return true;
  }
  // A typed letter goes in as its capital, as an ordinary keystroke, so the
  // box's own undo takes it back (a replaced text would lose the undo history).
  if (const QString upper = typed.toUpper(); upper != typed) {
    QKeyEvent capital(key->type(), key->key(), key->modifiers(), upper, key->isAutoRepeat(),
                      key->count());
    retyping_ = true;
    QCoreApplication::sendEvent(target, &capital);
    retyping_ = false;
    return true;
  }
  return QDialog::eventFilter(target, event);
}

}  // namespace dp3::ui
