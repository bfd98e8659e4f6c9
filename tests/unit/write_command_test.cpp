#include <gtest/gtest.h>

#include <vector>

#include "app/control_ids.hpp"
#include "app/keyer_commands.hpp"
#include "app/map_surface.hpp"
#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/settings_form.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"

namespace dp3 {
namespace {

// A line that drops one write: the keyer never takes those bytes.
class DroppingLink : public SimLink {
 public:
  DroppingLink(KeyerModel& model, int failingWrite) : SimLink(model), failingWrite_(failingWrite) {}
  bool CommWrite(std::span<const std::uint8_t> bytes) override {
    if (++writes_ == failingWrite_) return false;
    return SimLink::CommWrite(bytes);
  }
  int writes() const { return writes_; }

 private:
  int failingWrite_;
  int writes_ = 0;
};

// The bytes the interface test leaves on the wire.
std::vector<std::uint8_t> interfaceTestBytes() {
  KeyerModel model;
  SimLink link(model);
  MapSurface ui;
  KeyerInfo keyer;
  TestInterface(ui, link, keyer);
  return model.received();
}

struct Window {
  MapSurface ui;
  SettingsImage image{};
  Window() {
    ResetSettingsImage(image);
    FillModeLists(ui);
    ShowUserSettings(ui, image, 1);
  }
};

TEST(WriteCommand, SendsExtensionThenSettingsBlockAfterTheTest) {
  KeyerModel model;
  SimLink link(model);
  KeyerInfo keyer;
  Window w;
  w.ui.setText(id::kMsg1, "CQ");
  w.ui.setText(id::kMsg1 + 1, "TEST");
  w.ui.setText(id::kWeight, "55");
  ASSERT_TRUE(WriteCommand(w.ui, link, keyer, w.image, 1));
  EXPECT_EQ(w.ui.text(id::kOperationStatus), "Done");
  EXPECT_EQ(w.image[3], 55);
  EXPECT_EQ(w.image[32], 21);

  std::vector<std::uint8_t> expected = interfaceTestBytes();
  expected.insert(expected.end(), {0x00, 0x1B});
  expected.insert(expected.end(), w.image.begin() + 288, w.image.end());
  expected.insert(expected.end(), {0x00, 0x0D});
  expected.insert(expected.end(), w.image.begin(), w.image.begin() + 288);
  EXPECT_EQ(model.received(), expected);
  EXPECT_EQ(model.memory(), w.image);
  EXPECT_GE(link.elapsed(), std::chrono::milliseconds(3000)) << "the keyer gets 3 s to store";
}

TEST(WriteCommand, RefusedValuesSendNothing) {
  struct Case {
    int control;
    const char* text;
    const char* message;
  };
  for (const Case& c :
       {Case{id::kWeight, "5", "Weight must be between 10 and 90"},
        Case{id::kMsg7, "#",
             "Msg 7 holds \"#\", which has no Morse code. Remove it before storing."}}) {
    KeyerModel model;
    SimLink link(model);
    KeyerInfo keyer;
    Window w;
    w.ui.setText(c.control, c.text);
    EXPECT_FALSE(WriteCommand(w.ui, link, keyer, w.image, 1));
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, c.message);
    EXPECT_EQ(model.received(), interfaceTestBytes()) << "only the interface test went out";
    EXPECT_EQ(model.memory(), KeyerModel::presetMemory());
  }
}

TEST(WriteCommand, AWriteTheKeyerDidNotTakeIsReported) {
  const int testWrites = [] {
    KeyerModel model;
    DroppingLink link(model, 0);
    MapSurface ui;
    KeyerInfo keyer;
    TestInterface(ui, link, keyer);
    return link.writes();
  }();
  // The extension frame, its block, the settings frame, its block.
  for (int failing = testWrites + 1; failing <= testWrites + 4; ++failing) {
    KeyerModel model;
    DroppingLink link(model, failing);
    KeyerInfo keyer;
    Window w;
    EXPECT_FALSE(WriteCommand(w.ui, link, keyer, w.image, 1)) << failing;
    EXPECT_EQ(w.ui.text(id::kOperationStatus), ">Write Failed") << failing;
    EXPECT_EQ(link.writes(), failing) << "nothing is sent after a failed write";
  }
}

TEST(WriteCommand, NoKeyerNoWrite) {
  KeyerModel model(SimConfig{.fault = {FaultKind::Silence}});
  SimLink link(model);
  KeyerInfo keyer;
  Window w;
  EXPECT_FALSE(WriteCommand(w.ui, link, keyer, w.image, 1));
  EXPECT_EQ(w.ui.text(id::kOperationStatus), ">DP ERR");
  EXPECT_TRUE(w.ui.messages.empty());
}

}  // namespace
}  // namespace dp3
