// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace dp3::ui {

// Holds off the operator's input to one window while work runs, the way a
// window that is busy on its own thread would, but keeps it painting. Message
// boxes and other windows still take input; the close box reaches the window,
// whose logic decides.
class InputHold : public QObject {
 public:
  explicit InputHold(QWidget* window) : window_(window) {}
  ~InputHold() override { release(); }

  void hold();
  void release();

 protected:
  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  bool holding_ = false;
};

}  // namespace dp3::ui
