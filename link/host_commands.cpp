// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/host_commands.hpp"

#include <algorithm>

namespace dp3 {

namespace {

const HostCommand& command(std::uint8_t code) {
  return *findHostCommand(code);
}

}  // namespace

const HostCommand* findHostCommand(std::uint8_t code) {
  const auto it = std::find_if(kHostCommands.begin(), kHostCommands.end(),
                               [code](const HostCommand& c) { return c.code == code; });
  return it == kHostCommands.end() ? nullptr : &*it;
}

bool sendFrame(Link& link, const HostCommand& c) {
  std::uint8_t frame[3] = {host::kFrameStart, c.code, c.argument.value_or(0)};
  return link.commWrite(std::span<const std::uint8_t>(frame, c.argument ? 3 : 2));
}

std::optional<std::uint8_t> queryByte(Link& link, std::uint8_t code) {
  sendFrame(link, command(code));  // a lost write shows up as a missing reply
  std::uint8_t reply = 0;
  if (!link.commRead(std::span<std::uint8_t>(&reply, 1))) return std::nullopt;
  return reply;
}

std::optional<std::uint8_t> getPushButtons(Link& link) {
  return queryByte(link, host::kGetPushButtons);
}
std::optional<std::uint8_t> getPotValue(Link& link) {
  return queryByte(link, host::kGetPotValue);
}
std::optional<std::uint8_t> getIcType(Link& link) {
  return queryByte(link, host::kGetIcType);
}
std::optional<std::uint8_t> getSupplyVoltage(Link& link) {
  return queryByte(link, host::kGetSupplyVoltage);
}

bool readSettingsBlock(Link& link, std::span<std::uint8_t, kSettingsBlockSize> block) {
  sendFrame(link, command(host::kReadSettingsBlock));
  return link.commRead(block);
}

bool writeSettingsBlock(Link& link, std::span<const std::uint8_t, kSettingsBlockSize> block) {
  if (!sendFrame(link, command(host::kWriteSettingsBlock))) return false;
  return link.commWrite(block);
}

bool readExtensionBlock(Link& link, std::span<std::uint8_t, kExtensionBlockSize> block) {
  sendFrame(link, command(host::kReadExtensionBlock));
  return link.commRead(block);
}

bool writeExtensionBlock(Link& link, std::span<const std::uint8_t, kExtensionBlockSize> block) {
  if (!sendFrame(link, command(host::kWriteExtensionBlock))) return false;
  return link.commWrite(block);
}

bool enterBootloader(Link& link) {
  return sendFrame(link, command(host::kEnterBootloader));
}

}  // namespace dp3
