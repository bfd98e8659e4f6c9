#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "link/port_check.hpp"
#include "link/port_list.hpp"
#include "link/trace_link.hpp"
#include "ui/input_hold.hpp"
#include "ui/sound_out.hpp"
#include "ui/threaded_surface.hpp"
#include "ui/widget_surface.hpp"
#include "window_logic/about_window.hpp"
#include "window_logic/main_window.hpp"
#include "window_logic/window_memory.hpp"

class QThread;

namespace Ui {
class MainForm;
}

namespace dp3::ui {

// What the window talks to the keyer through: a link for the configured port,
// made afresh when the operator chooses another port.
using LinkFactory = std::function<std::unique_ptr<Link>(const ProgramConfig& config)>;

// Dialog 1001, the program's window: wires each control to the main window
// logic and runs the keyer commands on a worker thread while the window holds
// off input and keeps painting.
class MainDialog : public QDialog {
  Q_OBJECT

 public:
  MainDialog(ProgramConfig& config, LinkFactory makeLink, QWidget* parent = nullptr);
  ~MainDialog() override;

  // Devices the port window offers besides those present (the simulated keyer).
  void setExtraPorts(std::vector<SerialDevice> ports) { extraPorts_ = std::move(ports); }

  WidgetSurface& surface() { return *surface_; }
  MainWindow& logic() { return *logic_; }
  SettingsImage& image() { return image_; }
  KeyerInfo& keyer() { return keyer_; }
  AboutState& about() { return about_; }
  Link& link() { return *link_; }
  ProgramConfig& config() { return config_; }
  // The devices the port window lists: those present, then the extra ones.
  std::vector<SerialDevice> portDevices() const;
  bool keyerCommandRunning() const { return worker_ != nullptr; }
  // Where a port that did not open is looked into (tests stand in for the system).
  void setPortFactsSource(std::function<PortFacts(const std::string&)> gather) {
    gatherFacts_ = std::move(gather);
  }

  // Where Play sends its sound (the default audio output unless a test sets another).
  void setSoundOut(std::unique_ptr<SoundOut> sound);
  SoundOut& sound() { return *sound_; }

  // Test, Read or Write as if its button had been pressed.
  void startKeyerCommand(KeyerCommand command);

 Q_SIGNALS:
  void keyerCommandFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Every way the window ends: its place, size and the dialogs' folders are kept.
  void done(int result) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  void wireControls();
  void onButton(int id);
  void readConfigFile();
  // True when the settings went to a file.
  bool writeConfigFile();
  // Asks about unsaved edits (and saves them when told to); false: stay open.
  bool mayClose();
  void setComPort();
  void firmwareUpdate();
  void keepUpperCase(QWidget* box);
  void play(int playId);
  void showPlayState();
  // A link for the configured port, traced while the About window's Trace box is set.
  std::unique_ptr<Link> newLink();
  void restoreWindowMemory();
  void startTrace();

  std::unique_ptr<Ui::MainForm> form_;
  std::unique_ptr<WidgetSurface> surface_;
  std::unique_ptr<ThreadedSurface> threaded_;
  ProgramConfig& config_;
  LinkFactory makeLink_;
  std::unique_ptr<Link> link_;
  SettingsImage image_{};
  KeyerInfo keyer_;
  AboutState about_;
  std::unique_ptr<MainWindow> logic_;
  InputHold hold_;
  QTimer timer_;
  QThread* worker_ = nullptr;
  bool workerKeptForm_ = false;
  bool framePlaced_ = false;  // set by the worker, read once it has ended
  std::vector<SerialDevice> extraPorts_;
  std::unique_ptr<SoundOut> sound_;
  std::function<PortFacts(const std::string&)> gatherFacts_ = gatherPortFacts;
  std::string lastPortAdvice_;
  std::shared_ptr<TraceSink> trace_;
};

}  // namespace dp3::ui
