#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// Operation status texts of the main window (4059).
inline constexpr const char* kStatusOk = ">DP OK";
inline constexpr const char* kStatusNoFirmware = ">DP NOS";
inline constexpr const char* kStatusError = ">DP ERR";
inline constexpr const char* kStatusReading = ">Reading";
inline constexpr const char* kStatusReadDone = ">Done";
inline constexpr const char* kStatusReadFailed = ">Read Failed";
inline constexpr const char* kStatusWriting = "Writing";
inline constexpr const char* kStatusWriteDone = "Done";
inline constexpr const char* kStatusWriteFailed = ">Write Failed";
inline constexpr const char* kStatusVerifyFailed = ">Verify Failed";

// The keyer's time to store a written image before it answers again.
inline constexpr std::chrono::milliseconds kWriteSettleTime{3000};

// "%.2f Volts" of the supply reading B (26214.4 / B / 100); a reading of 0
// has no voltage to show.
std::string voltsText(std::uint8_t reply);

// How Read DP and Write DP ended.
enum class CommandOutcome {
  Done,
  KeyerFailed,    // the interface test failed, or a block did not pass the line
  NeedsFirmware,  // the keyer runs only its bootloader or firmware too old for settings
  FormRefused,    // the form or the messages refused a value; nothing was sent
  VerifyFailed,   // the keyer holds something other than what was written
};

struct WriteResult {
  CommandOutcome outcome = CommandOutcome::Done;
  // VerifyFailed: what differs, by field ("User 1 Weight", "Msg 3", "image byte 290").
  std::vector<std::string> differences = {};
  bool readBack = false;  // the keyer's settings were read back after the store
};

enum class KeyerCommand { Test, Read, Write };

// Test, Read or Write against ui, touching only what it is given (the front
// end runs it off the window thread). True when the keyer and the window then
// hold the same settings (a Read or Write done).
bool runKeyerCommand(KeyerCommand command, ControlSurface& ui, Link& link, KeyerInfo& keyer,
                     SettingsImage& image, int user);

// Test DP: the interface test, then the live readings after ">DP OK".
InterfaceTest testCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer);

// Why a keyer whose test ended so cannot take Read or Write, and what to do;
// "" when it can.
std::string settingsRefusal(const InterfaceTest& test);

// Read DP: the interface test, then both settings blocks. The image is
// replaced only when all 300 bytes arrived; otherwise it stays as it was and
// ">Read Failed" is shown. A keyer without firmware that holds settings is
// refused with a message box.
CommandOutcome readCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image);

// Write DP: the interface test, then the user's form and the messages are
// stored and checked (a refusal shows its message and sends nothing), then the
// 12 extension bytes and the 288-byte block go to the keyer, which gets 3 s to
// store them. With verify, both blocks are then read back and compared with
// what was sent: "Done", or ">Verify Failed". A write the keyer did not take
// shows ">Write Failed".
WriteResult writeCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image,
                         int user, bool verify = true);

// Both settings blocks from the keyer into image; false unless all 300 bytes came.
bool readBlocks(Link& link, SettingsImage& image);

// The settings image to the keyer as Write sends it: the extension block and
// the settings block, 3 s for the keyer to store them once the line has sent
// them, then with verify the read-back (into readBack when given) and the
// comparison. Done, KeyerFailed (not sent, or the keyer hung up) or
// VerifyFailed. No interface test and no texts: the caller has done the one
// and shows the others.
WriteResult sendSettings(Link& link, const SettingsImage& image, bool verify,
                         SettingsImage* readBack = nullptr);

}  // namespace dp3
