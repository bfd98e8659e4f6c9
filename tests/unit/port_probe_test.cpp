// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Finding the keyer among several ports, and the reasons a port would not open.
#include "link/port_probe.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "link/port_check.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {
namespace {

SimConfig withFault(FaultKind kind) {
  SimConfig config;
  config.fault.kind = kind;
  return config;
}

SimConfig bootloaderOnly() {
  SimConfig config;
  config.bootloaderOnly = true;
  return config;
}

struct ProbeRow {
  std::string path;
  SimConfig config;
  bool openFails;
  bool held;
  ProbeOutcome outcome;
  std::string text;
};

const std::vector<ProbeRow> kRows = {
    {"/dev/ttyS4", {}, false, false, ProbeOutcome::Keyer, "DP IC: LARK, DP F/W revision 31.12"},
    {"/dev/ttyS5", bootloaderOnly(), false, false, ProbeOutcome::BootloaderOnly,
     "keyer without firmware (bootloader only)"},
    {"/dev/ttyS6", withFault(FaultKind::Silence), false, false, ProbeOutcome::NotKeyer,
     "no keyer: DP Fail:no response"},
    {"/dev/ttyS7", withFault(FaultKind::WrongEcho), false, false, ProbeOutcome::NotKeyer,
     "no keyer: DP Fail:echo mismatch"},
    {"/dev/ttyS8", {}, true, false, ProbeOutcome::NotOpened, "not opened: simulated failure"},
    {"/dev/ttyUSB1", {}, false, true, ProbeOutcome::Held, "skipped: in use by minicom (pid 42)"},
    // Answers 0xAA as a bootloader does, but never stops.
    {"/dev/ttyS9", {}, false, false, ProbeOutcome::NotKeyer, "no keyer: DP Fail:echo mismatch"},
};

// A device that sends 0xAA without end, whatever it is sent.
class StreamingLink : public SimLink {
 public:
  using SimLink::SimLink;
  bool commRead(std::span<std::uint8_t> bytes) override {
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0xAA});
    return true;
  }
};

TEST(PortProbe, ReportsEachPortAndFindsTheKeyer) {
  std::map<std::string, std::unique_ptr<KeyerModel>> models;
  std::vector<SerialDevice> ports;
  for (const ProbeRow& row : kRows) {
    models[row.path] = std::make_unique<KeyerModel>(row.config);
    ports.push_back({row.path, {}});
  }
  ProbeOptions options;
  options.makeLink = [&](const std::string& path,
                         std::chrono::milliseconds) -> std::unique_ptr<SimLink> {
    if (path == "/dev/ttyS9") return std::make_unique<StreamingLink>(*models.at(path));
    auto link = std::make_unique<SimLink>(*models.at(path));
    for (const ProbeRow& row : kRows) {
      if (row.path == path && row.openFails) link->failOpenWith(kCommOpenFailed);
    }
    return link;
  };
  options.findHolders = [](const std::string& path) {
    return path == "/dev/ttyUSB1" ? std::vector<PortHolder>{{42, "minicom"}}
                                  : std::vector<PortHolder>{};
  };
  const auto results = probePorts(ports, options);

  ASSERT_EQ(results.size(), kRows.size());
  // The USB adapter is probed (and listed) first.
  EXPECT_EQ(results[0].port.path, "/dev/ttyUSB1");
  for (const ProbeRow& row : kRows) {
    SCOPED_TRACE(row.path);
    const auto it = std::find_if(results.begin(), results.end(),
                                 [&](const ProbeResult& r) { return r.port.path == row.path; });
    ASSERT_NE(it, results.end());
    EXPECT_EQ(it->outcome, row.outcome);
    EXPECT_EQ(probeLine(*it), row.path + "  " + row.text);
  }
  EXPECT_TRUE(models.at("/dev/ttyUSB1")->received().empty()) << "a held port was written to";
  const ProbeResult* keyer = foundKeyer(results);
  ASSERT_NE(keyer, nullptr);
  EXPECT_EQ(keyer->port.path, "/dev/ttyS4");
  EXPECT_EQ(keyer->keyer.icVariant, 3);  // LARK
  EXPECT_EQ(keyer->keyer.firmwareVersion, 31);
}

TEST(PortProbe, HoldersAreNamedUpToThree) {
  std::vector<PortHolder> holders = {{1, "a"}, {2, "b"}};
  EXPECT_EQ(holdersText(holders), "a (pid 1), b (pid 2)");
  holders.insert(holders.end(), {{3, "c"}, {4, "d"}, {5, "e"}});
  EXPECT_EQ(holdersText(holders), "a (pid 1), b (pid 2), c (pid 3) and 2 more");
}

