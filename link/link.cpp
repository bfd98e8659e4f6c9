#include "link/link.hpp"

#include <thread>

namespace dp3 {

void Link::pause(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

}  // namespace dp3
