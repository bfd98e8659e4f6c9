// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>
#include <string_view>

#include "surface/control_surface.hpp"

namespace dp3::web {

// A window's controls in the page: the elements "d<dialog>-<id>" the page was
// built with from the forms (page.js carries out each call on its element).
// Messages show without waiting for OK; a question waits for its answer.
class DomSurface : public ControlSurface {
 public:
  explicit DomSurface(int dialogId) : dialogId_(dialogId) {}

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
  int control(int id, int operation, int number = 0, std::string_view text = {}) const;

  int dialogId_;
};

}  // namespace dp3::web
