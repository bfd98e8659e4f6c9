// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "firmware/firmware_image.hpp"
#include "link/link.hpp"

namespace dp3 {

// Bytes of the bootloader's upload protocol.
namespace boot {
inline constexpr std::uint8_t kSpeedChange = 0x35;     // host: go to 9600 baud
inline constexpr std::uint8_t kFrameStart = 0x1B;      // every frame but the last
inline constexpr std::uint8_t kLastFrameStart = 0x2E;  // the last frame
inline constexpr std::uint8_t kFinished = 0x5A;        // host: all frames sent
inline constexpr std::uint8_t kAccepted = 0x3C;        // keyer: frame programmed
inline constexpr std::size_t kFrameSize = 20;

// The bootloader's error replies to a frame that have a text of their own.
inline constexpr std::uint8_t kReplyFrameStartError = 0x80;
inline constexpr std::uint8_t kReplyChecksumError = 0x81;
inline constexpr std::uint8_t kReplyFlashVerifyError = 0x82;
inline constexpr std::uint8_t kReplySyncError = 0x89;
}  // namespace boot

// How an upload ended. The keyer's reply byte is carried beside the kind and
// never stands for one: any byte may come back from a keyer.
struct UploadOutcome {
  enum class Kind : std::uint8_t {
    Completed,         // every frame taken, the keyer restarted
    Refused,           // the keyer answered a frame with reply
    NoReply,           // nothing came back within the read time-out
    BaudChangeFailed,  // the line's speed could not be changed
    NoBootloaderEcho,  // the restart request left no bootloader answering
  };
  Kind kind = Kind::Completed;
  std::uint8_t reply = 0;  // Refused: the keyer's byte

  bool completed() const { return kind == Kind::Completed; }
  friend bool operator==(const UploadOutcome&, const UploadOutcome&) = default;
};

// True when the keyer may be left running only its bootloader: every failure
// after the restart request, but not the one where the firmware kept running.
bool leavesBootloaderOnly(const UploadOutcome& outcome);

// The slots sent, in order: the high block when the image fills it, the body,
// then the reset-vector slots 0-3 last.
inline constexpr int kHighBlockSlot = 1012;
inline constexpr int kFirstBodySlot = 4;
inline constexpr int kLastBodySlot = 955;
inline constexpr int kProgressSpan = 960;

// What the upload worker shares with the window that watches it. The window
// reads progress and, once uploadDone is set, the outcome, and takes the log
// lines; nothing else is shared.
struct UploadShared {
  std::atomic<int> uploadProgress{0};  // percent, 0-99
  UploadOutcome uploadOutcome;         // written once, before uploadDone is set
  std::atomic<bool> uploadDone{false};

  void reset();
  void addLogLine(std::string line);
  std::vector<std::string> takeLogLines();

 private:
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

// What one upload needs.
struct UploadJob {
  Link& link;  // open at 1200 baud
  const FirmwareImage& image;
  bool bootloaderOnly;  // the keyer runs only its bootloader: no restart request
  bool verbose;         // log one line per frame
  UploadShared& shared;
};

// Sends one slot as a frame and returns the keyer's reply byte, or nullopt
// when none came. Logs the frame when the job is verbose.
std::optional<std::uint8_t> sendImageSlot(const UploadJob& job, std::uint8_t frameStart, int slot);

// The 20 bytes of a slot's frame, checksum last.
std::array<std::uint8_t, boot::kFrameSize> buildFrame(std::uint8_t frameStart,
                                                      const ImageSlot& slot);

// "0020 - ffff ffff ... 3c": a frame's address, its words and the reply
// ("--" when none came).
std::string frameLogLine(const ImageSlot& slot, std::optional<std::uint8_t> reply);

// The whole upload; stores the outcome and then sets the done flag. The body
// of the upload worker thread.
void runUploadJob(UploadJob job);

}  // namespace dp3
