// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "firmware/firmware_image.hpp"
#include "settings/settings_image.hpp"
#include "sim/sim_config.hpp"

namespace dp3 {

class ReplayScript;

// The simulated keyer: bytes in, bytes out. It answers every host command from
// its 300-byte settings memory and, once asked to restart, speaks as its
// bootloader: it answers the echo with 0xAA, takes the speed byte, programs
// checked 20-byte frames into its flash at 9600 baud and, after the last frame
// and the finish byte, runs the new firmware (another version than it ran
// starts from default settings, no texts). A failed upload leaves it in its bootloader. Transports
// (in-process, pseudo-terminal) carry its bytes and decide how fast they travel.
class KeyerModel {
 public:
  enum class Mode { Host, Bootloader };

  explicit KeyerModel(SimConfig config = {});

  // One byte from the host.
  void receive(std::uint8_t byte);

  // Bytes the keyer has sent and nobody has taken yet.
  std::deque<std::uint8_t>& output() { return output_; }
  // True once the keyer has dropped the line (the disconnect fault).
  bool hungUp() const { return hungUp_; }

  // The line speed the host has set; the bootloader expects 9600 after its speed byte.
  void setLineBaud(int baud) { lineBaud_ = baud; }
  int lineBaud() const { return lineBaud_; }

  Mode mode() const { return mode_; }
  const SimConfig& config() const { return config_; }
  SettingsImage& memory() { return memory_; }
  const SettingsImage& memory() const { return memory_; }
  // Every byte received, in order, so tests can check the wire exactly.
  const std::vector<std::uint8_t>& received() const { return received_; }

  // The program memory as the bootloader wrote it (blank at start), and which
  // slots the last upload programmed.
  const FirmwareImage& flash() const { return flash_; }
  const std::bitset<kSlotCount>& programmed() const { return programmed_; }
  // Frames the bootloader has taken in the current or last upload.
  int framesReceived() const { return framesReceived_; }

  // From now on answer as the traced keyer did, instead of as this model.
  void replay(std::shared_ptr<ReplayScript> script) { replay_ = std::move(script); }

  // Defaults for both users and a few stored messages and a callsign.
  static SettingsImage presetMemory();

 private:
  void hostReceive(std::uint8_t byte);
  void runHostCommand();
  void storeBadly(std::size_t blockStart);
  void bootloaderReceive(std::uint8_t byte);
  void commandReceive(std::uint8_t byte);
  void frameReceive(std::uint8_t byte);
  std::uint8_t programFrame();
  void runNewFirmware();
  void send(std::uint8_t byte);
  void sendBlock(const std::uint8_t* bytes, std::size_t count);

  SimConfig config_;
  SettingsImage memory_;
  Mode mode_ = Mode::Host;
  int lineBaud_ = 1200;
  bool hungUp_ = false;
  std::deque<std::uint8_t> output_;
  std::vector<std::uint8_t> received_;
  std::vector<std::uint8_t> frame_;      // the host frame being received
  std::vector<std::uint8_t> bootFrame_;  // the bootloader request being received

  enum class BootState { Command, Frames };
  BootState bootState_ = BootState::Command;
  bool echoed_ = false;          // the echo was answered; the speed byte may follow
  bool lastFrameTaken_ = false;  // the 0x2E frame was programmed
  bool faultFired_ = false;      // frame faults strike once, so a retry can succeed
  int framesReceived_ = 0;
  FirmwareImage flash_;
  std::bitset<kSlotCount> programmed_;
  std::shared_ptr<ReplayScript> replay_;
};

}  // namespace dp3
