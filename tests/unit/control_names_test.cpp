// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Every window's access keys and screen-reader names, from the one table.
#include "window_logic/control_names.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace dp3 {
namespace {

struct WindowKeys {
  int dialog;
  std::vector<int> mustHaveKey;  // commands: every one reached by its key
};

const WindowKeys kWindows[] = {
    {id::kMainDialog,
     {id::kTestDp,     id::kReadDp,   id::kWriteDp, id::kReadConfigFile, id::kWriteConfigFile,
      id::kSetComPort, id::kFwUpdate, id::kAbout,   id::kExit,           id::kResetDefaults,
      id::kRtty,       id::kBank1,    id::kBank2,   id::kUser1,          id::kUser2,
      id::kKeyerMode,  id::kMaxWpm,   id::kWeight,  id::kMsg1 + 2,       id::kCallsignUser1}},
    {id::kPortDialog, {id::kPortOk, id::kPortExit, id::kFindKeyer, id::kPortList, id::kPortPath}},
    {id::kUploaderDialog, {id::kLoadBin, id::kProgram, id::kUploaderExit}},
    {id::kAboutDialog, {id::kAboutOk, id::kVerboseMode, id::kTraceBox}},
    {id::kRttyDialog,
     {id::kRttyOk, id::kRttyCancel, id::kRttyEnable, id::kRttyBaudRate, id::kRttyUsos}},
};

// Keys and names are unique in a window, except between boxes that share a
// label (shown one at a time); each key is a letter of the text it marks.
TEST(ControlNames, KeysAndNamesAreUniquePerWindow) {
  for (const WindowKeys& window : kWindows) {
    std::map<char, int> keyOwner;               // key -> the label or control carrying it
    std::map<std::string, int> nameOwner;       // likewise for names
    std::map<int, const ShownName*> byControl;  // into names, which outlives the loop
    const std::vector<ShownName> names = shownNames(window.dialog);
    for (const ShownName& shown : names) {
      const int carrier = shown.label != 0 ? shown.label : shown.control;
      SCOPED_TRACE(shown.name);
      byControl[shown.control] = &shown;
      EXPECT_FALSE(shown.name.empty());
      if (shown.key != 0) {
        const auto mark = shown.text.find('&');
        ASSERT_NE(mark, std::string::npos);
        EXPECT_EQ(std::tolower(static_cast<unsigned char>(shown.text[mark + 1])), shown.key);
        EXPECT_EQ(shown.text.substr(0, mark) + shown.text.substr(mark + 1), shown.name);
        EXPECT_EQ(keyOwner.emplace(shown.key, carrier).first->second, carrier)
            << "key " << shown.key << " twice in dialog " << window.dialog;
      }
      if (shown.name == "Play") continue;  // named by the box each plays (message_sound)
      EXPECT_EQ(nameOwner.emplace(shown.name, carrier).first->second, carrier);
    }
    for (int control : window.mustHaveKey) {
      ASSERT_TRUE(byControl.contains(control)) << control;
      EXPECT_NE(byControl[control]->key, 0) << byControl[control]->name;
    }
  }
}

// Rows read as the operator sees them; the first free letter of a word wins.
TEST(ControlNames, KeysGoToWordStartsFirst) {
  const auto shown = shownNames(id::kMainDialog);
  const auto textOf = [&](int control) {
    return std::find_if(shown.begin(), shown.end(),
                        [&](const ShownName& s) { return s.control == control; })
        ->text;
  };
  const std::pair<int, const char*> rows[] = {
      {id::kTestDp, "&Test DP"},
      {id::kReadDp, "&Read DP"},
      {id::kWriteDp, "&Write DP"},
      {id::kReadConfigFile, "Read &Config File"},
      {id::kWriteConfigFile, "Write Config &File"},
  };
  for (const auto& [control, text] : rows) EXPECT_EQ(textOf(control), text) << control;
  EXPECT_EQ(textOf(id::kCallsignUser1), textOf(id::kCallsignUser2));  // one label, one key
  EXPECT_EQ(controlName(id::kMainDialog, id::kMsg7 + 2), "Msg 9");
  EXPECT_EQ(controlName(id::kMainDialog, 9999), "");
}

}  // namespace
}  // namespace dp3
