// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Test DP, Read DP and Write DP on the main window: where each outcome's texts
// and boxes go (the texts themselves are result_texts_test's).
#include "window_logic/keyer_commands.hpp"

#include <gtest/gtest.h>

#include "sim_fixture.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/settings_form_view.hpp"

namespace dp3 {
namespace {

SimConfig keyer(std::uint8_t variant, SimFault fault = {}, bool bootloaderOnly = false) {
  SimConfig config;
  config.variant = variant;
  config.revision = static_cast<std::uint8_t>(50 * (variant - 1) + 12);
  config.fault = fault;
  config.bootloaderOnly = bootloaderOnly;
  return config;
}

TEST(KeyerCommands, ShowTheirOutcomes) {
  const struct {
    SimConfig keyer;
    KeyerCommand command;
    const char* weight;  // typed into the form
    bool holdsForm;
    const char* status;  // 4059, "was" when left alone
    int control;         // and one more control
    const char* text;
    const char* message;  // a piece of the one box shown, "" for none
  } cases[] = {
      {keyer(3), KeyerCommand::Test, "50", false, ">DP OK", id::kPushButtons, "PB:0", ""},
      {keyer(4), KeyerCommand::Test, "50", false, ">DP OK", id::kPushButtons, "", ""},
      {keyer(3), KeyerCommand::Test, "50", false, ">DP OK", id::kVolts, "5.04 Volts", ""},
      {keyer(3, {FaultKind::Silence}), KeyerCommand::Test, "50", false, ">DP ERR",
       id::kInterfaceStatus, "DP Fail:no response", ""},
      {keyer(3), KeyerCommand::Read, "50", true, ">Done", id::kIcLine, "DP IC: LARK", ""},
      {keyer(3, {FaultKind::ShortDump}), KeyerCommand::Read, "50", false, ">Read Failed",
       id::kInterfaceStatus, "DP F/W revision 31.12", ""},
      {keyer(3, {}, true), KeyerCommand::Read, "50", false, ">DP NOS", id::kInterfaceStatus,
       "DP Fail:No O/S", "runs only its bootloader"},
      {keyer(3), KeyerCommand::Write, "55", true, "Done", id::kIcLine, "DP IC: LARK", ""},
      {keyer(3, {}, true), KeyerCommand::Write, "55", false, ">DP NOS", id::kInterfaceStatus,
       "DP Fail:No O/S", "runs only its bootloader"},
      {keyer(3), KeyerCommand::Write, "5", false, "was", id::kIcLine, "DP IC: LARK",
       "Weight must be between 10 and 90"},
      {keyer(3, {FaultKind::BadStore, 0, 3}), KeyerCommand::Write, "55", false, ">Verify Failed",
       id::kIcLine, "DP IC: LARK", "The write did not verify: User 1 Weight."},
      {keyer(3, {FaultKind::Silence}), KeyerCommand::Read, "50", false, ">DP ERR", id::kIcLine,
       "DP IC: ?", ""},
  };
  for (const auto& c : cases) {
    test::SimKeyer sim(c.keyer);
    SettingsImage image{};
    resetSettingsImage(image);
    showUserSettings(sim.ui, image, 1);
    sim.ui.setText(id::kWeight, c.weight);
    sim.ui.setText(id::kOperationStatus, "was");
    sim.ui.setText(id::kPushButtons, "PB:9");  // from an earlier test: cleared by the next
    SCOPED_TRACE(std::string(c.status) + " " + c.text);
    sim.ui.setText(id::kIcLine, "DP IC: ROOK");  // a keyer tested before
    const CommandEnd end = runKeyerCommand(c.command, sim.ui, sim.link, sim.keyer, image, 1);
    EXPECT_EQ(end.keptForm, c.holdsForm);
    // A failure's status stays until the next command.
    EXPECT_EQ(end.statusStays, std::string(c.status).ends_with("Failed"));
    EXPECT_EQ(sim.ui.text(id::kOperationStatus), c.status);
    EXPECT_EQ(sim.ui.text(c.control), c.text);
    ASSERT_EQ(sim.ui.messages.size(), *c.message ? 1u : 0u);
    if (*c.message) {
      EXPECT_NE(sim.ui.messages[0].text.find(c.message), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace dp3
