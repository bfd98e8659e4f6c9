// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/messages_view.hpp"

#include "window_logic/setting_controls.hpp"

namespace dp3 {

void showMessages(ControlSurface& ui, const SettingsImage& image) {
  const MessageTexts texts = pageTexts(image);
  for (std::size_t i = 0; i < texts.size(); ++i)
    ui.setText(controlOf(kTextFields[i].label), texts[i]);
}

bool storeMessages(ControlSurface& ui, SettingsImage& image) {
  const auto refused = storeTexts(messageBoxTexts(ui), image);
  if (!refused) return true;
  ui.showMessage(refused->text, "Error");
  ui.focusControl(controlOf(refused->label));
  return false;
}

MessageTexts messageBoxTexts(const ControlSurface& ui) {
  MessageTexts texts;
  for (std::size_t i = 0; i < texts.size(); ++i)
    texts[i] = ui.text(controlOf(kTextFields[i].label));
  return texts;
}

int countMessageBytes(const ControlSurface& ui) {
  return countMessageBytes(messageBoxTexts(ui));
}

void showMessageBank(ControlSurface& ui, int bank) {
  const bool first = bank != 2;
  for (int i = 0; i < 6; ++i) {
    ui.setVisible(id::kMsg1 + i, first);
    ui.setVisible(id::kMsgLabel1 + i, first);
    ui.setVisible(id::kMsg7 + i, !first);
    ui.setVisible(id::kMsgLabel7 + i, !first);
  }
}

bool messageKeyFilter(const ControlSurface& ui, unsigned character) {
  return messageKeyFilter(messageBoxTexts(ui), character);
}

}  // namespace dp3
