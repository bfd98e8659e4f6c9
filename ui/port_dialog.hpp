#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "app/program_config.hpp"
#include "link/port_selection.hpp"
#include "ui/widget_surface.hpp"

namespace Ui {
class PortWindow;
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
  std::unique_ptr<Ui::PortWindow> form_;
  std::unique_ptr<WidgetSurface> surface_;
  ProgramConfig& config_;
  PortSelection ports_;
  bool changed_ = false;
};

}  // namespace dp3::ui
