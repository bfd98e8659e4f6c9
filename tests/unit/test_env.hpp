#pragma once

#include <cstdlib>
#include <string>

namespace dp3 {

// Sets or removes an environment variable for this test program, on any system.
inline void setEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}
inline void unsetEnv(const char* name) {
#if defined(_WIN32)
  ::_putenv_s(name, "");  // an empty value removes it
#else
  ::unsetenv(name);
#endif
}

}  // namespace dp3
