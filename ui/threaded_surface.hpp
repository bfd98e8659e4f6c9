#pragma once

#include <QObject>

#include "surface/control_surface.hpp"

namespace dp3::ui {

// Lets keyer work on a worker thread talk to a window: each call runs on the
// window's thread and the worker waits for it, so the window logic keeps its
// order (a message box is answered before the command goes on) and no widget
// is touched off its thread. Called on the window's thread, calls go straight through.
class ThreadedSurface : public ControlSurface {
 public:
  ThreadedSurface(ControlSurface& target, QObject* window) : target_(target), window_(window) {}

  void setText(int id, std::string_view text) override;
  std::string text(int id) const override;
  void appendText(int id, std::string_view text) override;
  void setChecked(int id, bool checked) override;
  bool isChecked(int id) const override;
  void clearList(int id) override;
  void addListEntry(int id, std::string_view text) override;
  void selectEntry(int id, int index) override;
  int selectedEntry(int id) const override;
  void setEnabled(int id, bool enabled) override;
  void setVisible(int id, bool visible) override;
  void setProgress(int id, int percent) override;
  void setToolTip(int id, std::string_view text) override;
  void showMessage(std::string_view text, std::string_view caption) override;
  void focusControl(int id) override;
  Answer ask(std::string_view text, std::string_view caption) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;

 private:
  template <class F>
  void onWindowThread(F&& f) const;

  ControlSurface& target_;
  QObject* window_;
};

}  // namespace dp3::ui
