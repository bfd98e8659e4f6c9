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
inline constexpr std::uint8_t getPushButtons = 0x05;
inline constexpr std::uint8_t getPotValue = 0x06;
inline constexpr std::uint8_t GetFirmwareVersion = 0x09;
inline constexpr std::uint8_t readSettingsBlock = 0x0C;
inline constexpr std::uint8_t writeSettingsBlock = 0x0D;
inline constexpr std::uint8_t enterBootloader = 0x10;
inline constexpr std::uint8_t getSupplyVoltage = 0x15;
inline constexpr std::uint8_t GetFirmwareRevision = 0x17;
inline constexpr std::uint8_t getIcType = 0x18;
inline constexpr std::uint8_t readExtensionBlock = 0x1A;
inline constexpr std::uint8_t writeExtensionBlock = 0x1B;

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
    {"EchoTest", host::EchoTest, host::kEchoArgument, 0, 1},
    {"getPushButtons", host::getPushButtons, std::nullopt, 0, 1},
    {"getPotValue", host::getPotValue, std::nullopt, 0, 1},
    {"GetFirmwareVersion", host::GetFirmwareVersion, std::nullopt, 0, 1},
    {"readSettingsBlock", host::readSettingsBlock, std::nullopt, 0, kSettingsBlockSize},
    {"writeSettingsBlock", host::writeSettingsBlock, std::nullopt, kSettingsBlockSize, 0},
    {"enterBootloader", host::enterBootloader, host::kBootloaderArgument, 0, 0},
    {"getSupplyVoltage", host::getSupplyVoltage, std::nullopt, 0, 1},
    {"GetFirmwareRevision", host::GetFirmwareRevision, std::nullopt, 0, 1},
    {"getIcType", host::getIcType, std::nullopt, 0, 1},
    {"readExtensionBlock", host::readExtensionBlock, std::nullopt, 0, kExtensionBlockSize},
    {"writeExtensionBlock", host::writeExtensionBlock, std::nullopt, kExtensionBlockSize, 0},
});

// The table entry for code, or nullptr for a code the keyer does not know.
const HostCommand* findHostCommand(std::uint8_t code);

// Writes the frame of one command (0x00, code, argument if any).
bool sendFrame(Link& link, const HostCommand& command);

// Writes the frame of a one-byte query and reads its reply; nullopt when no
// byte came.
std::optional<std::uint8_t> queryByte(Link& link, std::uint8_t code);

// The live readings: the reply byte, or 0 when the read failed.
std::uint8_t getPushButtons(Link& link);
std::uint8_t getPotValue(Link& link);
std::uint8_t getIcType(Link& link);
std::uint8_t getSupplyVoltage(Link& link);

// Bulk transfers. Reads fill the caller's buffer; a false result means the
// buffer holds nothing to rely on.
bool readSettingsBlock(Link& link, std::span<std::uint8_t, kSettingsBlockSize> block);
bool writeSettingsBlock(Link& link, std::span<const std::uint8_t, kSettingsBlockSize> block);
bool readExtensionBlock(Link& link, std::span<std::uint8_t, kExtensionBlockSize> block);
bool writeExtensionBlock(Link& link, std::span<const std::uint8_t, kExtensionBlockSize> block);

// Asks the running firmware to restart into its bootloader.
bool enterBootloader(Link& link);

}  // namespace dp3
