#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "ui/widget_surface.hpp"
#include "windows/port_window.hpp"
#include "windows/program_config.hpp"

namespace Ui {
class PortForm;
}

namespace dp3::ui {

// Dialog 1002: the serial devices present; OK makes the chosen one the keyer
// port and saves it, Exit and the close box change nothing.
class PortDialog : public QDialog {
  Q_OBJECT

 public:
  PortDialog(ProgramConfig& config, std::vector<SerialDevice> devices, QWidget* parent);
  ~PortDialog() override;

  WidgetSurface& surface() { return *surface_; }
  bool portChanged() const { return changed_; }

 private:
  std::unique_ptr<Ui::PortForm> form_;
  std::unique_ptr<WidgetSurface> surface_;
  ProgramConfig& config_;
  PortSelection ports_;
  bool changed_ = false;
};

}  // namespace dp3::ui
