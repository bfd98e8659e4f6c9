// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace dp3 {

// Results of opening the keyer's port.
inline constexpr int kCommOpenOk = 0;
inline constexpr int kCommOpenFailed = -4;      // the device could not be opened
inline constexpr int kCommGetStateFailed = -5;  // its line settings could not be read
inline constexpr int kCommSetStateFailed = -6;  // its line settings could not be applied
inline constexpr int kCommPurgeFailed = -10;    // stale input could not be discarded

inline constexpr int kHostBaudRate = 1200;
inline constexpr int kBootloaderBaudRate = 9600;
inline constexpr std::chrono::milliseconds kWriteTimeout{2000};
inline constexpr std::chrono::milliseconds kReadTimeout{4000};
inline constexpr std::chrono::milliseconds kSettleBeforePurge{100};

// The one line to the keyer. Every byte to or from the keyer passes through a
// Link: the serial port, the in-process simulated keyer and test doubles.
class Link {
 public:
  virtual ~Link() = default;

  // Opens and configures the line at 1200 8N1; 0 or one of the codes above.
  // The port counts as open (portOpenFlag) from the moment the device opened,
  // even when configuring it failed afterwards.
  virtual int commOpen() = 0;
  // Closes the line if held; always safe.
  virtual void commClose() = 0;
  virtual bool portOpenFlag() const = 0;

  // All or nothing within the write time-out (2000 ms).
  virtual bool commWrite(std::span<const std::uint8_t> bytes) = 0;
  // Exactly bytes.size() bytes within the read time-out (4000 ms), or false.
  virtual bool commRead(std::span<std::uint8_t> bytes) = 0;

  // Waits until every byte written has left the port: at most the queued
  // bytes' own line time plus the write time-out. False when they did not
  // leave in time (they are then discarded) or the line has hung up, so a
  // keyer that went away is never taken for one that stored what it got.
  virtual bool drain() = 0;

  // The uploader's speed change (9600 for the bootloader, back to 1200).
  virtual bool setBaudRate(int baud) = 0;

  // A wait that belongs to the line protocol (the keyer's time to store or
  // restart). The simulated keyer passes it on its own clock.
  virtual void pause(std::chrono::milliseconds duration);

  // Why the last commOpen failed, for a hint to the operator ("" when unknown).
  virtual std::string openFailureReason() const { return {}; }
};

}  // namespace dp3
