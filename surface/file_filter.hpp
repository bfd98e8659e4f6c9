#pragma once

#include <string_view>

namespace dp3 {

// One entry of a file dialog's filter list: "Settings Files (*.eep)", "*.eep".
struct FileFilter {
  std::string_view description;
  std::string_view pattern;
};

}  // namespace dp3
