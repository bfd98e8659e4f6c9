#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "firmware/firmware_image.hpp"
#include "link/link.hpp"

namespace dp3 {

// Bytes of the bootloader's upload protocol.
namespace boot {
inline constexpr std::uint8_t kSpeedChange = 0x35;     // host: go to 9600 baud
inline constexpr std::uint8_t kFrameStart = 0x1B;      // every frame but the last
inline constexpr std::uint8_t kLastFrameStart = 0x2E;  // the last frame
inline constexpr std::uint8_t kFinished = 0x5A;        // host: all frames sent
inline constexpr std::uint8_t kAccepted = 0x3C;        // keyer: frame programmed
inline constexpr std::size_t kFrameSize = 20;
}  // namespace boot

// Upload results: the keyer's error replies keep their byte.
inline constexpr int kUploadCompleted = 0x88;
inline constexpr int kUploadFrameStartError = 0x80;
inline constexpr int kUploadChecksumError = 0x81;
inline constexpr int kUploadFlashVerifyError = 0x82;
inline constexpr int kUploadTimeout = 0x84;
inline constexpr int kUploadSyncError = 0x89;
inline constexpr int kUploadBaudFailed = 0x8A;
inline constexpr int kUploadNoBootloader = 0x8B;

// The slots sent, in order: the high block when the image fills it, the body,
// then the reset-vector slots 0-3 last.
inline constexpr int kHighBlockSlot = 1012;
inline constexpr int kFirstBodySlot = 4;
inline constexpr int kLastBodySlot = 955;
inline constexpr int kProgressSpan = 960;

// "Upload Completed Successfully", "Error: Checksum !" ...; every code without
// a text of its own reads "Error: Restart failed !".
std::string uploadResultText(int code);

// What the upload worker shares with the window that watches it. The window
// reads progress and result and takes the log lines; nothing else is shared.
struct UploadShared {
  std::atomic<int> uploadProgress{0};  // percent, 0-99
  std::atomic<int> uploadResult{0};    // set once, before uploadDone
  std::atomic<bool> uploadDone{false};

  void reset();
  void addLogLine(std::string line);
  std::vector<std::string> takeLogLines();

 private:
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

// What one upload needs.
struct UploadJob {
  Link& link;  // open at 1200 baud
  const FirmwareImage& image;
  std::uint8_t icVariant;  // 5: the keyer runs only its bootloader
  bool verbose;            // log one line per frame
  UploadShared& shared;
};

// Sends one slot as a frame and returns the keyer's reply byte, or the
// time-out code when none came. Logs the frame when the job is verbose.
int sendImageSlot(const UploadJob& job, std::uint8_t frameStart, int slot);

// The 20 bytes of a slot's frame, checksum last.
std::array<std::uint8_t, boot::kFrameSize> buildFrame(std::uint8_t frameStart,
                                                      const ImageSlot& slot);

// "0020 - ffff ffff ... 3c": a frame's address, its words and the reply.
std::string frameLogLine(const ImageSlot& slot, std::uint8_t reply);

// The whole upload; stores the result and then sets the done flag. The body
// of the upload worker thread.
void runUploadJob(UploadJob job);

}  // namespace dp3
