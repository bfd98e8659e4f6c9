// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

namespace dp3::cli {

// Ctrl+C (SIGINT) and SIGTERM while dp3 talks to a keyer: noted, not obeyed
// at once, so the transfer ends at a safe point, the port gets its line
// settings back and the operator learns what the keyer holds. The command
// then ends with 128 + the signal's number.
class DeferredStop {
 public:
  DeferredStop();
  ~DeferredStop();
  DeferredStop(const DeferredStop&) = delete;
  DeferredStop& operator=(const DeferredStop&) = delete;

  // The signal that came meanwhile, 0 for none.
  static int signal();
  // "SIGINT" or "SIGTERM".
  static const char* signalName();
};

// A write to a closed pipe (a pager quit, `| head`) fails as any write does
// instead of ending the program halfway through a transfer.
void ignoreBrokenPipe();

}  // namespace dp3::cli
