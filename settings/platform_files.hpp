#pragma once

#include <filesystem>

namespace dp3 {

// Puts the file `from` in the place of `to` in one step, replacing `to` when it
// exists: afterwards `to` names either the old file or the new one. Returns 0,
// or an errno value saying why not.
int replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace dp3

#if defined(_WIN32)
#include "settings/win32/posix_files.hpp"
#endif
