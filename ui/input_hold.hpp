#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace dp3::ui {

// Holds off the operator's input to one window while keyer work runs, the way
// a window that is busy on its own thread would, but keeps it painting.
// Message boxes and other windows still take input; closing the window waits.
class InputHold : public QObject {
 public:
  explicit InputHold(QWidget* window) : window_(window) {}
  ~InputHold() override { release(); }

  void hold();
  void release();
  bool holding() const { return holding_; }
  // The window's close was asked for while held; done once the work ends.
  bool closeRequested() const { return closeRequested_; }

 protected:
  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  bool holding_ = false;
  bool closeRequested_ = false;
};

}  // namespace dp3::ui
