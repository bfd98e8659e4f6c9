// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "sound/pcm.hpp"
#include "surface/control_surface.hpp"
#include "window_logic/window_memory.hpp"

namespace dp3 {

class WindowFace;

// A window's logic as its face drives it. The face forwards every click by
// the control's id, a list entry the operator chose, a typed character, Esc,
// the close box and the timer; the logic decides what each does.
class WindowLogic {
 public:
  virtual ~WindowLogic() = default;

  // The face has built the controls: fill them.
  virtual void onOpen() {}
  // The window is up on the screen, its frame now known.
  virtual void onShown() {}
  // A click on the button or check box of that id.
  virtual void onButton(int id) = 0;
  // The operator chose an entry of the list of that id.
  virtual void onListSelection(int /*id*/) {}
  // A character typed into the box of that id; true swallows it.
  virtual bool onTypedCharacter(int /*id*/, unsigned /*character*/) { return false; }
  // The close box.
  virtual void onClose() = 0;
  // Esc: as the close box, unless the window says otherwise.
  virtual void onEscape() { onClose(); }
  // Called every timerPeriodMs() while the window is open; 0: no timer.
  virtual int timerPeriodMs() const { return 0; }
  virtual void onTimer() {}
  // A sound the face was playing has ended by itself.
  virtual void onSoundEnded() {}
};

// Builds a window's logic over its dialog's controls and face.
using MakeLogic = std::function<std::unique_ptr<WindowLogic>(ControlSurface& ui, WindowFace& face)>;

enum class FileChoice { OpenSettings, SaveSettings, OpenFirmware };

// What only a face can do for its window's logic.
class WindowFace {
 public:
  virtual ~WindowFace() = default;

  // Runs work on a thread of its own, then done on the window thread.
  virtual void runOffWindowThread(std::function<void()> work, std::function<void()> done) = 0;
  // Runs call on the window thread and returns once it has run (the hook of
  // a ForwardingSurface).
  virtual void runOnWindowThread(const std::function<void()>& call) = 0;
  // False for a face with no threads to give (the page): its work runs on the
  // window's own thread between the waits of what runs there, one piece after
  // another. Work that would run beside other work then runs after it: probes
  // go one port at a time, and the upload starts as the face's work too.
  virtual bool threadsAvailable() const { return true; }
  // While held the window takes no clicks or keys but keeps painting; the
  // main window also greys its form and editor and shows a busy cursor.
  virtual void holdInput(bool hold) = 0;
  virtual void closeWindow() = 0;

  // Dialog dialogId over this window, driven by the logic make builds;
  // returns once it has closed.
  virtual void runWindow(int dialogId, const MakeLogic& make) = 0;
  // The file dialog of that kind, opening in folder; "" when cancelled.
  virtual std::string chooseFile(FileChoice choice, const std::string& folder) = 0;

  // Why no sound can play here; "" when it can.
  virtual std::string soundUnavailable() const = 0;
  // Stops what plays and plays pcm as it renders; returns at once. False
  // when it cannot play (soundUnavailable() then says why).
  virtual bool playSound(std::unique_ptr<PcmRenderer> pcm) = 0;
  virtual void stopSound() = 0;

  // Where the window is, the free area of its screen in the same terms, and
  // the window moved (a face whose window has a fixed size keeps it).
  virtual WindowRect windowRect() const = 0;
  virtual WindowRect screenArea() const = 0;
  virtual void placeWindow(const WindowRect& place) = 0;
  // The scale of the window's screen, in percent (144 dpi: 150).
  virtual int scalePercent() const { return 100; }
};

// The file dialog of that kind through face, opening in the folder that kind
// was last in; the folder chosen is kept in folders (dialog name -> folder).
std::string chooseFile(WindowFace& face, FileChoice choice,
                       std::map<std::string, std::string>& folders);

}  // namespace dp3
