// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/uploader_events.hpp"

#include <utility>

#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

// A face without threads runs the upload as its own work, between the waits
// of the line; the timer still watches it.
StartWorker uploadStarter(WindowFace& face) {
  if (face.threadsAvailable()) return {};
  return [&face](std::function<void()> work) { face.runOffWindowThread(std::move(work), [] {}); };
}

}  // namespace

UploaderEvents::UploaderEvents(ControlSurface& ui, WindowFace& face, Link& link, KeyerInfo& keyer,
                               bool verbose, std::map<std::string, std::string>& folders)
    : ui_(ui),
      face_(face),
      workerUi_(ui, [&face](const std::function<void()>& call) { face.runOnWindowThread(call); }),
      uploader_(workerUi_, link, keyer, verbose, uploadStarter(face)),
      verbose_(verbose),
      folders_(folders) {}

void UploaderEvents::onOpen() {
  ui_.setVisible(id::kUploadLog, verbose_);
  uploader_.onOpen();
}

void UploaderEvents::onButton(int id) {
  if (checking_) return;
  switch (id) {
    case id::kLoadBin: {
      const std::string path = chooseFile(face_, FileChoice::OpenFirmware, folders_);
      if (!path.empty()) uploader_.onLoad(path);
      return;
    }
    case id::kProgram:
      return program();
    case id::kUploaderExit:
      return onClose();
  }
}

void UploaderEvents::program() {
  if (uploader_.uploadRunning()) return;
  checking_ = true;
  face_.holdInput(true);
  face_.runOffWindowThread([this] { uploader_.onProgram(); },
                           [this] {
                             checking_ = false;
                             face_.holdInput(false);
                           });
}

void UploaderEvents::onClose() {
  if (!busy()) face_.closeWindow();
}

// The checks start the upload from their thread: the timer waits for them.
void UploaderEvents::onTimer() {
  if (!checking_) uploader_.onTimer();
}

}  // namespace dp3
