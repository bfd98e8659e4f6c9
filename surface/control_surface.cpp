// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "surface/control_surface.hpp"

#include <string>

#include "surface/map_surface.hpp"

namespace dp3 {

void MapSurface::setText(int id, std::string_view text) {
  controls_[id].text = text;
}
std::string MapSurface::text(int id) const {
  return control(id).text;
}
void MapSurface::appendText(int id, std::string_view text) {
  controls_[id].text += text;
}
void MapSurface::setChecked(int id, bool checked) {
  controls_[id].checked = checked;
}
bool MapSurface::isChecked(int id) const {
  return control(id).checked;
}

void MapSurface::clearList(int id) {
  controls_[id].entries.clear();
  controls_[id].selection = -1;
}

void MapSurface::addListEntry(int id, std::string_view text) {
  controls_[id].entries.emplace_back(text);
}

void MapSurface::selectEntry(int id, int index) {
  Control& c = controls_[id];
  c.selection = (index >= 0 && index < static_cast<int>(c.entries.size())) ? index : -1;
}

int MapSurface::selectedEntry(int id) const {
  return control(id).selection;
}
void MapSurface::setEnabled(int id, bool enabled) {
  controls_[id].enabled = enabled;
}
void MapSurface::setVisible(int id, bool visible) {
  controls_[id].visible = visible;
}
void MapSurface::setProgress(int id, int percent) {
  controls_[id].progress = percent;
}

void MapSurface::setToolTip(int id, std::string_view text) {
  controls_[id].toolTip = text;
}

void MapSurface::describe(int id, std::string_view name, std::string_view description) {
  controls_[id].name = name;
  controls_[id].description = description;
}

void MapSurface::showMessage(std::string_view text, std::string_view caption) {
  messages.push_back({std::string(text), std::string(caption)});
}

Answer MapSurface::ask(std::string_view text, std::string_view caption) {
  questions.push_back({std::string(text), std::string(caption)});
  return answer;
}

bool MapSurface::askYesNo(std::string_view text, std::string_view caption) {
  questions.push_back({std::string(text), std::string(caption)});
  return answerYes;
}

const MapSurface::Control& MapSurface::control(int id) const {
  static const Control untouched;
  const auto it = controls_.find(id);
  return it == controls_.end() ? untouched : it->second;
}

}  // namespace dp3
