// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "web/dom_surface.hpp"

#include <emscripten.h>

#include <cstdlib>

#include "web/page_face.hpp"

// The blocks below are JavaScript, left as written.
// clang-format off
EM_JS(int, dp3Control, (int dialog, int id, int operation, int number, const char* text), {
  return Module.face.control(dialog, id, operation, number, text ? UTF8ToString(text) : "");
});
EM_JS(char*, dp3ControlText, (int dialog, int id), {
  return allocateUTF8(Module.face.text(dialog, id));
});
EM_JS(void, dp3ShowMessage, (const char* text, const char* caption), {
  Module.face.message(UTF8ToString(text), UTF8ToString(caption));
});
EM_ASYNC_JS(int, dp3Ask, (const char* text, const char* caption, int withCancel), {
  return await Module.face.ask(UTF8ToString(text), UTF8ToString(caption), withCancel !== 0);
});
// clang-format on

namespace dp3::web {

namespace {

// What page.js does to a control (Module.face.control).
enum Operation {
  kSetText = 1,
  kAppendText,
  kSetChecked,
  kIsChecked,
  kClearList,
  kAddEntry,
  kSelectEntry,
  kSelectedEntry,
  kSetEnabled,
  kSetVisible,
  kSetProgress,
  kSetToolTip,
  kFocus,
};

// The answers of Module.face.ask.
constexpr int kYes = 0;
constexpr int kNo = 1;

}  // namespace

int DomSurface::control(int id, int operation, int number, std::string_view text) const {
  const std::string terminated(text);
  return dp3Control(dialogId_, id, operation, number, terminated.c_str());
}

void DomSurface::setText(int id, std::string_view text) {
  control(id, kSetText, 0, text);
}

std::string DomSurface::text(int id) const {
  char* got = dp3ControlText(dialogId_, id);
  std::string text = got ? got : "";
  std::free(got);
  return text;
}

void DomSurface::appendText(int id, std::string_view text) {
  control(id, kAppendText, 0, text);
}

void DomSurface::setChecked(int id, bool checked) {
  control(id, kSetChecked, checked ? 1 : 0);
}

bool DomSurface::isChecked(int id) const {
  return control(id, kIsChecked) != 0;
}

void DomSurface::clearList(int id) {
  control(id, kClearList);
}

void DomSurface::addListEntry(int id, std::string_view text) {
  control(id, kAddEntry, 0, text);
}

void DomSurface::selectEntry(int id, int index) {
  control(id, kSelectEntry, index);
}

int DomSurface::selectedEntry(int id) const {
  return control(id, kSelectedEntry);
}

void DomSurface::setEnabled(int id, bool enabled) {
  control(id, kSetEnabled, enabled ? 1 : 0);
}

void DomSurface::setVisible(int id, bool visible) {
  control(id, kSetVisible, visible ? 1 : 0);
}

void DomSurface::setProgress(int id, int percent) {
  control(id, kSetProgress, percent);
}

void DomSurface::setToolTip(int id, std::string_view text) {
  control(id, kSetToolTip, 0, text);
}

void DomSurface::showMessage(std::string_view text, std::string_view caption) {
  dp3ShowMessage(std::string(text).c_str(), std::string(caption).c_str());
}

void DomSurface::focusControl(int id) {
  control(id, kFocus);
}

// A question waits for its answer; where the page cannot wait (an event
// taken while other work waits on the line) it answers as a surface that
// cannot ask.
Answer DomSurface::ask(std::string_view text, std::string_view caption) {
  if (!mayWait()) return Answer::No;
  const int answer = dp3Ask(std::string(text).c_str(), std::string(caption).c_str(), 1);
  return answer == kYes ? Answer::Yes : answer == kNo ? Answer::No : Answer::Cancel;
}

bool DomSurface::askYesNo(std::string_view text, std::string_view caption) {
  if (!mayWait()) return false;
  return dp3Ask(std::string(text).c_str(), std::string(caption).c_str(), 0) == kYes;
}

}  // namespace dp3::web
