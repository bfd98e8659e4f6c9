#pragma once

#include <string>

#include "system/program_config.hpp"

namespace dp3 {

// The operator's texts for the core's results, made here and only here, so
// the windows and dp3 say the same thing for the same outcome.

// The "Error" box for a failed load or save of the program configuration.
std::string configResultText(const ConfigResult& result, const ProgramConfig& config);

}  // namespace dp3
