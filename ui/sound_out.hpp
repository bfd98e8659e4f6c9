// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "sound/pcm.hpp"

namespace dp3::ui {

// Where the window's Play sends its sound. Playing never blocks: the sound is
// rendered a piece at a time as the output takes it.
class SoundOut : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Empty when sound can be played; else why not, for the operator.
  virtual QString unavailableReason() const = 0;
  // Stops what plays and starts this; returns at once.
  virtual void play(std::unique_ptr<PcmRenderer> renderer) = 0;
  virtual void stop() = 0;
  virtual bool playing() const = 0;
  // Samples handed to the output so far in this sound.
  virtual std::size_t samplesTaken() const = 0;

 Q_SIGNALS:
  // The sound ended or was stopped.
  void stopped();
};

// The default audio output through Qt Multimedia's QAudioSink.
std::unique_ptr<SoundOut> makeDeviceSoundOut();
// An output with no device behind it: it takes the samples at the pace a
// device would and drops them (tests, machines without sound).
std::unique_ptr<SoundOut> makeNullSoundOut();

}  // namespace dp3::ui
