// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The window's own goals: first paint soon after start, and an event loop that
// never stalls while the keyer is read, written or programmed at line rate.
//   window_bench [--benchmark_filter=...]   (offscreen unless QT_QPA_PLATFORM is set)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "link/posix/serial_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/posix/pty_keyer.hpp"
#include "surface/control_ids.hpp"
#include "ui/main_dialog.hpp"
#include "ui/widget_surface.hpp"
#include "window_logic/uploader_events.hpp"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point gProgramStart;

// Milliseconds since the kernel started this process (loading Qt included),
// to the 10 ms the kernel's start time is kept in; -1 when unknown.
double msSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  for (int i = 3; i < 22 && fields >> field; ++i) {
  }
  unsigned long long startTicks = 0;
  if (!(fields >> startTicks)) return -1;
  timespec now{};
  if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
  const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
  return nowMs - startTicks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Records the moment a widget first paints.
class PaintWatch : public QObject {
 public:
  bool painted = false;
  Clock::time_point when;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted) {
      painted = true;
      when = Clock::now();
    }
    return false;
  }
};

// The longest gap between turns of the event loop, less the 1 ms the probe asks for.
class StallProbe {
 public:
  StallProbe() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const auto now = Clock::now();
      const double gap = std::chrono::duration<double, std::milli>(now - last_).count() - 1.0;
      if (gap > longest_) longest_ = gap;
      last_ = now;
    });
  }
  void start() {
    longest_ = 0;
    last_ = Clock::now();
    timer_.start();
  }
  double stop() {
    timer_.stop();
    return longest_;
  }

 private:
  QTimer timer_;
  Clock::time_point last_;
  double longest_ = 0;
};

// The window on the simulated keyer at line rate, through a pseudo-terminal
// and the serial link, as dp3tools --simulate runs it.
struct RealtimeWindow {
  RealtimeWindow() : pty(model, /*realtime=*/true) {
    std::string error;
    if (!pty.open(error)) throw std::runtime_error(error);
    pty.start();
    config.portPath = pty.path();
    dialog = std::make_unique<dp3::ui::MainDialog>(
        config, [](const std::string& port) { return std::make_unique<dp3::SerialLink>(port); });
    dialog->show();
    QApplication::processEvents();
  }
  ~RealtimeWindow() {
    dialog.reset();
    pty.stop();
  }
  // Runs a keyer command and returns the longest stall while it ran.
  double command(dp3::KeyerCommand which) {
    QSignalSpy done(dialog.get(), &dp3::ui::Dialog::workFinished);
    StallProbe probe;
    probe.start();
    dialog->logic().startKeyerCommand(which);
    done.wait(60000);
    return probe.stop();
  }

  dp3::KeyerModel model;
  dp3::PtyKeyer pty;
  dp3::ProgramConfig config;
  std::unique_ptr<dp3::ui::MainDialog> dialog;
};

void BM_StartToFirstPaint(benchmark::State& state) {
  bool first = true;
  for (auto _ : state) {
    const auto start = Clock::now();
    dp3::ProgramConfig config;
    dp3::ui::MainDialog dialog(
        config, [](const std::string&) { return std::make_unique<dp3::SerialLink>(""); });
    PaintWatch watch;
    dialog.installEventFilter(&watch);
    dialog.show();
    while (!watch.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = std::chrono::duration<double, std::milli>(watch.when - start).count();
    state.SetIterationTime(ms / 1000.0);
    if (first) {
      // The first window also pays for starting the program and Qt.
      state.counters["from_main_ms"] =
          std::chrono::duration<double, std::milli>(watch.when - gProgramStart).count();
      state.counters["from_process_start_ms"] = msSinceProcessStart();
      first = false;
    }
  }
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StallDuringRead(benchmark::State& state) {
  RealtimeWindow w;
  w.command(dp3::KeyerCommand::Test);
  for (auto _ : state) {
    const auto start = Clock::now();
    state.counters["longest_stall_ms"] = w.command(dp3::KeyerCommand::Read);
    state.SetIterationTime(msSince(start) / 1000.0);
  }
}
BENCHMARK(BM_StallDuringRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StallDuringWrite(benchmark::State& state) {
  RealtimeWindow w;
  w.command(dp3::KeyerCommand::Test);
  w.command(dp3::KeyerCommand::Read);
  for (auto _ : state) {
    const auto start = Clock::now();
    state.counters["longest_stall_ms"] = w.command(dp3::KeyerCommand::Write);
    state.SetIterationTime(msSince(start) / 1000.0);
  }
}
BENCHMARK(BM_StallDuringWrite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StallDuringUpload(benchmark::State& state) {
  RealtimeWindow w;
  w.command(dp3::KeyerCommand::Test);
  std::map<std::string, std::string> folders;
  for (auto _ : state) {
    dp3::MainWindow& main = w.dialog->logic();
    dp3::ui::Dialog uploader(
        dp3::id::kUploaderDialog,
        [&](dp3::ControlSurface& ui, dp3::WindowFace& face) {
          return std::make_unique<dp3::UploaderEvents>(ui, face, main.link(), main.keyer(), false,
                                                       folders);
        },
        w.dialog.get());
    auto& events = static_cast<dp3::UploaderEvents&>(uploader.logic());
    uploader.show();
    QApplication::processEvents();
    events.uploader().onLoad(DP3_TEST_DATA "/lark_full.hex");
    StallProbe probe;
    const auto start = Clock::now();
    probe.start();
    events.onButton(dp3::id::kProgram);
    while (events.busy() && msSince(start) < 120000) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    state.counters["longest_stall_ms"] = probe.stop();
    state.SetIterationTime(msSince(start) / 1000.0);
    state.SetLabel(uploader.surface().text(dp3::id::kUploadStatus));
  }
}
BENCHMARK(BM_StallDuringUpload)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  gProgramStart = Clock::now();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The keyer backups that Read and the upload keep go to a scratch folder.
  QTemporaryDir dataHome;
  qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
  dp3::ui::setMessageSink([](const QString& text, const QString&) {
    std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
  });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
