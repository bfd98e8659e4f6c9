#pragma once

#include <QDialog>
#include <memory>

#include "settings/settings_image.hpp"
#include "ui/widget_surface.hpp"

namespace Ui {
class RttyForm;
}

namespace dp3::ui {

// Dialog 1005 over the current user's two RTTY bytes. Ok stores them; Cancel,
// Enter and the close box leave the image as it was.
class RttyDialog : public QDialog {
  Q_OBJECT

 public:
  RttyDialog(SettingsImage& image, int user, QWidget* parent);
  ~RttyDialog() override;

  WidgetSurface& surface() { return *surface_; }

 private:
  std::unique_ptr<Ui::RttyForm> form_;
  std::unique_ptr<WidgetSurface> surface_;
};

}  // namespace dp3::ui
