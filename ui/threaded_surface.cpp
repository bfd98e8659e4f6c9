#include "ui/threaded_surface.hpp"

#include <QMetaObject>
#include <QThread>
#include <string>

namespace dp3::ui {

template <class F>
void ThreadedSurface::onWindowThread(F&& f) const {
  if (QThread::currentThread() == window_->thread()) {
    f();
  } else {
    QMetaObject::invokeMethod(window_, std::forward<F>(f), Qt::BlockingQueuedConnection);
  }
}

// The views passed in may die with the caller's temporaries; the worker waits
// for each call, so they live long enough.
void ThreadedSurface::setText(int id, std::string_view text) {
  onWindowThread([&] { target_.setText(id, text); });
}

std::string ThreadedSurface::text(int id) const {
  std::string result;
  onWindowThread([&] { result = target_.text(id); });
  return result;
}

void ThreadedSurface::appendText(int id, std::string_view text) {
  onWindowThread([&] { target_.appendText(id, text); });
}

void ThreadedSurface::setChecked(int id, bool checked) {
  onWindowThread([&] { target_.setChecked(id, checked); });
}

bool ThreadedSurface::isChecked(int id) const {
  bool result = false;
  onWindowThread([&] { result = target_.isChecked(id); });
  return result;
}

void ThreadedSurface::clearList(int id) {
  onWindowThread([&] { target_.clearList(id); });
}

void ThreadedSurface::addListEntry(int id, std::string_view text) {
  onWindowThread([&] { target_.addListEntry(id, text); });
}

void ThreadedSurface::selectEntry(int id, int index) {
  onWindowThread([&] { target_.selectEntry(id, index); });
}

int ThreadedSurface::selectedEntry(int id) const {
  int result = -1;
  onWindowThread([&] { result = target_.selectedEntry(id); });
  return result;
}

void ThreadedSurface::setEnabled(int id, bool enabled) {
  onWindowThread([&] { target_.setEnabled(id, enabled); });
}

void ThreadedSurface::setVisible(int id, bool visible) {
  onWindowThread([&] { target_.setVisible(id, visible); });
}

void ThreadedSurface::setProgress(int id, int percent) {
  onWindowThread([&] { target_.setProgress(id, percent); });
}

void ThreadedSurface::setToolTip(int id, std::string_view text) {
  onWindowThread([&] { target_.setToolTip(id, text); });
}

void ThreadedSurface::showMessage(std::string_view text, std::string_view caption) {
  onWindowThread([&] { target_.showMessage(text, caption); });
}

void ThreadedSurface::focusControl(int id) {
  onWindowThread([&] { target_.focusControl(id); });
}

Answer ThreadedSurface::ask(std::string_view text, std::string_view caption) {
  Answer answer = Answer::Cancel;
  onWindowThread([&] { answer = target_.ask(text, caption); });
  return answer;
}

bool ThreadedSurface::askYesNo(std::string_view text, std::string_view caption) {
  bool yes = false;
  onWindowThread([&] { yes = target_.askYesNo(text, caption); });
  return yes;
}

}  // namespace dp3::ui
