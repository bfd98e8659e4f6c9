#include "ui/port_dialog.hpp"

#include <QComboBox>
#include <QPushButton>
#include <QThread>

#include "ui_port_form.h"

namespace dp3::ui {

namespace {
constexpr int kRefreshMs = 1000;
}

PortDialog::PortDialog(ProgramConfig& config, DeviceLister listDevices, QWidget* parent,
                       ProbeOptions probeOptions)
    : QDialog(parent),
      form_(std::make_unique<Ui::PortForm>()),
      config_(config),
      listDevices_(std::move(listDevices)),
      probeOptions_(std::move(probeOptions)) {
  form_->setupUi(this);
  surface_ = std::make_unique<WidgetSurface>(this);
  filling_ = true;
  ports_ = openPortWindow(*surface_, config_, listDevices_());
  filling_ = false;
  connect(form_->portList, &QComboBox::currentIndexChanged, this, [this] {
    if (!filling_) onPortSelection(*surface_, ports_);
  });
  connect(form_->ok, &QPushButton::clicked, this, [this] {
    if (probing()) return;
    changed_ = acceptPortWindow(*surface_, config_, ports_);
    done(1);
  });
  connect(form_->exit, &QPushButton::clicked, this, [this] { reject(); });
  connect(form_->findKeyer, &QPushButton::clicked, this, [this] { findKeyer(); });
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, [this] { refresh(); });
  refresh_.start();
}

PortDialog::~PortDialog() {
  if (probe_) {
    probe_->wait();
    delete probe_;
  }
}

void PortDialog::refresh() {
  if (probing()) return;
  filling_ = true;
  refreshPortWindow(*surface_, ports_, config_, listDevices_());
  filling_ = false;
}

void PortDialog::findKeyer() {
  if (probing()) return;
  const std::vector<SerialDevice> candidates = ports_.portList;
  beginFindKeyer(*surface_);
  probe_ =
      QThread::create([this, candidates] { results_ = probePorts(candidates, probeOptions_); });
  connect(probe_, &QThread::finished, this, [this] {
    probe_->wait();
    delete probe_;
    probe_ = nullptr;
    filling_ = true;
    showProbeResults(*surface_, ports_, results_);
    filling_ = false;
    Q_EMIT probeFinished();
  });
  probe_->start();
}

// Exit and the close box wait for a running probe: it holds the ports.
void PortDialog::reject() {
  if (probing()) return;
  QDialog::reject();
}

}  // namespace dp3::ui
