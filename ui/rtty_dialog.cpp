#include "ui/rtty_dialog.hpp"

#include <QPushButton>

#include "ui_rtty_form.h"
#include "window_logic/rtty_view.hpp"

namespace dp3::ui {

RttyDialog::RttyDialog(SettingsImage& image, int user, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::RttyForm>()) {
  form_->setupUi(this);
  surface_ = std::make_unique<WidgetSurface>(this);
  openRttyWindow(*surface_, image, user);
  connect(form_->ok, &QPushButton::clicked, this, [this, &image, user] {
    acceptRttyWindow(*surface_, image, user);
    done(1);
  });
  connect(form_->cancel, &QPushButton::clicked, this, [this] { done(0); });
}

RttyDialog::~RttyDialog() = default;

}  // namespace dp3::ui
