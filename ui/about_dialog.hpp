#pragma once

#include <QDialog>
#include <memory>

#include "app/about_window.hpp"
#include "ui/widget_surface.hpp"

namespace Ui {
class AboutWindow;
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
  std::unique_ptr<Ui::AboutWindow> form_;
  std::unique_ptr<WidgetSurface> surface_;
  AboutState& state_;
};

}  // namespace dp3::ui
