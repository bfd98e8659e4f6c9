#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "ui/input_hold.hpp"
#include "ui/threaded_surface.hpp"
#include "ui/widget_surface.hpp"
#include "window_logic/uploader_window.hpp"

class QThread;

namespace Ui {
class UploaderForm;
}

namespace dp3::ui {

// Dialog 1003: Load, Program, the progress bar and the log, driven by a 100 ms
// timer while an upload runs. Program's keyer test runs off the window thread;
// Exit and the close box wait for the upload.
class UploaderDialog : public QDialog {
  Q_OBJECT

 public:
  UploaderDialog(Link& link, KeyerInfo& keyer, bool verbose, QWidget* parent);
  ~UploaderDialog() override;

  WidgetSurface& surface() { return *surface_; }
  UploaderWindow& logic() { return *logic_; }
  // Program's checks are still running (before the upload itself starts).
  bool programStarting() const { return starter_ != nullptr; }
  // Exit: held off while Program's checks or the upload run.
  void reject() override;

 Q_SIGNALS:
  // The upload has ended and its result is shown.
  void uploadFinished();
  // Program's checks have ended, with or without starting an upload.
  void programStarted();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void load();
  void program();
  void tick();
  bool busy() const { return starter_ || logic_->uploadRunning(); }

  std::unique_ptr<Ui::UploaderForm> form_;
  std::unique_ptr<WidgetSurface> surface_;
  std::unique_ptr<ThreadedSurface> threaded_;
  std::unique_ptr<UploaderWindow> logic_;
  InputHold hold_;
  QTimer timer_;
  QThread* starter_ = nullptr;
};

}  // namespace dp3::ui
