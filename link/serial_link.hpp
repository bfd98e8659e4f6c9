// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

// The serial port as the line to the keyer, for the system being built.
#if defined(_WIN32)
#include "link/win32/serial_link.hpp"
#elif defined(__EMSCRIPTEN__)
#include "link/web/serial_link.hpp"
#else
#include "link/posix/serial_link.hpp"
#endif
