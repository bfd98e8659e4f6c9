#pragma once

#include <termios.h>

#include <string>

#include "link/link.hpp"

namespace dp3 {

// The line-settings calls the link makes, so tests can make one of them fail.
struct TermiosCalls {
  int (*getAttr)(int fd, termios* settings) = ::tcgetattr;
  int (*setAttr)(int fd, int when, const termios* settings) = ::tcsetattr;
  int (*flush)(int fd, int queue) = ::tcflush;
};

// A serial device (USB adapter, built-in port or pseudo-terminal) as the line
// to the keyer: raw 8N1, DTR on, RTS off, no XON/XOFF, used by this process alone.
class SerialLink : public Link {
 public:
  explicit SerialLink(std::string devicePath, TermiosCalls calls = {});
  ~SerialLink() override;
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  int commOpen() override;
  void commClose() override;
  bool portOpenFlag() const override { return portOpen_; }
  bool commWrite(std::span<const std::uint8_t> bytes) override;
  bool commRead(std::span<std::uint8_t> bytes) override;
  bool setBaudRate(int baud) override;
  std::string openFailureReason() const override { return reason_; }

  // Shorter transfer deadlines, for a quick look at a port that may hold no keyer.
  void setTimeouts(std::chrono::milliseconds read, std::chrono::milliseconds write) {
    readTimeout_ = read;
    writeTimeout_ = write;
  }

  const std::string& devicePath() const { return path_; }

 private:
  std::string path_;
  TermiosCalls calls_;
  int fd_ = -1;
  bool portOpen_ = false;
  bool locked_ = false;
  termios settings_{};  // as configured at open; the baud change edits only the speed
  std::string reason_;
  std::chrono::milliseconds readTimeout_ = kReadTimeout;
  std::chrono::milliseconds writeTimeout_ = kWriteTimeout;
};

}  // namespace dp3
