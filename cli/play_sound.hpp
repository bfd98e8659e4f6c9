// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "sound/pcm.hpp"

namespace dp3::cli {

// Sends dp3 play's sound on: raw PCM to standard output when that is a pipe or
// a file, else to the sound device. Returns dp3's exit code.
int playSound(PcmRenderer& renderer);

}  // namespace dp3::cli
