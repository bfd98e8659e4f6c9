#include "ui/uploader_dialog.hpp"

#include <QCloseEvent>
#include <QPushButton>
#include <QThread>

#include "app/control_ids.hpp"
#include "ui/file_dialogs.hpp"
#include "ui_uploader_window.h"

namespace dp3::ui {

UploaderDialog::UploaderDialog(Link& link, KeyerInfo& keyer, bool verbose, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::UploaderWindow>()) {
  form_->setupUi(this);
  surface_ = std::make_unique<WidgetSurface>(this);
  form_->log->setVisible(verbose);
  logic_ = std::make_unique<UploaderWindow>(*surface_, link, keyer, verbose);
  logic_->onOpen();
  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
  connect(form_->loadBin, &QPushButton::clicked, this, [this] { load(); });
  connect(form_->program, &QPushButton::clicked, this, [this] { program(); });
  connect(form_->exit, &QPushButton::clicked, this, [this] { reject(); });
}

UploaderDialog::~UploaderDialog() {
  // A dialog torn down mid-upload (the program ending) lets the upload finish
  // first: it still holds the link and the image.
  while (logic_->uploadRunning()) {
    logic_->onTimer();
    QThread::msleep(20);
  }
}

void UploaderDialog::load() {
  const QString path = fileDialogs().openFirmwareFile(this);
  if (path.isEmpty()) return;
  logic_->onLoad(path.toStdString());
}

void UploaderDialog::program() {
  logic_->onProgram();
  if (logic_->timerActive()) timer_.start();
  showRunning();
}

void UploaderDialog::tick() {
  logic_->onTimer();
  if (!logic_->timerActive()) timer_.stop();
  showRunning();
}

void UploaderDialog::showRunning() {
  form_->exit->setEnabled(!logic_->uploadRunning());
}

void UploaderDialog::closeEvent(QCloseEvent* event) {
  if (logic_->uploadRunning()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void UploaderDialog::reject() {
  if (logic_->uploadRunning()) return;
  QDialog::reject();
}

}  // namespace dp3::ui
