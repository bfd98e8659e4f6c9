#include <unistd.h>

#include "cli/cli.hpp"

namespace dp3::cli {

bool outputTakesEscapes() {
  return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace dp3::cli
