// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "web/page_face.hpp"

#include <emscripten.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <span>
#include <utility>
#include <vector>

#include "sound/pcm.hpp"

// The blocks below are JavaScript, left as written.
// clang-format off
EM_ASYNC_JS(int, dp3NextEvent, (int* where), {
  const event = await Module.face.nextEvent();
  HEAP32[where >> 2] = event.dialog;
  HEAP32[(where >> 2) + 1] = event.id;
  return event.kind;
});
EM_JS(void, dp3ShowWindow, (int dialog, int timerMs), { Module.face.showWindow(dialog, timerMs); });
EM_JS(void, dp3HideWindow, (int dialog), { Module.face.hideWindow(dialog); });
EM_JS(void, dp3HoldInput, (int dialog, int hold), { Module.face.holdInput(dialog, hold !== 0); });
EM_ASYNC_JS(char*, dp3OpenFile, (int firmware), {
  const path = await Module.face.openFile(firmware !== 0);
  return path ? allocateUTF8(path) : 0;
});
EM_JS(char*, dp3SaveName, (), {
  const name = Module.face.saveName();
  return name ? allocateUTF8(name) : 0;
});
EM_JS(void, dp3Download, (const char* path), { Module.face.download(UTF8ToString(path)); });
EM_JS(int, dp3HasSound, (), { return Module.face.hasSound() ? 1 : 0; });
EM_JS(int, dp3PlayPcm, (int dialog, const std::int16_t* samples, int count, int rate), {
  return Module.face.play(dialog, HEAP16.slice(samples >> 1, (samples >> 1) + count), rate) ? 1 : 0;
});
EM_JS(void, dp3StopPcm, (), { Module.face.stop(); });
EM_JS(int, dp3PageWidth, (), { return window.innerWidth; });
EM_JS(int, dp3PageHeight, (), { return window.innerHeight; });
// clang-format on

namespace dp3::web {

namespace {

struct Work {
  std::function<void()> work;
  std::function<void()> done;
};

// The page's one thread: its open windows, innermost last, and the work waiting to run.
struct PageThread {
  std::vector<PageDialog*> open;
  std::deque<Work> works;
  int handedOver = 0;  // events being handled while the work waits
};

PageThread& pageThread() {
  static PageThread thread;
  return thread;
}

// A settings file written for the operator goes to the browser's downloads.
void offerDownloads() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kDownloadFolder, error)) {
    if (!entry.is_regular_file(error)) continue;
    dp3Download(entry.path().c_str());
    std::filesystem::remove(entry.path(), error);
  }
}

}  // namespace

bool mayWait() {
  return pageThread().handedOver == 0;
}

PageDialog::PageDialog(int dialogId, MakeLogic make)
    : dialogId_(dialogId), make_(std::move(make)), surface_(dialogId) {}

PageDialog::~PageDialog() {
  stopSound();
}

void PageDialog::run() {
  auto& thread = pageThread();
  logic_ = make_(surface_, *this);
  thread.open.push_back(this);
  dp3ShowWindow(dialogId_, logic_->timerPeriodMs());
  logic_->onOpen();
  logic_->onShown();
  while (!closed_) {
    if (!thread.works.empty()) {
      Work next = std::move(thread.works.front());
      thread.works.pop_front();
      next.work();
      next.done();
    } else {
      int where[2] = {};
      const int event = dp3NextEvent(where);
      dispatch(where[0], PageEvent(event), where[1]);
    }
    offerDownloads();
  }
  thread.open.pop_back();
  dp3HideWindow(dialogId_);
}

void PageDialog::dispatch(int dialogId, PageEvent event, int id) {
  const auto& open = pageThread().open;
  for (auto it = open.rbegin(); it != open.rend(); ++it) {
    if ((*it)->dialogId_ != dialogId) continue;
    // Input goes to the innermost window only; timers and sounds to any.
    const bool input = event != PageEvent::Timer && event != PageEvent::SoundEnded;
    if (input && it != open.rbegin()) return;
    return (*it)->handle(event, id);
  }
}

void PageDialog::dispatchNow(int dialogId, PageEvent event, int id) {
  ++pageThread().handedOver;
  dispatch(dialogId, event, id);
  --pageThread().handedOver;
}

bool PageDialog::typed(int dialogId, int id, unsigned character) {
  const auto& open = pageThread().open;
  if (open.empty() || open.back()->dialogId_ != dialogId || open.back()->held_) return false;
  ++pageThread().handedOver;
  const bool swallowed = open.back()->logic_->onTypedCharacter(id, character);
  --pageThread().handedOver;
  return swallowed;
}

void PageDialog::handle(PageEvent event, int id) {
  if (closed_) return;
  switch (event) {
    case PageEvent::Timer:
      return logic_->onTimer();
    case PageEvent::SoundEnded:
      if (!std::exchange(playing_, false)) return;
      return logic_->onSoundEnded();
    default:
      break;
  }
  if (held_) return;  // input waits
  switch (event) {
    case PageEvent::Button:
      return logic_->onButton(id);
    case PageEvent::List:
      return logic_->onListSelection(id);
    case PageEvent::Close:
      return logic_->onClose();
    case PageEvent::Escape:
      return logic_->onEscape();
    default:
      return;
  }
}

// The work runs on the page's thread once the event that started it has ended.
void PageDialog::runOffWindowThread(std::function<void()> work, std::function<void()> done) {
  pageThread().works.push_back({std::move(work), std::move(done)});
}

void PageDialog::holdInput(bool hold) {
  held_ = hold;
  dp3HoldInput(dialogId_, hold ? 1 : 0);
}

void PageDialog::closeWindow() {
  stopSound();
  closed_ = true;
}

void PageDialog::runWindow(int dialogId, const MakeLogic& make) {
  if (!mayWait()) return;
  PageDialog child(dialogId, make);
  child.run();
}

// Opening takes the file from the browser's picker into the page's files;
// saving asks for a name and writes into the downloads folder.
std::string PageDialog::chooseFile(FileChoice choice, const std::string& /*folder*/) {
  char* chosen = nullptr;
  if (choice == FileChoice::SaveSettings) {
    chosen = dp3SaveName();
  } else if (mayWait()) {
    chosen = dp3OpenFile(choice == FileChoice::OpenFirmware ? 1 : 0);
  }
  if (!chosen) return {};
  std::string path = chosen;
  std::free(chosen);
  if (choice != FileChoice::SaveSettings) return path;
  std::error_code error;
  std::filesystem::create_directories(kDownloadFolder, error);
  return (std::filesystem::path(kDownloadFolder) / std::filesystem::path(path).filename()).string();
}

std::string PageDialog::soundUnavailable() const {
  return dp3HasSound() ? "" : "The browser has no sound output";
}

// The whole sound at once, to the browser's audio.
bool PageDialog::playSound(std::unique_ptr<PcmRenderer> pcm) {
  stopSound();
  std::vector<std::int16_t> samples(pcm->totalSamples());
  for (std::size_t at = 0; at < samples.size();) {
    const std::size_t n = pcm->render(std::span(samples).subspan(at));
    if (n == 0) break;
    at += n;
  }
  playing_ = dp3PlayPcm(dialogId_, samples.data(), int(samples.size()), kSampleRate) != 0;
  return playing_;
}

void PageDialog::stopSound() {
  if (!std::exchange(playing_, false)) return;
  dp3StopPcm();
}

WindowRect PageDialog::windowRect() const {
  return screenArea();
}

WindowRect PageDialog::screenArea() const {
  return {0, 0, dp3PageWidth(), dp3PageHeight()};
}

}  // namespace dp3::web
