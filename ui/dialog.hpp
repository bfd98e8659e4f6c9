// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "ui/input_hold.hpp"
#include "ui/sound_out.hpp"
#include "ui/widget_surface.hpp"
#include "window_logic/window_face.hpp"

class QThread;

namespace dp3::ui {

// Any of the five dialogs as the Qt face of its window logic: builds the form
// of its dialog id, forwards every click, list choice, typed character, Esc,
// the close box and the timer to the logic, and does what only a face can
// (WindowFace). It decides nothing.
class Dialog : public QDialog, public WindowFace {
  Q_OBJECT

 public:
  Dialog(int dialogId, const MakeLogic& make, QWidget* parent = nullptr);
  ~Dialog() override;

  WidgetSurface& surface() { return *surface_; }
  WindowLogic& logic() { return *logic_; }
  // Work started off the window thread has not ended yet.
  bool working() const { return !workers_.empty(); }
  // Where Play sends its sound (the main window's default audio output unless
  // a test sets another).
  void setSoundOut(std::unique_ptr<SoundOut> sound);
  SoundOut& sound() { return *sound_; }

  void runOffWindowThread(std::function<void()> work, std::function<void()> done) override;
  void runOnWindowThread(const std::function<void()>& call) override;
  void holdInput(bool hold) override;
  void closeWindow() override;
  void runWindow(int dialogId, const MakeLogic& make) override;
  std::string chooseFile(FileChoice choice, const std::string& folder) override;
  std::string soundUnavailable() const override;
  bool playSound(std::unique_ptr<PcmRenderer> pcm) override;
  void stopSound() override;
  WindowRect windowRect() const override;
  WindowRect screenArea() const override;
  void placeWindow(const WindowRect& place) override;
  int scalePercent() const override;

 Q_SIGNALS:
  // Work run off the window thread has ended, and so has what follows it.
  void workFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  void buildForm();
  void setUpTextBoxes();
  void applyNames();
  void sizeMainWindow();
  void wireControls();

  int dialogId_;
  std::unique_ptr<WidgetSurface> surface_;
  std::unique_ptr<SoundOut> sound_;
  InputHold hold_;
  QTimer timer_;
  std::vector<QThread*> workers_;
  bool closing_ = false;   // torn down: work that ends now is not followed up
  bool retyping_ = false;  // a typed letter goes in again as its capital
  std::unique_ptr<WindowLogic> logic_;
};

}  // namespace dp3::ui
