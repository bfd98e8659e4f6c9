// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "link/link.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

// Host command codes: every frame is 0x00, the code, and for two commands one
// argument byte; some are followed by a bulk block or answered by a reply.
namespace host {
inline constexpr std::uint8_t kFrameStart = 0x00;
inline constexpr std::uint8_t kEchoTest = 0x04;
inline constexpr std::uint8_t kGetPushButtons = 0x05;
inline constexpr std::uint8_t kGetPotValue = 0x06;
inline constexpr std::uint8_t kGetFirmwareVersion = 0x09;
inline constexpr std::uint8_t kReadSettingsBlock = 0x0C;
inline constexpr std::uint8_t kWriteSettingsBlock = 0x0D;
inline constexpr std::uint8_t kEnterBootloader = 0x10;
inline constexpr std::uint8_t kGetSupplyVoltage = 0x15;
inline constexpr std::uint8_t kGetFirmwareRevision = 0x17;
inline constexpr std::uint8_t kGetIcType = 0x18;
inline constexpr std::uint8_t kReadExtensionBlock = 0x1A;
inline constexpr std::uint8_t kWriteExtensionBlock = 0x1B;

inline constexpr std::uint8_t kEchoArgument = 0x55;
inline constexpr std::uint8_t kEchoHostFirmware = 0x55;  // the keyer's firmware answers
inline constexpr std::uint8_t kEchoBootloader = 0xAA;    // only the bootloader answers
inline constexpr std::uint8_t kBootloaderArgument = 0x9B;
}  // namespace host

// One host command as the line sees it.
struct HostCommand {
  std::string_view name;
  std::uint8_t code;
  std::optional<std::uint8_t> argument;  // third frame byte
  std::size_t blockSent;                 // bulk bytes after the frame
  std::size_t replySize;                 // bytes the keyer answers
};

inline constexpr std::array kHostCommands = std::to_array<HostCommand>({
    {"EchoTest", host::kEchoTest, host::kEchoArgument, 0, 1},
    {"GetPushButtons", host::kGetPushButtons, std::nullopt, 0, 1},
    {"GetPotValue", host::kGetPotValue, std::nullopt, 0, 1},
    {"GetFirmwareVersion", host::kGetFirmwareVersion, std::nullopt, 0, 1},
    {"ReadSettingsBlock", host::kReadSettingsBlock, std::nullopt, 0, kSettingsBlockSize},
    {"WriteSettingsBlock", host::kWriteSettingsBlock, std::nullopt, kSettingsBlockSize, 0},
    {"EnterBootloader", host::kEnterBootloader, host::kBootloaderArgument, 0, 0},
    {"GetSupplyVoltage", host::kGetSupplyVoltage, std::nullopt, 0, 1},
    {"GetFirmwareRevision", host::kGetFirmwareRevision, std::nullopt, 0, 1},
    {"GetIcType", host::kGetIcType, std::nullopt, 0, 1},
    {"ReadExtensionBlock", host::kReadExtensionBlock, std::nullopt, 0, kExtensionBlockSize},
    {"WriteExtensionBlock", host::kWriteExtensionBlock, std::nullopt, kExtensionBlockSize, 0},
});

// The table entry for code, or nullptr for a code the keyer does not know.
const HostCommand* findHostCommand(std::uint8_t code);

// Writes the frame of one command (0x00, code, argument if any).
bool sendFrame(Link& link, const HostCommand& command);

// Writes the frame of a one-byte query and reads its reply; nullopt when no
// byte came.
std::optional<std::uint8_t> queryByte(Link& link, std::uint8_t code);

// The one-byte queries: the keyer's reply, or nullopt when none came.
std::optional<std::uint8_t> getPushButtons(Link& link);
std::optional<std::uint8_t> getPotValue(Link& link);
std::optional<std::uint8_t> getIcType(Link& link);
std::optional<std::uint8_t> getSupplyVoltage(Link& link);

// Bulk transfers. Reads fill the caller's buffer; a false result means the
// buffer holds nothing to rely on.
bool readSettingsBlock(Link& link, std::span<std::uint8_t, kSettingsBlockSize> block);
bool writeSettingsBlock(Link& link, std::span<const std::uint8_t, kSettingsBlockSize> block);
bool readExtensionBlock(Link& link, std::span<std::uint8_t, kExtensionBlockSize> block);
bool writeExtensionBlock(Link& link, std::span<const std::uint8_t, kExtensionBlockSize> block);

// Asks the running firmware to restart into its bootloader.
bool enterBootloader(Link& link);

}  // namespace dp3
