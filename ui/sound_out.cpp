// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/sound_out.hpp"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <cstring>
#include <vector>

namespace dp3::ui {

namespace {

// The renderer as a device QAudioSink pulls from.
class PcmSource : public QIODevice {
 public:
  explicit PcmSource(std::unique_ptr<PcmRenderer> renderer) : renderer_(std::move(renderer)) {
    open(QIODevice::ReadOnly);
  }
  bool isSequential() const override { return true; }
  bool atEnd() const override { return renderer_->finished(); }
  qint64 bytesAvailable() const override {
    return static_cast<qint64>(2 * (renderer_->totalSamples() - renderer_->position())) +
           QIODevice::bytesAvailable();
  }
  std::size_t position() const { return renderer_->position(); }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    scratch_.resize(static_cast<std::size_t>(maxSize / 2));
    const std::size_t n = renderer_->render(scratch_);
    std::memcpy(data, scratch_.data(), n * 2);
    return static_cast<qint64>(n * 2);
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  std::unique_ptr<PcmRenderer> renderer_;
  std::vector<std::int16_t> scratch_;
};

QAudioFormat pcmFormat() {
  QAudioFormat format;
  format.setSampleRate(kSampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  return format;
}

class DeviceSoundOut : public SoundOut {
 public:
  QString unavailableReason() const override {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return "No audio output device: there is no sound to play through";
    if (!device.isFormatSupported(pcmFormat())) {
      return "The audio output does not take 16-bit 48 kHz mono sound";
    }
    return {};
  }

  void play(std::unique_ptr<PcmRenderer> renderer) override {
    stop();
    source_ = std::make_unique<PcmSource>(std::move(renderer));
    sink_ = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), pcmFormat());
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
      if (state == QAudio::IdleState && source_ && source_->atEnd()) {
        QTimer::singleShot(0, this, [this] { stop(); });
      } else if (state == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError) {
        QTimer::singleShot(0, this, [this] { stop(); });
      }
    });
    sink_->start(source_.get());
  }

  void stop() override {
    if (!sink_) return;
    sink_->disconnect(this);
    sink_->stop();
    sink_.reset();
    source_.reset();
    Q_EMIT stopped();
  }

  bool playing() const override { return sink_ != nullptr; }
  std::size_t samplesTaken() const override { return source_ ? source_->position() : 0; }

 private:
  std::unique_ptr<PcmSource> source_;
  std::unique_ptr<QAudioSink> sink_;
};

class NullSoundOut : public SoundOut {
 public:
  NullSoundOut() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] { take(); });
  }

  QString unavailableReason() const override { return {}; }

  void play(std::unique_ptr<PcmRenderer> renderer) override {
    stop();
    renderer_ = std::move(renderer);
    clock_.start();
    taken_ = 0;
    take();
    timer_.start();
  }

  void stop() override {
    if (!renderer_) return;
    timer_.stop();
    renderer_.reset();
    Q_EMIT stopped();
  }

  bool playing() const override { return renderer_ != nullptr; }
  std::size_t samplesTaken() const override { return taken_; }

 private:
  // What a device would have taken by now, plus 20 ms it keeps buffered.
  void take() {
    const auto due = static_cast<std::size_t>((clock_.elapsed() + 20) * kSampleRate / 1000);
    while (renderer_ && taken_ < due && !renderer_->finished()) {
      scratch_.resize(std::min<std::size_t>(due - taken_, 4800));
      taken_ += renderer_->render(scratch_);
    }
    if (renderer_ && renderer_->finished() &&
        clock_.elapsed() * kSampleRate / 1000 >= static_cast<qint64>(taken_)) {
      stop();
    }
  }

  std::unique_ptr<PcmRenderer> renderer_;
  QElapsedTimer clock_;
  QTimer timer_;
  std::size_t taken_ = 0;
  std::vector<std::int16_t> scratch_;
};

}  // namespace

std::unique_ptr<SoundOut> makeDeviceSoundOut() {
  return std::make_unique<DeviceSoundOut>();
}

std::unique_ptr<SoundOut> makeNullSoundOut() {
  return std::make_unique<NullSoundOut>();
}

}  // namespace dp3::ui
