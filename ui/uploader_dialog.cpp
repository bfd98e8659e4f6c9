#include "ui/uploader_dialog.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "surface/control_ids.hpp"
#include "ui/file_dialogs.hpp"
#include "ui_uploader_form.h"

namespace dp3::ui {

UploaderDialog::UploaderDialog(Link& link, KeyerInfo& keyer, bool verbose, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::UploaderForm>()), hold_(this) {
  form_->setupUi(this);
  setWindowTitle(kUploaderCaption);
  form_->log->setVisible(verbose);
  // The path and status lines are a line of text tall, empty or not.
  for (QLabel* line : {form_->path, form_->status}) {
    line->setMinimumHeight(line->fontMetrics().lineSpacing() + 2 * line->frameWidth() + 4);
  }
  surface_ = std::make_unique<WidgetSurface>(this);
  threaded_ = std::make_unique<ThreadedSurface>(*surface_, this);
  logic_ = std::make_unique<UploaderWindow>(*threaded_, link, keyer, verbose);
  logic_->onOpen();
  timer_.setInterval(kUploadTimerMs);
  connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
  connect(form_->loadBin, &QPushButton::clicked, this, [this] { load(); });
  connect(form_->program, &QPushButton::clicked, this, [this] { program(); });
  connect(form_->exit, &QPushButton::clicked, this, [this] { reject(); });
}

UploaderDialog::~UploaderDialog() {
  // Program's checks wait on the window for each call; answer them until they end.
  while (starter_ && !starter_->wait(10)) QCoreApplication::processEvents();
  delete starter_;
  // The logic joins a running upload: it holds the link and the image.
}

void UploaderDialog::load() {
  if (busy()) return;
  const QString path = fileDialogs().openFirmwareFile(this);
  if (path.isEmpty()) return;
  logic_->onLoad(path.toStdString());
}

// The checks before an upload talk to the keyer (its interface test); they run
// on a worker so the window keeps painting, with its input held off.
void UploaderDialog::program() {
  if (busy()) return;
  hold_.hold();
  starter_ = QThread::create([this] { logic_->onProgram(); });
  connect(starter_, &QThread::finished, this, [this] {
    starter_->wait();
    delete starter_;
    starter_ = nullptr;
    hold_.release();
    if (logic_->timerActive()) timer_.start();
    Q_EMIT programStarted();
  });
  starter_->start();
}

void UploaderDialog::tick() {
  logic_->onTimer();
  if (logic_->timerActive()) return;
  timer_.stop();
  Q_EMIT uploadFinished();
}

void UploaderDialog::closeEvent(QCloseEvent* event) {
  if (busy()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void UploaderDialog::reject() {
  if (busy()) return;
  QDialog::reject();
}

}  // namespace dp3::ui
