#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "ui/widget_surface.hpp"
#include "window_logic/about_window.hpp"

namespace Ui {
class AboutForm;
}

namespace dp3::ui {

// Dialog 1004. OK takes the verbose and trace boxes into state; the close box
// leaves them. A trace switched on goes to a new file in traceDir.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(AboutState& state, QWidget* parent, std::string traceDir = {});
  ~AboutDialog() override;

  WidgetSurface& surface() { return *surface_; }
  // OK switched the trace on or off.
  bool traceChanged() const { return traceChanged_; }

 private:
  std::unique_ptr<Ui::AboutForm> form_;
  std::unique_ptr<WidgetSurface> surface_;
  AboutState& state_;
  std::string traceDir_;
  bool traceChanged_ = false;
};

}  // namespace dp3::ui
