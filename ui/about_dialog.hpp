#pragma once

#include <QDialog>
#include <memory>

#include "ui/widget_surface.hpp"
#include "windows/about_window.hpp"

namespace Ui {
class AboutForm;
}

namespace dp3::ui {

// Dialog 1004. OK takes the verbose box into state; the close box leaves it.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(AboutState& state, QWidget* parent);
  ~AboutDialog() override;

  WidgetSurface& surface() { return *surface_; }

 private:
  std::unique_ptr<Ui::AboutForm> form_;
  std::unique_ptr<WidgetSurface> surface_;
  AboutState& state_;
};

}  // namespace dp3::ui
