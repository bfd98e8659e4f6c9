// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/web/serial_link.hpp"

#include <emscripten.h>

#include <algorithm>
#include <utility>

// The page's side of the line (link/web/serial_line.js). The asynchronous ones
// suspend the core until the browser's promise settles; the page runs meanwhile.
// The blocks below are JavaScript, left as written.
// clang-format off
EM_ASYNC_JS(int, dp3LineOpen, (const char* port, int baud, char* reason, int reasonSize), {
  const opened = await Module.serialLines.open(UTF8ToString(port), baud);
  stringToUTF8(opened.reason, reason, reasonSize);
  return opened.handle;
});
EM_ASYNC_JS(void, dp3LineClose, (int line), { await Module.serialLines.close(line); });
EM_ASYNC_JS(int, dp3LineWrite, (int line, const std::uint8_t* bytes, int count, int timeoutMs), {
  const data = HEAPU8.slice(bytes, bytes + count);
  return (await Module.serialLines.write(line, data, timeoutMs)) ? 1 : 0;
});
EM_ASYNC_JS(int, dp3LineRead, (int line, std::uint8_t* bytes, int count, int timeoutMs), {
  const got = await Module.serialLines.read(line, count, timeoutMs);
  if (!got) return 0;
  HEAPU8.set(got, bytes);
  return 1;
});
EM_ASYNC_JS(int, dp3LineReopen, (int line, int baud),
            { return (await Module.serialLines.reopen(line, baud)) ? 1 : 0; });
EM_ASYNC_JS(void, dp3LineSleep, (int ms), {
  // At least ms: a timer may fire a little early by the clock the core reads.
  const end = performance.now() + ms;
  for (let left = ms; left > 0; left = end - performance.now()) {
    await new Promise(done => setTimeout(done, left));
  }
});
EM_JS(void, dp3LinePurge, (int line), { Module.serialLines.purge(line); });
EM_JS(int, dp3LineHungUp, (int line), { return Module.serialLines.hungUp(line) ? 1 : 0; });
// clang-format on

namespace dp3 {

namespace {

using Clock = std::chrono::steady_clock;

int wholeMs(std::chrono::milliseconds duration) {
  return static_cast<int>(std::max<std::chrono::milliseconds::rep>(duration.count(), 0));
}

}  // namespace

SerialLink::SerialLink(std::string port) : port_(std::move(port)) {}

SerialLink::~SerialLink() {
  commClose();
}

int SerialLink::commOpen() {
  commClose();
  reason_.clear();
  if (port_.empty()) {
    reason_ = "no port chosen";
    return kCommOpenFailed;
  }
  // The browser opens and configures in one step: 8N1 at 1200, DTR on, RTS off.
  char reason[256] = {};
  line_ = dp3LineOpen(port_.c_str(), kHostBaudRate, reason, sizeof reason);
  if (line_ == 0) {
    reason_ = reason;
    return kCommOpenFailed;
  }
  baud_ = kHostBaudRate;
  lineBusyUntil_ = {};
  pause(kSettleBeforePurge);
  // Whatever the keyer sent before now belongs to no request of ours.
  dp3LinePurge(line_);
  return kCommOpenOk;
}

void SerialLink::commClose() {
  if (line_ != 0) dp3LineClose(line_);
  line_ = 0;
}

bool SerialLink::commWrite(std::span<const std::uint8_t> bytes) {
  if (line_ == 0) return false;
  if (bytes.empty()) return true;
  const auto start = Clock::now();
  // A write that does not finish in time is aborted, which discards what it queued.
  if (!dp3LineWrite(line_, bytes.data(), static_cast<int>(bytes.size()), wholeMs(writeTimeout_))) {
    lineBusyUntil_ = {};
    return false;
  }
  // The line sends them one after another, after whatever it was still sending.
  lineBusyUntil_ = std::max(start, lineBusyUntil_) + lineTime(bytes.size());
  return true;
}

bool SerialLink::commRead(std::span<std::uint8_t> bytes) {
  if (line_ == 0) return false;
  if (bytes.empty()) return true;
  // All or nothing: a short reply is consumed with the failure.
  return dp3LineRead(line_, bytes.data(), static_cast<int>(bytes.size()), wholeMs(readTimeout_)) !=
         0;
}

bool SerialLink::setBaudRate(int baud) {
  if (line_ == 0 || baud <= 0) return false;
  // As a drained speed change on a terminal: what was written leaves at the old speed.
  if (!drain()) return false;
  // A port that does not open at the new speed is opened at the old one again.
  if (!dp3LineReopen(line_, baud)) return false;
  baud_ = baud;
  return true;
}

bool SerialLink::drain() {
  if (line_ == 0 || dp3LineHungUp(line_)) return false;
  // The browser reports no transmit queue, and a write's promise ends when the
  // system has the bytes, not when the line has sent them: no line sends them
  // faster than their own line time.
  const auto now = Clock::now();
  if (lineBusyUntil_ > now) {
    pause(std::chrono::ceil<std::chrono::milliseconds>(lineBusyUntil_ - now));
  }
  return dp3LineHungUp(line_) == 0;
}

void SerialLink::pause(std::chrono::milliseconds duration) {
  dp3LineSleep(wholeMs(duration));
}

Clock::duration SerialLink::lineTime(std::size_t bytes) const {
  // 10 bits a byte on the line: start, 8 data, stop.
  return std::chrono::microseconds(static_cast<long long>(bytes) * 10'000'000 /
                                   (baud_ > 0 ? baud_ : kHostBaudRate));
}

}  // namespace dp3
