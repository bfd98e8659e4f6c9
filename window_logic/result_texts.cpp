#include "window_logic/result_texts.hpp"

namespace dp3 {

std::string configResultText(const ConfigResult& result, const ProgramConfig& config) {
  switch (result.kind) {
    case ConfigResult::Kind::Done:
      return {};
    case ConfigResult::Kind::NoPlace:
      return "No place for the program configuration: neither HOME nor XDG_CONFIG_HOME names a "
             "folder.";
    case ConfigResult::Kind::ReadFailed:
      return "Read file failed.";
    case ConfigResult::Kind::SaveFailed:
      return "CFG File SAve Failed.\n" + config.configFilePath.string() + ": " + result.reason;
  }
  return {};
}

}  // namespace dp3
