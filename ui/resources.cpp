// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/resources.hpp"

#include <QtGlobal>

static void registerDp3Resources() {
  Q_INIT_RESOURCE(dp3tools);
}

namespace dp3::ui {

void initResources() {
  static const bool registered = (registerDp3Resources(), true);
  (void)registered;
}

}  // namespace dp3::ui
