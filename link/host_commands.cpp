#include "link/host_commands.hpp"

#include <algorithm>

namespace dp3 {

namespace {

const HostCommand& command(std::uint8_t code) {
  return *findHostCommand(code);
}

std::uint8_t replyOrZero(Link& link, std::uint8_t code) {
  return queryByte(link, code).value_or(0);
}

}  // namespace

const HostCommand* findHostCommand(std::uint8_t code) {
  const auto it = std::find_if(kHostCommands.begin(), kHostCommands.end(),
                               [code](const HostCommand& c) { return c.code == code; });
  return it == kHostCommands.end() ? nullptr : &*it;
}

bool sendFrame(Link& link, const HostCommand& c) {
  std::uint8_t frame[3] = {host::kFrameStart, c.code, c.argument.value_or(0)};
  return link.CommWrite(std::span<const std::uint8_t>(frame, c.argument ? 3 : 2));
}

std::optional<std::uint8_t> queryByte(Link& link, std::uint8_t code) {
  sendFrame(link, command(code));  // a lost write shows up as a missing reply
  std::uint8_t reply = 0;
  if (!link.CommRead(std::span<std::uint8_t>(&reply, 1))) return std::nullopt;
  return reply;
}

std::uint8_t GetPushButtons(Link& link) {
  return replyOrZero(link, host::GetPushButtons);
}
std::uint8_t GetPotValue(Link& link) {
  return replyOrZero(link, host::GetPotValue);
}
std::uint8_t GetIcType(Link& link) {
  return replyOrZero(link, host::GetIcType);
}
std::uint8_t GetSupplyVoltage(Link& link) {
  return replyOrZero(link, host::GetSupplyVoltage);
}

bool ReadSettingsBlock(Link& link, std::span<std::uint8_t, kSettingsBlockSize> block) {
  sendFrame(link, command(host::ReadSettingsBlock));
  return link.CommRead(block);
}

bool WriteSettingsBlock(Link& link, std::span<const std::uint8_t, kSettingsBlockSize> block) {
  if (!sendFrame(link, command(host::WriteSettingsBlock))) return false;
  return link.CommWrite(block);
}

bool ReadExtensionBlock(Link& link, std::span<std::uint8_t, kExtensionBlockSize> block) {
  sendFrame(link, command(host::ReadExtensionBlock));
  return link.CommRead(block);
}

bool WriteExtensionBlock(Link& link, std::span<const std::uint8_t, kExtensionBlockSize> block) {
  if (!sendFrame(link, command(host::WriteExtensionBlock))) return false;
  return link.CommWrite(block);
}

bool EnterBootloader(Link& link) {
  return sendFrame(link, command(host::EnterBootloader));
}

}  // namespace dp3