TEST(PortProbe, UsbAdaptersComeFirstInTheirOwnOrder) {
  const auto order = probeOrder({{"/dev/ttyS0", ""},
                                 {"/dev/ttyUSB1", ""},
                                 {"/dev/pts/3", ""},
                                 {"/dev/ttyAMA0", "Some USB UART"},
                                 {"/dev/ttyACM0", ""}});
  std::vector<std::string> paths;
  for (const SerialDevice& d : order) paths.push_back(d.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyAMA0", "/dev/ttyACM0",
                                             "/dev/ttyS0", "/dev/pts/3"}));
  EXPECT_EQ(foundKeyer({}), nullptr);
}

struct AdviceRow {
  const char* name;
  PortFacts facts;
  std::string linkReason;
  std::string reason;
  std::string fixHolds;  // a piece the fix must hold ("" for no fix)
};

// What differs from a USB adapter that is present and may be opened.
struct Facts {
  bool exists = true;
  bool permitted = true;
  std::vector<PortHolder> holders = {};
  bool brltty = false;
  bool modemManager = false;
  bool newerLogin = false;
  std::string group = "dialout";
  bool groupMayUse = true;
};

const std::string kUsb = "/dev/ttyUSB0";

PortFacts usb(Facts f, std::string path = kUsb) {
  return {std::move(path), f.exists, f.permitted, f.holders,    true,          f.brltty,
          f.modemManager,  f.group,  "ann",       f.newerLogin, f.groupMayUse, "root"};
}

class PortAdviceTest : public ::testing::TestWithParam<AdviceRow> {};

TEST_P(PortAdviceTest, NamesTheCauseAndTheFix) {
  const AdviceRow& row = GetParam();
  const PortAdvice advice = explainOpenFailure(row.facts, row.linkReason);
  EXPECT_EQ(advice.reason, row.reason);
  if (row.fixHolds.empty()) {
    EXPECT_EQ(advice.fix, "");
  } else {
    EXPECT_NE(advice.fix.find(row.fixHolds), std::string::npos) << advice.fix;
  }
}

const std::string kInUse = "in use by another program";
const std::vector<PortHolder> kMinicom = {{812, "minicom"}};

INSTANTIATE_TEST_SUITE_P(
    Causes, PortAdviceTest,
    ::testing::Values(
        AdviceRow{"none_chosen", usb({.exists = false}, ""), "no port chosen",
                  "no keyer port chosen", "Find Keyer"},
        AdviceRow{"missing", usb({.exists = false}), "no such device", kUsb + ": no such device",
                  "Plug in"},
        AdviceRow{"missing_brltty", usb({.exists = false, .brltty = true}), "no such device",
                  kUsb + ": no such device", "sudo apt remove brltty"},
        AdviceRow{"held", usb({.holders = kMinicom}), kInUse,
                  kUsb + ": in use by minicom (pid 812)", "Close minicom (pid 812)"},
        AdviceRow{"modem_manager_holds", usb({.holders = {{90, "ModemManager"}}}), kInUse,
                  kUsb + ": ModemManager is probing the port", "sudo systemctl stop ModemManager"},
        AdviceRow{"modem_manager_unseen", usb({.modemManager = true}), kInUse,
                  kUsb + ": ModemManager is probing the port", "Wait"},
        AdviceRow{"held_unnamed", usb({}), kInUse, kUsb + ": " + kInUse,
                  "Close the program that holds"},
        AdviceRow{"no_permission", usb({.permitted = false}), "permission denied",
                  kUsb + ": no permission", "sudo usermod -aG dialout ann"},
        // A group is suggested only when it may use the device, and never root.
        AdviceRow{"root_0600", usb({.permitted = false, .group = "root", .groupMayUse = false}),
                  "permission denied", kUsb + ": no permission (owned by root, group root)",
                  "KERNEL==\"ttyUSB0\", GROUP=\"dialout\", MODE=\"0660\""},
        AdviceRow{"root_group_0660", usb({.permitted = false, .group = "root"}),
                  "permission denied", kUsb + ": no permission (owned by root, group root)",
                  "udev"},
        AdviceRow{"group_0600", usb({.permitted = false, .groupMayUse = false}),
                  "permission denied", kUsb + ": no permission (owned by root, group dialout)",
                  "sudo udevadm trigger"},
        AdviceRow{"newer_login", usb({.permitted = false, .newerLogin = true}), "permission denied",
                  kUsb + ": no permission (you are in dialout only in a newer login)",
                  "newgrp dialout"},
        AdviceRow{"other", usb({}), "Input/output error", kUsb + ": Input/output error", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dp3
