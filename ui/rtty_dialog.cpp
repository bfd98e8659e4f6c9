#include "ui/rtty_dialog.hpp"

#include <QPushButton>

#include "settings/rtty.hpp"
#include "ui_rtty_window.h"

namespace dp3::ui {

RttyDialog::RttyDialog(SettingsImage& image, int user, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::RttyWindow>()) {
  form_->setupUi(this);
  surface_ = std::make_unique<WidgetSurface>(this);
  OpenRttyWindow(*surface_, image, user);
  connect(form_->ok, &QPushButton::clicked, this, [this, &image, user] {
    AcceptRttyWindow(*surface_, image, user);
    done(1);
  });
  connect(form_->cancel, &QPushButton::clicked, this, [this] { done(0); });
}

RttyDialog::~RttyDialog() = default;

}  // namespace dp3::ui
