// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "firmware/upload.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <utility>

#include "link/host_commands.hpp"

namespace dp3 {

namespace {

using std::chrono::milliseconds;

// The keyer's time to follow a speed change, to start the new firmware, and
// the line's time to settle at 1200 baud again.
constexpr milliseconds kSpeedChangeWait{200};
constexpr milliseconds kRestartWait{500};
constexpr milliseconds kSettleWait{100};

constexpr std::array<int, 8> kHighBlock = {1012, 1013, 1014, 1015, 1000, 1001, 1002, 1003};

bool sendByte(Link& link, std::uint8_t byte) {
  const std::array<std::uint8_t, 1> bytes = {byte};
  return link.commWrite(bytes);
}

using Kind = UploadOutcome::Kind;

UploadOutcome runUpload(const UploadJob& job) {
  Link& link = job.link;
  if (!job.bootloaderOnly) enterBootloader(link);

  // The bootloader, not the firmware, must answer the echo.
  const auto echo = queryByte(link, host::kEchoTest);
  if (!echo) return {Kind::NoReply};
  if (*echo != host::kEchoBootloader) return {Kind::NoBootloaderEcho};

  sendByte(link, boot::kSpeedChange);
  link.pause(kSpeedChangeWait);
  if (!link.setBaudRate(kBootloaderBaudRate)) return {Kind::BaudChangeFailed};

  // nullopt while the keyer takes the frame, else how the upload ends.
  auto send = [&job](std::uint8_t start, int slot) -> std::optional<UploadOutcome> {
    const auto reply = sendImageSlot(job, start, slot);
    if (!reply) return UploadOutcome{Kind::NoReply};
    if (*reply != boot::kAccepted) return UploadOutcome{Kind::Refused, *reply};
    return std::nullopt;
  };
  if (job.image.slots[kHighBlockSlot][2] != 0xFF) {
    for (int slot : kHighBlock) {
      if (const auto end = send(boot::kFrameStart, slot)) return *end;
    }
  }
  for (int slot = kFirstBodySlot; slot <= kLastBodySlot; ++slot) {
    job.shared.uploadProgress = slot * 100 / kProgressSpan;
    if (const auto end = send(boot::kFrameStart, slot)) return *end;
  }
  // The reset vector goes last, so a keyer cut off before the end still
  // starts its bootloader rather than half a program.
  for (int slot = 0; slot < kFirstBodySlot; ++slot) {
    const std::uint8_t start =
        slot == kFirstBodySlot - 1 ? boot::kLastFrameStart : boot::kFrameStart;
    if (const auto end = send(start, slot)) return *end;
  }

  sendByte(link, boot::kFinished);
  link.pause(kRestartWait);
  if (!link.setBaudRate(kHostBaudRate)) return {Kind::BaudChangeFailed};
  link.pause(kSettleWait);
  return {Kind::Completed};
}

}  // namespace

bool leavesBootloaderOnly(const UploadOutcome& outcome) {
  return outcome.kind != Kind::Completed && outcome.kind != Kind::NoBootloaderEcho;
}

void UploadShared::reset() {
  uploadProgress = 0;
  uploadOutcome = {};
  uploadDone = false;
  takeLogLines();
}

void UploadShared::addLogLine(std::string line) {
  std::lock_guard lock(logMutex_);
  log_.push_back(std::move(line));
}

std::vector<std::string> UploadShared::takeLogLines() {
  std::lock_guard lock(logMutex_);
  return std::exchange(log_, {});
}

std::array<std::uint8_t, boot::kFrameSize> buildFrame(std::uint8_t frameStart,
                                                      const ImageSlot& slot) {
  std::array<std::uint8_t, boot::kFrameSize> frame{};
  frame[0] = frameStart;
  std::copy(slot.begin(), slot.end(), frame.begin() + 1);
  const unsigned sum = std::accumulate(frame.begin(), frame.end() - 1, 0u);
  frame.back() = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
  return frame;
}

std::string frameLogLine(const ImageSlot& slot, std::optional<std::uint8_t> reply) {
  char text[96];
  int n = std::snprintf(text, sizeof text, "%02x%02x -", slot[0], slot[1]);
  for (std::size_t i = 2; i < kSlotSize; i += 2) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), " %02x%02x", slot[i],
                       slot[i + 1]);
  }
  if (reply) {
    std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), " %02x", *reply);
  } else {
    std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), " --");
  }
  return text;
}

std::optional<std::uint8_t> sendImageSlot(const UploadJob& job, std::uint8_t frameStart, int slot) {
  const ImageSlot& data = job.image.slots[static_cast<std::size_t>(slot)];
  // A lost write shows up as a missing reply.
  job.link.commWrite(buildFrame(frameStart, data));
  std::array<std::uint8_t, 1> byte{};
  const std::optional<std::uint8_t> reply =
      job.link.commRead(byte) ? std::optional<std::uint8_t>(byte[0]) : std::nullopt;
  if (job.verbose) job.shared.addLogLine(frameLogLine(data, reply));
  return reply;
}

void runUploadJob(UploadJob job) {
  job.shared.uploadOutcome = runUpload(job);
  job.shared.uploadDone = true;
}

}  // namespace dp3
