// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/link.hpp"
#include "system/file_result.hpp"

namespace dp3 {

// One line of a trace file (docs/trace-format.md).
struct TraceEvent {
  enum class Kind {
    Sent,         // ">": a byte from the program to the keyer
    Received,     // "<": a byte from the keyer
    Open,         // "open": the port was opened; value is the open code
    Close,        // "close"
    Baud,         // "baud": the speed changed; value is the new rate
    WriteFailed,  // "write-failed": value bytes were not all taken
    ReadFailed,   // "read-failed": value bytes were asked for and did not all come
    Pause,        // "pause": a protocol wait of value ms
  };
  double timeMs = 0;
  int baud = kHostBaudRate;
  Kind kind = Kind::Sent;
  int value = 0;  // the byte, code, rate or count
};

// Where trace lines go: a file shared by every link of one run.
class TraceSink {
 public:
  // Opens (truncates) the file and writes the header; check ok().
  explicit TraceSink(const std::string& path);
  ~TraceSink();
  TraceSink(const TraceSink&) = delete;
  TraceSink& operator=(const TraceSink&) = delete;

  bool ok() const;
  void comment(const std::string& text);
  void log(TraceEvent::Kind kind, int baud, int value = 0);
  void log(TraceEvent::Kind kind, int baud, std::span<const std::uint8_t> bytes);

 private:
  std::mutex mutex_;
  std::unique_ptr<std::ostream> out_;
  std::chrono::steady_clock::time_point start_;
};

// A trace file opened for a run, or why none was: only a file that is itself
// a trace (or empty) is replaced; any other file, a folder, a FIFO or a device
// is Refused and left alone, and a file that cannot be made is Create.
struct OpenedTrace {
  FileResult result = {};
  std::shared_ptr<TraceSink> sink = {};
};
OpenedTrace openTrace(const std::filesystem::path& path);

// A link that writes every byte, with its direction, time and baud rate, to a
// trace and passes everything on to the link it wraps.
class TraceLink : public Link {
 public:
  TraceLink(std::unique_ptr<Link> inner, std::shared_ptr<TraceSink> sink);

  int commOpen() override;
  void commClose() override;
  bool portOpenFlag() const override { return inner_->portOpenFlag(); }
  bool commWrite(std::span<const std::uint8_t> bytes) override;
  bool commRead(std::span<std::uint8_t> bytes) override;
  bool setBaudRate(int baud) override;
  bool drain() override { return inner_->drain(); }
  void pause(std::chrono::milliseconds duration) override;
  std::string openFailureReason() const override { return inner_->openFailureReason(); }

  Link& inner() { return *inner_; }

 private:
  std::unique_ptr<Link> inner_;
  std::shared_ptr<TraceSink> sink_;
  int baud_ = kHostBaudRate;
};

// Reads a trace; nullopt with the line number and reason in error when a line
// is not a trace line. Comment lines (#) and blank lines are skipped.
std::optional<std::vector<TraceEvent>> parseTrace(std::istream& in, std::string& error);
// The largest trace loadTrace reads: a full upload traced takes about 1 MB.
inline constexpr std::size_t kMaxTraceSize = 64 * 1024 * 1024;
// The same from a file, whose type and size are checked first: a FIFO, a
// device, a folder or a file over kMaxTraceSize is refused with the reason.
std::optional<std::vector<TraceEvent>> loadTrace(const std::string& path, std::string& error);

}  // namespace dp3
