#include "sim/keyer_model.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "link/host_commands.hpp"
#include "settings/morse_code.hpp"

namespace dp3 {

namespace {

// How much of the settings dump the short-dump and disconnect faults send.
constexpr std::size_t kPartialDump = 100;
constexpr std::uint8_t kWrongEchoByte = 0x41;

}  // namespace

KeyerModel::KeyerModel(SimConfig config) : config_(config), memory_(presetMemory()) {
  if (config_.bootloaderOnly) mode_ = Mode::Bootloader;
}

SettingsImage KeyerModel::presetMemory() {
  SettingsImage image{};
  ResetSettingsImage(image);
  // Messages 1-3 and the User 1 callsign, packed from page address 15 on.
  const std::array<std::pair<std::size_t, std::string_view>, 4> texts = {{
      {1, "CQ CQ DE N0CALL N0CALL K"},
      {2, "TU 5NN"},
      {3, "QRZ?"},
      {page::CallsignPointerUser1, "N0CALL"},
  }};
  std::size_t next = page::FirstTextAddress;
  for (const auto& [pointer, text] : texts) {
    image[kMessagePageOffset + pointer] = static_cast<std::uint8_t>(next);
    for (char c : text)
      image[kMessagePageOffset + next++] = morseCode(static_cast<unsigned char>(c));
    image[kMessagePageOffset + next - 1] |= kEndMark;
  }
  image[kMessagePageOffset + page::FreePointer] = static_cast<std::uint8_t>(next);
  return image;
}

void KeyerModel::receive(std::uint8_t byte) {
  if (hungUp_) return;
  received_.push_back(byte);
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
    case host::EchoTest:
      send(config_.fault.kind == FaultKind::WrongEcho ? kWrongEchoByte : frame[2]);
      break;
    case host::GetPushButtons:
      send(config_.buttons);
      break;
    case host::GetPotValue:
      send(config_.pot);
      break;
    case host::GetFirmwareVersion:
      send(config_.version);
      break;
    case host::GetFirmwareRevision:
      send(config_.revision);
      break;
    case host::GetIcType:
      send(config_.variant);
      break;
    case host::GetSupplyVoltage:
      send(config_.supply);
      break;
    case host::ReadSettingsBlock:
      if (config_.fault.kind == FaultKind::ShortDump ||
          config_.fault.kind == FaultKind::Disconnect) {
        sendBlock(memory_.data(), kPartialDump);
        if (config_.fault.kind == FaultKind::Disconnect) hungUp_ = true;
      } else {
        sendBlock(memory_.data(), kSettingsBlockSize);
      }
      break;
    case host::WriteSettingsBlock:
      std::copy(block, block + kSettingsBlockSize, memory_.begin());
      break;
    case host::ReadExtensionBlock:
      sendBlock(memory_.data() + kExtensionOffset, kExtensionBlockSize);
      break;
    case host::WriteExtensionBlock:
      std::copy(block, block + kExtensionBlockSize, memory_.begin() + kExtensionOffset);
      break;
    case host::EnterBootloader:
      if (frame[2] == host::kBootloaderArgument) mode_ = Mode::Bootloader;
      break;
  }
}

void KeyerModel::bootloaderReceive(std::uint8_t byte) {
  // The bootloader answers the echo request so the host can tell it is there.
  bootFrame_.push_back(byte);
  static constexpr std::array<std::uint8_t, 3> kEcho = {host::kFrameStart, host::EchoTest,
                                                        host::kEchoArgument};
  if (!std::equal(bootFrame_.begin(), bootFrame_.end(), kEcho.begin())) {
    bootFrame_.clear();
    if (byte == host::kFrameStart) bootFrame_.push_back(byte);
    return;
  }
  if (bootFrame_.size() == kEcho.size()) {
    bootFrame_.clear();
    send(host::kEchoBootloader);
  }
}

}  // namespace dp3
