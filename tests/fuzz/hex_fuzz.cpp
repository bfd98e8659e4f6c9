// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Firmware files are outside input: no line may write outside the image or
// place a record away from the slot of its word address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "firmware/firmware_image.hpp"
#include "window_logic/result_texts.hpp"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  // Every line on its own.
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    dp3::HexRecord record;
    dp3::HexLineProblem problem;
    if (dp3::parseHexRecord(line, record, &problem)) {
      check(line[0] == ':' && line.size() >= 11u + 2u * record.count);
    } else {
      check(!problem.reason.empty());
    }
    start = end + 1;
  }

  // The whole input as a file.
  dp3::FirmwareImage image;
  dp3::LoadDetail detail;
  std::istringstream in(text);
  const int result = dp3::loadFirmwareStream(
      image, in, &detail, [](int percent) { check(percent >= 0 && percent <= 100); });
  check(result >= dp3::kLoadUnsupportedType);
  check((result < 0) == !detail.reason.empty());
  for (std::size_t n = 0; n < dp3::kSlotCount; ++n) {
    check(dp3::slotAddress(image.slots[n]) / dp3::kWordsPerSlot == n);
  }
  if (result >= 0) dp3::imageStatusText(dp3::imageVersion(image), result);
  return 0;
}
