#pragma once

#include <string>

#include "surface/control_surface.hpp"

namespace dp3 {

inline constexpr const char* kProgramVersion = "5.3";
inline constexpr const char* kBuildDate = "Apr 29 2019";
inline constexpr const char* kBuildTime = "12:08:37";
inline constexpr const char* kAboutCaption = "DP3tools 5.3  About";
inline constexpr const char* kGuideAddress = "Operating guide: README.md in the DP3tools sources";

// Process-wide: the uploader logs every block while set. Not saved between runs.
struct AboutState {
  bool verboseFlag = false;
};

// "Ver 5.3, Built 12:08:37, Apr 29 2019".
std::string versionLine();
// "Operating System is Linux" (the system the program runs on).
std::string systemLine();

// Fills the About window: version, system, guide line, the verbose box.
void openAboutWindow(ControlSurface& ui, const AboutState& state);
// OK: the verbose flag follows the box. Closing otherwise leaves it alone.
void acceptAboutWindow(const ControlSurface& ui, AboutState& state);

}  // namespace dp3
