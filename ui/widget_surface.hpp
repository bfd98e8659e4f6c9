// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>

#include "surface/control_surface.hpp"

namespace dp3::ui {

// Where message boxes go. Unset: a modal warning box over the window. Tests set
// it to capture the texts.
using MessageSink = std::function<void(const QString& text, const QString& caption)>;
void setMessageSink(MessageSink sink);

// Where Yes/No/Cancel questions go. Unset: a modal question box over the
// window. Tests set it to answer.
using QuestionSink = std::function<Answer(const QString& text, const QString& caption)>;
void setQuestionSink(QuestionSink sink);

// The id a widget carries in its dialog template (-1 when none).
int controlIdOf(const QWidget* widget);

// The one adapter from control ids to widgets: every widget of a dialog that
// carries a controlId property answers to that id. For the window thread only.
class WidgetSurface : public ControlSurface {
 public:
  explicit WidgetSurface(QWidget* dialog);

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
  void describe(int id, std::string_view name, std::string_view description) override;
  void showMessage(std::string_view text, std::string_view caption) override;
  void focusControl(int id) override;
  Answer ask(std::string_view text, std::string_view caption) override;
  // With a message sink set the question goes there and is answered Yes.
  bool askYesNo(std::string_view text, std::string_view caption) override;

  // The widget answering to id, nullptr when the dialog has none.
  QWidget* widget(int id) const;
  // Every widget that answers to an id.
  const std::map<int, QWidget*>& widgets() const { return widgets_; }
  QWidget* dialog() const { return dialog_; }

 private:
  QPointer<QWidget> dialog_;
  std::map<int, QWidget*> widgets_;
};

}  // namespace dp3::ui
