#include "ui/about_dialog.hpp"

#include <QPushButton>

#include "surface/control_ids.hpp"
#include "ui/resources.hpp"
#include "ui_about_form.h"

namespace dp3::ui {

AboutDialog::AboutDialog(AboutState& state, QWidget* parent, std::string traceDir)
    : QDialog(parent),
      form_(std::make_unique<Ui::AboutForm>()),
      state_(state),
      traceDir_(std::move(traceDir)) {
  initResources();
  form_->setupUi(this);
  setWindowTitle(kAboutCaption);
  surface_ = std::make_unique<WidgetSurface>(this);
  openAboutWindow(*surface_, state_);
  connect(form_->ok, &QPushButton::clicked, this, [this] {
    traceChanged_ = acceptAboutWindow(*surface_, state_, traceDir_);
    done(1);
  });
}

AboutDialog::~AboutDialog() = default;

}  // namespace dp3::ui
