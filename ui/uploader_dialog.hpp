#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "firmware/uploader_window.hpp"
#include "link/interface_test.hpp"
#include "link/link.hpp"
#include "ui/widget_surface.hpp"

namespace Ui {
class UploaderWindow;
}

namespace dp3::ui {

// Dialog 1003: Load, Program, the progress bar and the log, driven by a 100 ms
// timer while an upload runs. Exit and the close box wait for the upload.
class UploaderDialog : public QDialog {
  Q_OBJECT

 public:
  UploaderDialog(Link& link, KeyerInfo& keyer, bool verbose, QWidget* parent);
  ~UploaderDialog() override;

  WidgetSurface& surface() { return *surface_; }
  UploaderWindow& logic() { return *logic_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void load();
  void program();
  void tick();
  void showRunning();

  std::unique_ptr<Ui::UploaderWindow> form_;
  std::unique_ptr<WidgetSurface> surface_;
  std::unique_ptr<UploaderWindow> logic_;
  QTimer timer_;
};

}  // namespace dp3::ui
