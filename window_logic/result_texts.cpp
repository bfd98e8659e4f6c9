#include "window_logic/result_texts.hpp"

namespace dp3 {

std::string configResultText(const ConfigResult& result, const ProgramConfig&) {
  switch (result.kind) {
    case FileResult::Kind::Done:
      return {};
    case FileResult::Kind::NoPlace:
      return "No place for the program configuration: neither HOME nor XDG_CONFIG_HOME names a "
             "folder.";
    case FileResult::Kind::Refused:
    case FileResult::Kind::Create:
    case FileResult::Kind::Write:
      return "CFG File SAve Failed.\n" + fileProblemText(result);
    case FileResult::Kind::Missing:
    case FileResult::Kind::NotRegular:
    case FileResult::Kind::TooLarge:
    case FileResult::Kind::Invalid:
    case FileResult::Kind::Read:
      break;
  }
  return "Read file failed.";
}

// Files.

std::string fileProblemText(const FileResult& result) {
  if (result.path.empty()) return result.reason;
  return result.path.string() + ": " + result.reason;
}

std::string settingsLoadText(const FileResult& result) {
  switch (result.kind) {
    case FileResult::Kind::Done:
      return {};
    case FileResult::Kind::Missing:
      return "File Not Found";
    case FileResult::Kind::NotRegular:
    case FileResult::Kind::TooLarge:
    case FileResult::Kind::Invalid:
      return "Invalid file.";
    case FileResult::Kind::Refused:
    case FileResult::Kind::Create:
    case FileResult::Kind::Write:
    case FileResult::Kind::Read:
    case FileResult::Kind::NoPlace:
      break;
  }
  return "Read Settings file failed.";
}

std::string settingsSaveText(const FileResult& result) {
  switch (result.kind) {
    case FileResult::Kind::Done:
      return {};
    case FileResult::Kind::Refused:
      return "Can't open Settings file for write: " + fileProblemText(result);
    case FileResult::Kind::Write:
      return "Export Log File Failed.";
    case FileResult::Kind::Create:
    case FileResult::Kind::Missing:
    case FileResult::Kind::NotRegular:
    case FileResult::Kind::TooLarge:
    case FileResult::Kind::Invalid:
    case FileResult::Kind::Read:
    case FileResult::Kind::NoPlace:
      break;
  }
  return "Can't open Settings file for write";
}

std::string backupResultText(const FileResult& result) {
  if (result.kind == FileResult::Kind::NoPlace)
    return "no folder for backups: neither HOME nor XDG_DATA_HOME is set";
  return fileProblemText(result);
}

}  // namespace dp3
