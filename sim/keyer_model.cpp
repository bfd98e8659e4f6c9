// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "sim/keyer_model.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "firmware/upload.hpp"
#include "link/host_commands.hpp"
#include "link/keyer_variants.hpp"
#include "settings/morse_code.hpp"
#include "sim/replay_keyer.hpp"

namespace dp3 {

namespace {

// How much of the settings dump the short-dump and disconnect faults send.
constexpr std::size_t kPartialDump = 100;
constexpr std::uint8_t kWrongEchoByte = 0x41;

}  // namespace

KeyerModel::KeyerModel(SimConfig config) : config_(config), memory_(presetMemory()) {
  if (config_.bootloaderOnly) mode_ = Mode::Bootloader;
  blankFirmwareImage(flash_);
}

SettingsImage KeyerModel::presetMemory() {
  SettingsImage image{};
  resetSettingsImage(image);
  // Messages 1-3 and the User 1 callsign, packed from page address 15 on.
  const std::array<std::pair<std::size_t, std::string_view>, 4> texts = {{
      {1, "CQ CQ DE N0CALL N0CALL K"},
      {2, "TU 5NN"},
      {3, "QRZ?"},
      {page::kCallsignPointerUser1, "N0CALL"},
  }};
  std::size_t next = page::kFirstTextAddress;
  for (const auto& [pointer, text] : texts) {
    image[kMessagePageOffset + pointer] = static_cast<std::uint8_t>(next);
    for (char c : text)
      image[kMessagePageOffset + next++] = morseCode(static_cast<unsigned char>(c));
    image[kMessagePageOffset + next - 1] |= kEndMark;
  }
  image[kMessagePageOffset + page::kFreePointer] = static_cast<std::uint8_t>(next);
  return image;
}

void KeyerModel::receive(std::uint8_t byte) {
  if (hungUp_) return;
  received_.push_back(byte);
  if (replay_) {
    replay_->receive(byte, output_);
    return;
  }
  if (mode_ == Mode::Host) {
    hostReceive(byte);
  } else {
    bootloaderReceive(byte);
  }
}

void KeyerModel::send(std::uint8_t byte) {
  if (config_.fault.kind == FaultKind::Silence || hungUp_) return;
  output_.push_back(byte);
}

void KeyerModel::sendBlock(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) send(bytes[i]);
}

void KeyerModel::hostReceive(std::uint8_t byte) {
  // Outside a frame the keyer waits for the frame start and ignores anything else.
  if (frame_.empty() && byte != host::kFrameStart) return;
  frame_.push_back(byte);
  if (frame_.size() < 2) return;
  const HostCommand* command = findHostCommand(frame_[1]);
  if (!command) {
    frame_.clear();
    return;
  }
  const std::size_t length = 2 + (command->argument ? 1 : 0) + command->blockSent;
  if (frame_.size() == length) runHostCommand();
}

void KeyerModel::runHostCommand() {
  const std::vector<std::uint8_t> frame = std::move(frame_);
  frame_.clear();
  const std::uint8_t* block = frame.data() + 2;
  switch (frame[1]) {
    case host::kEchoTest:
      send(config_.fault.kind == FaultKind::WrongEcho ? kWrongEchoByte : frame[2]);
      break;
    case host::kGetPushButtons:
      send(config_.buttons);
      break;
    case host::kGetPotValue:
      send(config_.pot);
      break;
    case host::kGetFirmwareVersion:
      send(config_.version);
      break;
    case host::kGetFirmwareRevision:
      send(config_.revision);
      break;
    case host::kGetIcType:
      send(config_.variant);
      break;
    case host::kGetSupplyVoltage:
      send(config_.supply);
      break;
    case host::kReadSettingsBlock:
      if (config_.fault.kind == FaultKind::ShortDump ||
          config_.fault.kind == FaultKind::Disconnect) {
        sendBlock(memory_.data(), kPartialDump);
        if (config_.fault.kind == FaultKind::Disconnect) hungUp_ = true;
      } else {
        sendBlock(memory_.data(), kSettingsBlockSize);
      }
      break;
    case host::kWriteSettingsBlock:
      if (config_.fault.kind == FaultKind::WriteHangUp) {
        hungUp_ = true;
        break;
      }
      std::copy(block, block + kSettingsBlockSize, memory_.begin());
      storeBadly(0);
      break;
    case host::kReadExtensionBlock:
      sendBlock(memory_.data() + kExtensionOffset, kExtensionBlockSize);
      break;
    case host::kWriteExtensionBlock:
      std::copy(block, block + kExtensionBlockSize, memory_.begin() + kExtensionOffset);
      storeBadly(kExtensionOffset);
      break;
    case host::kEnterBootloader:
      if (frame[2] == host::kBootloaderArgument && config_.fault.kind != FaultKind::AppEcho) {
        mode_ = Mode::Bootloader;
        bootState_ = BootState::Command;
        echoed_ = false;
      }
      break;
  }
}

