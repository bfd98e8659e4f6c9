// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "link/keyer_info.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/map_surface.hpp"

namespace dp3::test {

// A window surface, the in-process simulated keyer and the line to it.
struct SimKeyer {
  explicit SimKeyer(SimConfig config = {}) : model(config), link(model) {
    ui.setText(4079, "DP IC: ?");
  }
  std::vector<std::uint8_t> wire() const { return model.received(); }

  MapSurface ui;
  KeyerModel model;
  SimLink link;
  KeyerInfo keyer;
};

inline std::vector<std::uint8_t> bytes(std::initializer_list<std::uint8_t> list) {
  return list;
}

// A line on which the keyer's answer to one query (by its code) never arrives.
class UnansweredLink : public SimLink {
 public:
  UnansweredLink(KeyerModel& model, std::uint8_t code) : SimLink(model), code_(code) {}
  bool commWrite(std::span<const std::uint8_t> bytes) override {
    silent_ = bytes.size() <= 3 && bytes.size() >= 2 && bytes[1] == code_;  // a frame, not a block
    return SimLink::commWrite(bytes);
  }
  bool commRead(std::span<std::uint8_t> bytes) override {
    return SimLink::commRead(bytes) && !silent_;  // the reply is lost on the line
  }

 private:
  std::uint8_t code_;
  bool silent_ = false;
};

// The frames of a passing interface test on a keyer that is asked its IC type.
inline const std::vector<std::uint8_t> kTestFrames = {0x00, 0x04, 0x55, 0x00, 0x09,
                                                      0x00, 0x17, 0x00, 0x18};

}  // namespace dp3::test
