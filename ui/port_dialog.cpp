#include "ui/port_dialog.hpp"

#include <QPushButton>

#include "ui_port_form.h"

namespace dp3::ui {

PortDialog::PortDialog(ProgramConfig& config, std::vector<SerialDevice> devices, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::PortForm>()), config_(config) {
  form_->setupUi(this);
  surface_ = std::make_unique<WidgetSurface>(this);
  ports_ = openPortWindow(*surface_, config_, std::move(devices));
  connect(form_->ok, &QPushButton::clicked, this, [this] {
    changed_ = acceptPortWindow(*surface_, config_, ports_);
    done(1);
  });
  connect(form_->exit, &QPushButton::clicked, this, [this] { done(0); });
}

PortDialog::~PortDialog() = default;

}  // namespace dp3::ui
