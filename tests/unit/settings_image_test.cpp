// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_image.hpp"

#include <gtest/gtest.h>

namespace dp3 {
namespace {

TEST(SettingsImage, ResetWritesDefaultsOfBothUsersAndKeepsMessages) {
  SettingsImage image{};
  image.fill(0xA5);
  resetSettingsImage(image);

  const std::array<std::uint8_t, 16> user = {0, 15, 78, 50, 0, 0, 5, 30, 0, 0, 0, 50, 50, 7, 0, 15};
  const std::array<std::uint8_t, 6> extension = {0, 0, 0, 4, 0, 0};
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(image[i], user[i]) << "User 1 byte " << i;
    EXPECT_EQ(image[16 + i], user[i]) << "User 2 byte " << i;
  }
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(image[288 + i], extension[i]) << "User 1 extension byte " << i;
    EXPECT_EQ(image[294 + i], extension[i]) << "User 2 extension byte " << i;
  }
  for (std::size_t i = 32; i < 288; ++i) ASSERT_EQ(image[i], 0xA5) << "message page byte " << i;
}

}  // namespace
}  // namespace dp3
