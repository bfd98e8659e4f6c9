#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Writes resources/win32/dialogs.rc, the Win32 templates of the five dialogs,
# from the Qt Designer forms (Qt lays them out; see scripts/forms_to_rc.cpp),
# and resources/win32/dp3tools.ico from the program's picture.
# Run after changing a form; the result is committed. A form's "@DP3_VERSION@"
# becomes the resource compiler's DP3_VERSION_TEXT, the version CMake gives
# (cmake/windows-resources.cmake), so no version is written into the templates.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(mktemp -d)
trap 'rm -rf "$tool"' EXIT
qt=/usr/include/x86_64-linux-gnu/qt6
g++ -std=c++20 -O1 -fPIC -o "$tool/forms_to_rc" scripts/forms_to_rc.cpp \
  -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" -I"$qt/QtUiTools" \
  -lQt6UiTools -lQt6Widgets -lQt6Gui -lQt6Core
/usr/lib/qt6/libexec/rcc --binary resources/dp3tools.qrc -o "$tool/forms.rcc"
mkdir -p resources/win32
{
  printf '// SPDX-License-Identifier: GPL-3.0-or-later\n// Copyright (C) 2026 DP3tools maintainers\n//\n'
  DP3_RCC="$tool/forms.rcc" QT_QPA_PLATFORM=offscreen "$tool/forms_to_rc" resources/{main,port,uploader,about,rtty}_form.ui |
    sed -e 's/@DP3_VERSION@"/" DP3_VERSION_TEXT/g' -e 's/@DP3_VERSION@/" DP3_VERSION_TEXT "/g'
} >resources/win32/dialogs.rc
QT_QPA_PLATFORM=offscreen "$tool/forms_to_rc" --icon resources/icons/dp3tools.png \
  resources/win32/dp3tools.ico
echo "forms-to-rc: resources/win32/dialogs.rc, resources/win32/dp3tools.ico"
