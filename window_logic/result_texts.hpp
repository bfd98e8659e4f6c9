#pragma once

#include <string>

#include "system/file_result.hpp"
#include "system/program_config.hpp"

namespace dp3 {

// The operator's texts for the core's results, made here and only here, so
// the windows and dp3 say the same thing for the same outcome.

// The "Error" box for a failed load or save of the program configuration.
std::string configResultText(const ConfigResult& result, const ProgramConfig& config);

// Files.

// What went wrong with a file: "PATH: REASON", or the reason alone when no
// name was given.
std::string fileProblemText(const FileResult& result);

// The "Error" box of a settings file that did not load: "File Not Found",
// "Invalid file." or "Read Settings file failed.".
std::string settingsLoadText(const FileResult& result);

// The "Error" box of a settings file that was not saved: "Can't open Settings
// file for write" (with what was refused after ": "), or "Export Log File
// Failed." when its bytes could not be written.
std::string settingsSaveText(const FileResult& result);

// Why a backup of the keyer's settings could not be kept.
std::string backupResultText(const FileResult& result);

}  // namespace dp3
