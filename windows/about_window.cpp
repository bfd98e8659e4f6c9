#include "windows/about_window.hpp"

#include <sys/utsname.h>

#include "surface/control_ids.hpp"

namespace dp3 {

std::string versionLine() {
  return std::string("Ver ") + kProgramVersion + ", Built " + kBuildTime + ", " + kBuildDate;
}

std::string systemLine() {
  utsname name{};
  if (::uname(&name) != 0 || name.sysname[0] == '\0') return "Operating System is unknown";
  return std::string("Operating System is ") + name.sysname;
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