void KeyerModel::storeBadly(std::size_t blockStart) {
  // The bad-store fault flips every bit of one stored byte of the block just written.
  const std::size_t end = blockStart == 0 ? kSettingsBlockSize : kImageSize;
  const auto offset = static_cast<std::size_t>(config_.fault.frame);
  if (config_.fault.kind == FaultKind::BadStore && offset >= blockStart && offset < end) {
    memory_[offset] ^= 0xFF;
  }
}

void KeyerModel::bootloaderReceive(std::uint8_t byte) {
  if (bootState_ == BootState::Frames) {
    // Back at 1200 baud the host has opened the line afresh: listen for the
    // echo again. At 9600 a keyer whose speed change failed reads only noise.
    if (lineBaud_ == kHostBaudRate) {
      bootState_ = BootState::Command;
    } else {
      if (lineBaud_ == kBootloaderBaudRate && config_.fault.kind != FaultKind::BaudFail) {
        frameReceive(byte);
      }
      return;
    }
  }
  commandReceive(byte);
}

void KeyerModel::commandReceive(std::uint8_t byte) {
  if (echoed_ && bootFrame_.empty() && byte == boot::kSpeedChange) {
    bootState_ = BootState::Frames;
    echoed_ = false;
    lastFrameTaken_ = false;
    framesReceived_ = 0;
    programmed_.reset();
    bootFrame_.clear();
    return;
  }
  // The bootloader answers the echo request so the host can tell it is there.
  bootFrame_.push_back(byte);
  static constexpr std::array<std::uint8_t, 3> kEcho = {host::kFrameStart, host::kEchoTest,
                                                        host::kEchoArgument};
  if (!std::equal(bootFrame_.begin(), bootFrame_.end(), kEcho.begin())) {
    bootFrame_.clear();
    if (byte == host::kFrameStart) bootFrame_.push_back(byte);
    return;
  }
  if (bootFrame_.size() == kEcho.size()) {
    bootFrame_.clear();
    echoed_ = true;
    send(host::kEchoBootloader);
  }
}

void KeyerModel::frameReceive(std::uint8_t byte) {
  // Between frames the finish byte starts the new firmware, once its last
  // frame is in.
  if (bootFrame_.empty() && byte == boot::kFinished) {
    if (lastFrameTaken_) {
      runNewFirmware();
    } else {
      bootState_ = BootState::Command;
    }
    return;
  }
  bootFrame_.push_back(byte);
  if (bootFrame_.size() < boot::kFrameSize) return;
  ++framesReceived_;
  const bool faultHere =
      !faultFired_ && config_.fault.frame == framesReceived_ &&
      (config_.fault.kind == FaultKind::Refuse || config_.fault.kind == FaultKind::NoReply);
  if (faultHere) {
    faultFired_ = true;
    bootFrame_.clear();
    if (config_.fault.kind == FaultKind::Refuse) send(config_.fault.code);
    return;
  }
  send(programFrame());
  bootFrame_.clear();
}

std::uint8_t KeyerModel::programFrame() {
  const std::vector<std::uint8_t>& frame = bootFrame_;
  if (frame[0] != boot::kFrameStart && frame[0] != boot::kLastFrameStart) {
    return boot::kReplyFrameStartError;
  }
  unsigned sum = 0;
  for (std::uint8_t b : frame) sum += b;
  if ((sum & 0xFF) != 0) return boot::kReplyChecksumError;
  const unsigned word = static_cast<unsigned>(frame[1] << 8 | frame[2]);
  // Words beyond the program memory cannot be written, so they never verify.
  if (word >= kImageWords) return boot::kReplyFlashVerifyError;
  const std::size_t slot = word / kWordsPerSlot;
  std::copy(frame.begin() + 1, frame.begin() + 1 + kSlotSize, flash_.slots[slot].begin());
  programmed_.set(slot);
  if (frame[0] == boot::kLastFrameStart) lastFrameTaken_ = true;
  return boot::kAccepted;
}

void KeyerModel::runNewFirmware() {
  // The new firmware reports what its image says it is. Firmware of another
  // version starts from its own defaults, with no texts stored; the same
  // version keeps the settings.
  const ImageVersion version = imageVersion(flash_);
  if (version.major != config_.version || version.kind != config_.revision) {
    memory_.fill(0);
    resetSettingsImage(memory_);
  }
  config_.version = version.major;
  config_.revision = version.kind;
  config_.variant = variantForKind(version.kind).code;
  config_.bootloaderOnly = false;
  mode_ = Mode::Host;
  bootState_ = BootState::Command;
  frame_.clear();
}

}  // namespace dp3
