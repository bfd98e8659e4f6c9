// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/input_hold.hpp"

#include <QApplication>
#include <QEvent>

namespace dp3::ui {

void InputHold::hold() {
  if (holding_) return;
  holding_ = true;
  qApp->installEventFilter(this);
}

void InputHold::release() {
  if (!holding_) return;
  holding_ = false;
  qApp->removeEventFilter(this);
}

bool InputHold::eventFilter(QObject* target, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(target);
  if (!widget || !window_ || widget->window() != window_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
      return true;
    default:
      return false;
  }
}

}  // namespace dp3::ui
