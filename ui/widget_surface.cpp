// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/widget_surface.hpp"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>
#include <utility>

namespace dp3::ui {

namespace {

MessageSink& messageSink() {
  static MessageSink sink;
  return sink;
}

QuestionSink& questionSink() {
  static QuestionSink sink;
  return sink;
}

QString toQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A multi-line box holds line breaks as "\n"; the window logic counts and
// stores them as the keyer's two characters, carriage return and line feed.
QString toEditor(std::string_view text) {
  QString converted = toQt(text);
  converted.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  converted.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return converted;
}

std::string fromEditor(QString text) {
  text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return text.toStdString();
}

}  // namespace

void setMessageSink(MessageSink sink) {
  messageSink() = std::move(sink);
}

void setQuestionSink(QuestionSink sink) {
  questionSink() = std::move(sink);
}

int controlIdOf(const QWidget* widget) {
  bool ok = false;
  const int id = widget->property("controlId").toInt(&ok);
  return ok ? id : -1;
}

WidgetSurface::WidgetSurface(QWidget* dialog) : dialog_(dialog) {
  for (QWidget* child : dialog->findChildren<QWidget*>()) {
    const int id = controlIdOf(child);
    if (id >= 0) widgets_.emplace(id, child);
  }
}

QWidget* WidgetSurface::widget(int id) const {
  const auto it = widgets_.find(id);
  return it == widgets_.end() ? nullptr : it->second;
}

void WidgetSurface::setText(int id, std::string_view text) {
  QWidget* w = widget(id);
  if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(toQt(text));
  } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(toQt(text));
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
    edit->setPlainText(toEditor(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(toQt(text));
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    group->setTitle(toQt(text));
  }
}

std::string WidgetSurface::text(int id) const {
  QWidget* w = widget(id);
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  if (auto* line = qobject_cast<QLineEdit*>(w)) return line->text().toStdString();
  if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) return fromEditor(edit->toPlainText());
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
  if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title().toStdString();
  return {};
}

void WidgetSurface::appendText(int id, std::string_view text) {
  QWidget* w = widget(id);
  if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
    // The view follows new lines unless the operator has scrolled back to read.
    QScrollBar* bar = edit->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    QTextCursor end(edit->document());
    end.movePosition(QTextCursor::End);
    end.insertText(toEditor(text));
    if (following) bar->setValue(bar->maximum());
  } else if (w) {
    setText(id, this->text(id) + std::string(text));
  }
}

void WidgetSurface::setChecked(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget(id))) button->setChecked(checked);
}

bool WidgetSurface::isChecked(int id) const {
  auto* button = qobject_cast<QAbstractButton*>(widget(id));
  return button && button->isChecked();
}

void WidgetSurface::clearList(int id) {
  if (auto* box = qobject_cast<QComboBox*>(widget(id))) box->clear();
}

void WidgetSurface::addListEntry(int id, std::string_view text) {
  if (auto* box = qobject_cast<QComboBox*>(widget(id))) {
    // Adding to an empty list would select the entry; the window decides that.
    const int selection = box->currentIndex();
    box->addItem(toQt(text));
    box->setCurrentIndex(selection);
  }
}

void WidgetSurface::selectEntry(int id, int index) {
  if (auto* box = qobject_cast<QComboBox*>(widget(id))) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
  }
}

int WidgetSurface::selectedEntry(int id) const {
  auto* box = qobject_cast<QComboBox*>(widget(id));
  return box ? box->currentIndex() : -1;
}

void WidgetSurface::setEnabled(int id, bool enabled) {
  if (QWidget* w = widget(id)) w->setEnabled(enabled);
}

void WidgetSurface::setVisible(int id, bool visible) {
  if (QWidget* w = widget(id)) w->setVisible(visible);
}

void WidgetSurface::setProgress(int id, int percent) {
  if (auto* bar = qobject_cast<QProgressBar*>(widget(id))) bar->setValue(percent);
}

void WidgetSurface::setToolTip(int id, std::string_view text) {
  if (QWidget* w = widget(id)) {
    const QString tip = toQt(text);
    if (w->toolTip() != tip) w->setToolTip(tip);
  }
}

// Set only on a change: each setting is an event a screen reader hears.
void WidgetSurface::describe(int id, std::string_view name, std::string_view description) {
  QWidget* w = widget(id);
  if (!w) return;
  if (const QString n = toQt(name); w->accessibleName() != n) w->setAccessibleName(n);
  if (const QString d = toQt(description); w->accessibleDescription() != d) {
    w->setAccessibleDescription(d);
  }
}

void WidgetSurface::showMessage(std::string_view text, std::string_view caption) {
  if (messageSink()) {
    messageSink()(toQt(text), toQt(caption));
    return;
  }
  QMessageBox::warning(dialog_, toQt(caption), toQt(text));
}

void WidgetSurface::focusControl(int id) {
  QWidget* w = widget(id);
  if (!w) return;
  w->setFocus(Qt::OtherFocusReason);
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->selectAll();
  if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) edit->selectAll();
}

Answer WidgetSurface::ask(std::string_view text, std::string_view caption) {
  if (questionSink()) return questionSink()(toQt(text), toQt(caption));
  switch (QMessageBox::question(dialog_, toQt(caption), toQt(text),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Yes)) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

bool WidgetSurface::askYesNo(std::string_view text, std::string_view caption) {
  if (messageSink()) {
    messageSink()(toQt(text), toQt(caption));
    return true;
  }
  return QMessageBox::question(dialog_, toQt(caption), toQt(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace dp3::ui
