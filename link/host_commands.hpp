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
inline constexpr std::uint8_t EchoTest = 0x04;
inline constexpr std::uint8_t GetPushButtons = 0x05;
inline constexpr std::uint8_t GetPotValue = 0x06;
inline constexpr std::uint8_t GetFirmwareVersion = 0x09;
inline constexpr std::uint8_t ReadSettingsBlock = 0x0C;
inline constexpr std::uint8_t WriteSettingsBlock = 0x0D;
inline constexpr std::uint8_t EnterBootloader = 0x10;
inline constexpr std::uint8_t GetSupplyVoltage = 0x15;
inline constexpr std::uint8_t GetFirmwareRevision = 0x17;
inline constexpr std::uint8_t GetIcType = 0x18;
inline constexpr std::uint8_t ReadExtensionBlock = 0x1A;
inline constexpr std::uint8_t WriteExtensionBlock = 0x1B;

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

inline constexpr std::array<HostCommand, 12> kHostCommands = {{
    {"EchoTest", host::EchoTest, host::kEchoArgument, 0, 1},
    {"GetPushButtons", host::GetPushButtons, std::nullopt, 0, 1},
    {"GetPotValue", host::GetPotValue, std::nullopt, 0, 1},
    {"GetFirmwareVersion", host::GetFirmwareVersion, std::nullopt, 0, 1},
    {"ReadSettingsBlock", host::ReadSettingsBlock, std::nullopt, 0, kSettingsBlockSize},
    {"WriteSettingsBlock", host::WriteSettingsBlock, std::nullopt, kSettingsBlockSize, 0},
    {"EnterBootloader", host::EnterBootloader, host::kBootloaderArgument, 0, 0},
    {"GetSupplyVoltage", host::GetSupplyVoltage, std::nullopt, 0, 1},
    {"GetFirmwareRevision", host::GetFirmwareRevision, std::nullopt, 0, 1},
    {"GetIcType", host::GetIcType, std::nullopt, 0, 1},
    {"ReadExtensionBlock", host::ReadExtensionBlock, std::nullopt, 0, kExtensionBlockSize},
    {"WriteExtensionBlock", host::WriteExtensionBlock, std::nullopt, kExtensionBlockSize, 0},
}};

// The table entry for code, or nullptr for a code the keyer does not know.
const HostCommand* findHostCommand(std::uint8_t code);

// Writes the frame of one command (0x00, code, argument if any).
bool sendFrame(Link& link, const HostCommand& command);

// Writes the frame of a one-byte query and reads its reply; nullopt when no
// byte came.
std::optional<std::uint8_t> queryByte(Link& link, std::uint8_t code);

// The live readings: the reply byte, or 0 when the read failed.
std::uint8_t GetPushButtons(Link& link);
std::uint8_t GetPotValue(Link& link);
std::uint8_t GetIcType(Link& link);
std::uint8_t GetSupplyVoltage(Link& link);

// Bulk transfers. Reads fill the caller's buffer; a false result means the
// buffer holds nothing to rely on.
bool ReadSettingsBlock(Link& link, std::span<std::uint8_t, kSettingsBlockSize> block);
bool WriteSettingsBlock(Link& link, std::span<const std::uint8_t, kSettingsBlockSize> block);
bool ReadExtensionBlock(Link& link, std::span<std::uint8_t, kExtensionBlockSize> block);
bool WriteExtensionBlock(Link& link, std::span<const std::uint8_t, kExtensionBlockSize> block);

// Asks the running firmware to restart into its bootloader.
bool EnterBootloader(Link& link);

}  // namespace dp3
