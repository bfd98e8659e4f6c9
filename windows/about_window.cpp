#include "windows/about_window.hpp"

#include "surface/control_ids.hpp"
#include "windows/platform.hpp"

namespace dp3 {

std::string versionLine() {
  return std::string("Ver ") + kProgramVersion + ", Built " + kBuildTime + ", " + kBuildDate;
}

std::string systemLine() {
  const std::string name = operatingSystemName();
  return "Operating System is " + (name.empty() ? std::string("unknown") : name);
}

void openAboutWindow(ControlSurface& ui, const AboutState& state) {
  ui.setText(id::kAboutVersion, versionLine());
  ui.setText(id::kAboutSystem, systemLine());
  ui.setText(id::kAboutGuide, kGuideAddress);
  ui.setChecked(id::kVerboseMode, state.verboseFlag);
}

void acceptAboutWindow(const ControlSurface& ui, AboutState& state) {
  state.verboseFlag = ui.isChecked(id::kVerboseMode);
}

}  // namespace dp3
