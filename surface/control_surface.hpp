// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>
#include <string_view>

namespace dp3 {

// The operator's answer to a question with Yes, No and Cancel.
enum class Answer { Yes, No, Cancel };

// The narrow face of a dialog that window logic talks to, keyed by control id.
// The Qt front end implements it over real widgets; tests and the command line
// implement it with a plain map (MapSurface). A surface ignores ids it does not
// hold, as a dialog without that control would.
class ControlSurface {
 public:
  virtual ~ControlSurface() = default;

  virtual void setText(int id, std::string_view text) = 0;
  virtual std::string text(int id) const = 0;
  // Adds text at the end (the uploader's log); cheaper than setText for long logs.
  virtual void appendText(int id, std::string_view text) = 0;

  virtual void setChecked(int id, bool checked) = 0;
  virtual bool isChecked(int id) const = 0;

  virtual void clearList(int id) = 0;
  virtual void addListEntry(int id, std::string_view text) = 0;
  // index -1 leaves the list with no selection.
  virtual void selectEntry(int id, int index) = 0;
  virtual int selectedEntry(int id) const = 0;  // -1 when nothing is selected

  virtual void setEnabled(int id, bool enabled) = 0;
  virtual void setVisible(int id, bool visible) = 0;
  virtual void setProgress(int id, int percent) = 0;

  // The hint shown when the pointer rests on the control.
  virtual void setToolTip(int /*id*/, std::string_view /*text*/) {}

  // What a screen reader says of the control when its visible text is not
  // enough: its name, and a description (the Play buttons: which box they
  // play, and for how long).
  virtual void describe(int /*id*/, std::string_view /*name*/, std::string_view /*description*/) {}

  // A modal message box with an OK button.
  virtual void showMessage(std::string_view text, std::string_view caption) = 0;

  // The keyboard focus to the control, its text selected (the box a refused
  // value came from).
  virtual void focusControl(int /*id*/) {}

  // A modal question with Yes, No and Cancel. A surface that cannot ask
  // answers No, and the logic goes on as if it had not asked.
  virtual Answer ask(std::string_view /*text*/, std::string_view /*caption*/) { return Answer::No; }
  // A modal question with Yes and No; true for Yes. A surface that cannot
  // ask answers No, so nothing happens that the operator did not agree to.
  virtual bool askYesNo(std::string_view /*text*/, std::string_view /*caption*/) { return false; }
};

}  // namespace dp3
