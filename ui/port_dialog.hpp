#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "system/program_config.hpp"
#include "ui/widget_surface.hpp"
#include "window_logic/port_window.hpp"

class QThread;

namespace Ui {
class PortForm;
}

namespace dp3::ui {

// Dialog 1002: the serial devices present, kept up to date while it is open;
// a path may be typed; Find Keyer probes every port. OK makes the chosen one
// the keyer port and saves it, Exit and the close box change nothing.
class PortDialog : public QDialog {
  Q_OBJECT

 public:
  using DeviceLister = std::function<std::vector<SerialDevice>()>;

  PortDialog(ProgramConfig& config, DeviceLister listDevices, QWidget* parent,
             ProbeOptions probeOptions = {});
  ~PortDialog() override;

  WidgetSurface& surface() { return *surface_; }
  bool portChanged() const { return changed_; }
  bool probing() const { return probe_ != nullptr; }
  // Find Keyer, as if pressed.
  void findKeyer();

 Q_SIGNALS:
  void probeFinished();

 protected:
  void reject() override;

 private:
  void refresh();

  std::unique_ptr<Ui::PortForm> form_;
  std::unique_ptr<WidgetSurface> surface_;
  ProgramConfig& config_;
  DeviceLister listDevices_;
  ProbeOptions probeOptions_;
  PortSelection ports_;
  QTimer refresh_;
  QThread* probe_ = nullptr;
  std::vector<ProbeResult> results_;
  bool filling_ = false;  // the list is being filled: its signals are not the operator's
  bool changed_ = false;
};

}  // namespace dp3::ui
