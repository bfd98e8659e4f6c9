// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/trace_link.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include "system/atomic_file.hpp"

namespace dp3 {

namespace {

struct KindName {
  TraceEvent::Kind kind;
  const char* name;
};

constexpr KindName kKindNames[] = {
    {TraceEvent::Kind::Sent, ">"},
    {TraceEvent::Kind::Received, "<"},
    {TraceEvent::Kind::Open, "open"},
    {TraceEvent::Kind::Close, "close"},
    {TraceEvent::Kind::Baud, "baud"},
    {TraceEvent::Kind::WriteFailed, "write-failed"},
    {TraceEvent::Kind::ReadFailed, "read-failed"},
    {TraceEvent::Kind::Pause, "pause"},
};

const char* nameOf(TraceEvent::Kind kind) {
  for (const KindName& k : kKindNames) {
    if (k.kind == kind) return k.name;
  }
  return "?";
}

constexpr std::string_view kTraceMark = "# dp3 trace ";

// Whether a trace may be written to path: a new file, an empty one or an
// earlier trace; anything else is kept.
FileResult checkTraceTarget(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  const auto refuse = [&path](std::string reason) {
    return FileResult{FileResult::Kind::Refused, path, std::move(reason)};
  };
  if (path.empty()) return refuse("no file name given");
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    if (fs::is_symlink(fs::symlink_status(path, error))) {
      return refuse("is a link that points nowhere");
    }
    return {};
  }
  if (error) return refuse(error.message());
  switch (status.type()) {
    case fs::file_type::regular:
      break;
    case fs::file_type::directory:
      return refuse("is a folder, not a trace");
    case fs::file_type::fifo:
      return refuse("is a FIFO, not a trace");
    case fs::file_type::character:
    case fs::file_type::block:
      return refuse("is a device, not a trace");
    default:
      return refuse("is not a regular file");
  }
  std::ifstream in(path, std::ios::binary);
  std::string start(kTraceMark.size(), '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  if (in.gcount() == 0 && in.eof()) return {};  // empty
  if (start != kTraceMark) return refuse("is not a dp3 trace; it is kept as it is");
  return {};
}

bool isByte(TraceEvent::Kind kind) {
  return kind == TraceEvent::Kind::Sent || kind == TraceEvent::Kind::Received;
}

}  // namespace

TraceSink::TraceSink(const std::string& path)
    : out_(std::make_unique<std::ofstream>(path, std::ios::trunc)),
      start_(std::chrono::steady_clock::now()) {
  *out_ << kTraceMark << "1\n# time_ms baud event value  (> to the keyer, < from the keyer)\n";
  out_->flush();
}

TraceSink::~TraceSink() = default;

OpenedTrace openTrace(const std::filesystem::path& path) {
  if (FileResult refused = checkTraceTarget(path); !refused.ok()) return {.result = refused};
  errno = 0;
  auto sink = std::make_shared<TraceSink>(path.string());
  if (!sink->ok()) {
    const std::string reason = errno ? std::strerror(errno) : "cannot be written";
    return {.result = {FileResult::Kind::Create, path, reason}};
  }
  return {.result = {FileResult::Kind::Done, path}, .sink = std::move(sink)};
}

bool TraceSink::ok() const {
  return out_->good();
}

void TraceSink::comment(const std::string& text) {
  std::lock_guard lock(mutex_);
  *out_ << "# " << text << '\n';
  out_->flush();
}

void TraceSink::log(TraceEvent::Kind kind, int baud, int value) {
  const std::uint8_t byte = static_cast<std::uint8_t>(value);
  if (isByte(kind)) return log(kind, baud, std::span<const std::uint8_t>(&byte, 1));
  std::lock_guard lock(mutex_);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  char line[96];
  if (kind == TraceEvent::Kind::Close) {
    std::snprintf(line, sizeof line, "%.3f %d %s\n", ms, baud, nameOf(kind));
  } else {
    std::snprintf(line, sizeof line, "%.3f %d %s %d\n", ms, baud, nameOf(kind), value);
  }
  *out_ << line;
  // Flushed line by line: a trace is most wanted when the program did not end well.
  out_->flush();
}

void TraceSink::log(TraceEvent::Kind kind, int baud, std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  for (std::uint8_t b : bytes) {
    char line[64];
    std::snprintf(line, sizeof line, "%.3f %d %s %02X\n", ms, baud, nameOf(kind), b);
    *out_ << line;
  }
  out_->flush();
}

TraceLink::TraceLink(std::unique_ptr<Link> inner, std::shared_ptr<TraceSink> sink)
    : inner_(std::move(inner)), sink_(std::move(sink)) {}

int TraceLink::commOpen() {
  const int code = inner_->commOpen();
  baud_ = kHostBaudRate;
  sink_->log(TraceEvent::Kind::Open, baud_, code);
  return code;
}

void TraceLink::commClose() {
  if (inner_->portOpenFlag()) sink_->log(TraceEvent::Kind::Close, baud_);
  inner_->commClose();
}

bool TraceLink::commWrite(std::span<const std::uint8_t> bytes) {
  // Logged before the write: these are the bytes the program put on the line.
  sink_->log(TraceEvent::Kind::Sent, baud_, bytes);
  const bool ok = inner_->commWrite(bytes);
  if (!ok) sink_->log(TraceEvent::Kind::WriteFailed, baud_, static_cast<int>(bytes.size()));
  return ok;
}

bool TraceLink::commRead(std::span<std::uint8_t> bytes) {
  const bool ok = inner_->commRead(bytes);
  if (ok) {
    sink_->log(TraceEvent::Kind::Received, baud_, std::span<const std::uint8_t>(bytes));
  } else {
    sink_->log(TraceEvent::Kind::ReadFailed, baud_, static_cast<int>(bytes.size()));
  }
  return ok;
}

bool TraceLink::setBaudRate(int baud) {
  const bool ok = inner_->setBaudRate(baud);
  if (ok) {
    baud_ = baud;
    sink_->log(TraceEvent::Kind::Baud, baud_, baud);
  }
  return ok;
}

void TraceLink::pause(std::chrono::milliseconds duration) {
  sink_->log(TraceEvent::Kind::Pause, baud_, static_cast<int>(duration.count()));
  inner_->pause(duration);
}

namespace {

// A word of the file as a message quotes it: no longer than a line of text,
// control characters (NULs of a file that is no trace) shown as '?'.
std::string quotedWord(const std::string& word) {
  constexpr std::size_t kLongest = 40;
  std::string quoted = word.substr(0, kLongest);
  for (char& c : quoted) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return word.size() <= kLongest ? quoted : quoted + "...";
}

}  // namespace

std::optional<std::vector<TraceEvent>> parseTrace(std::istream& in, std::string& error) {
  std::vector<TraceEvent> events;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    TraceEvent event;
    std::string kind;
    std::string value;
    bool known = false;
    try {
      std::size_t used = 0;
      event.timeMs = std::stod(first, &used);
      if (used != first.size()) throw std::invalid_argument("time");
    } catch (...) {
      error = "line " + std::to_string(number) + ": not a time: " + quotedWord(first);
      return std::nullopt;
    }
    if (!(words >> event.baud >> kind)) {
      error = "line " + std::to_string(number) + ": expected baud rate and event";
      return std::nullopt;
    }
    for (const KindName& k : kKindNames) {
      if (kind == k.name) {
        event.kind = k.kind;
        known = true;
      }
    }
    if (!known) {
      error = "line " + std::to_string(number) + ": unknown event " + quotedWord(kind);
      return std::nullopt;
    }
    if (event.kind != TraceEvent::Kind::Close) {
      if (!(words >> value)) {
        error = "line " + std::to_string(number) + ": " + quotedWord(kind) + " needs a value";
        return std::nullopt;
      }
      try {
        std::size_t used = 0;
        event.value = std::stoi(value, &used, isByte(event.kind) ? 16 : 10);
        if (used != value.size() || (isByte(event.kind) && (event.value < 0 || event.value > 255)))
          throw std::out_of_range("value");
      } catch (...) {
        error = "line " + std::to_string(number) + ": bad value " + quotedWord(value);
        return std::nullopt;
      }
    }
    events.push_back(event);
  }
  return events;
}

std::optional<std::vector<TraceEvent>> loadTrace(const std::string& path, std::string& error) {
  // Type and size first: a FIFO cannot hang the load, nor a huge file fill memory.
  const SmallFile file = readSmallFile(path, kMaxTraceSize);
  if (!file.result.ok()) {
    error = file.result.reason;
    return std::nullopt;
  }
  std::istringstream in(std::string(file.bytes.begin(), file.bytes.end()));
  return parseTrace(in, error);
}

}  // namespace dp3
