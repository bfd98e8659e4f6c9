// The page's face: the windows written from the forms, each control adapted
// for the core's window logic (web/dom_surface.cpp, web/page_face.cpp). The
// logic decides; this only carries events in and does what it is told to the
// elements, the browser's pickers, its downloads and its audio.
'use strict';

(() => {
  const kEvents = {button: 1, list: 2, close: 3, escape: 4, timer: 5, soundEnded: 6};
  const kMainDialog = 1001;
  const kHome = '/home/web_user';
  const kBackups = kHome + '/.local/share/dp3tools/backups';
  const kUploads = kHome + '/Uploads';
  // The status lines the logic sets; assistive technology reads them out.
  const kStatusLines = ['d1001-4059', 'd1001-4061', 'd1001-4079', 'd1002-4132', 'd1003-4036'];
  const hasSerial = 'serial' in navigator;

  const $ = (id) => document.getElementById(id);
  const element = (dialog, id) => $('d' + dialog + '-' + id);

  // What tests and benches read.
  // inputs: the operator's events handed to the logic so far; waiting: the
  // logic waits for the next one, all it started has ended.
  const page = {timings: {}, module: null, downloads: [], sounds: [], messages: [], progress: [], inputs: 0,
                waiting: false};
  window.dp3Page = page;

  let waiter = null;   // the window logic's wait for its next event
  let choosing = false;  // a file picker is open: input waits
  const timers = new Map();

  // An event for a window: to the logic's wait, or at once while the page's
  // work waits on the line.
  function post(dialog, kind, id = 0) {
    if (!page.module || !page.started) return;
    const input = kind !== kEvents.timer && kind !== kEvents.soundEnded;
    if (choosing && input) return;
    if (input) page.inputs += 1;
    if (waiter) {
      const resolve = waiter;
      waiter = null;
      page.waiting = false;
      resolve({dialog, kind, id});
    } else {
      page.module._dp3Dispatch(dialog, kind, id);
    }
  }

  // ---- controls ------------------------------------------------------------
  const editorLines = (text) => text.replace(/\r\n?/g, '\n');
  const kControl = {
    1: (e, n, text) => {  // text
      if (e.matches('input, textarea')) {
        e.value = e.tagName === 'TEXTAREA' ? editorLines(text) : text;
      } else if (e.tagName === 'FIELDSET') {
        e.querySelector('legend').textContent = text;
      } else {
        e.textContent = text;
      }
    },
    2: (e, n, text) => {  // appended text
      e.value += editorLines(text);
      e.scrollTop = e.scrollHeight;
    },
    3: (e, n) => { e.checked = n !== 0; },
    4: (e) => (e.checked ? 1 : 0),
    5: (e) => { e.replaceChildren(); },
    6: (e, n, text) => { e.append(new Option(text)); },
    7: (e, n) => { e.selectedIndex = n; },
    8: (e) => e.selectedIndex,
    9: (e, n) => { e.disabled = n === 0; },
    10: (e, n) => { e.hidden = n === 0; },
    11: (e, n) => {
      e.value = n;
      page.progress.push(n);
    },
    12: (e, n, text) => { e.title = text; },
    13: (e) => {
      // Behind a message box the focus waits until it closes.
      if ($('message-box').open) {
        focusAfterMessages = e;
        return;
      }
      e.focus();
      if (e.select) e.select();
    },
  };

  const messages = [];
  let focusAfterMessages = null;
  function showNextMessage() {
    const box = $('message-box');
    if (box.open) return;
    if (!messages.length) {
      if (focusAfterMessages) kControl[13](focusAfterMessages);
      focusAfterMessages = null;
      return;
    }
    const [text, caption] = messages.shift();
    $('message-caption').textContent = caption;
    $('message-text').textContent = text;
    box.showModal();
    $('message-ok').focus();
  }

  function readFile(path) {
    return page.module.FS.readFile(path);
  }

  function offer(name, bytes) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  let audio = null;
  let sound = null;

  const face = {
    control(dialog, id, operation, number, text) {
      const e = element(dialog, id);
      if (!e) return operation === 8 ? -1 : 0;
      const result = kControl[operation](e, number, text);
      return typeof result === 'number' ? result : 0;
    },
    text(dialog, id) {
      const e = element(dialog, id);
      if (!e) return '';
      if (e.tagName === 'TEXTAREA') return e.value.replace(/\n/g, '\r\n');
      if (e.tagName === 'INPUT') return e.value;
      if (e.tagName === 'FIELDSET') return e.querySelector('legend').textContent;
      return e.textContent;
    },
    message(text, caption) {
      page.messages.push({text, caption});
      messages.push([text, caption]);
      showNextMessage();
    },
    ask(text, caption, withCancel) {
      const box = $('question-box');
      $('question-caption').textContent = caption;
      $('question-text').textContent = text;
      $('question-cancel').hidden = !withCancel;
      box.showModal();
      $('question-yes').focus();
      return new Promise((resolve) => {
        box.onclose = () => resolve(Number(box.returnValue || (withCancel ? 2 : 1)));
      });
    },
    nextEvent() {
      page.waiting = true;
      refreshKept();
      return new Promise((resolve) => { waiter = resolve; });
    },
    showWindow(dialog, timerMs) {
      const e = $('d' + dialog);
      if (e.showModal) e.showModal();
      if (timerMs > 0) timers.set(dialog, setInterval(() => post(dialog, kEvents.timer), timerMs));
    },
    hideWindow(dialog) {
      clearInterval(timers.get(dialog));
      timers.delete(dialog);
      const e = $('d' + dialog);
      if (e.close) e.close();
    },
    holdInput(dialog, hold) {
      const e = $('d' + dialog);
      e.setAttribute('aria-busy', String(hold));
      // The main window greys its form and editor while a command runs.
      for (const group of e.querySelectorAll('#d1001-4055, #d1001-4056')) group.disabled = hold;
      if (dialog === kMainDialog) document.body.dataset.state = hold ? 'busy' : 'idle';
    },
    openFile(firmware) {
      const input = document.createElement('input');
      input.type = 'file';
      input.accept = firmware ? '.hex,.bin' : '.eep';
      choosing = true;
      return new Promise((resolve) => {
        input.addEventListener('cancel', () => resolve(''));
        input.addEventListener('change', async () => {
          const file = input.files[0];
          if (!file) return resolve('');
          const FS = page.module.FS;
          if (!FS.analyzePath(kUploads).exists) FS.mkdir(kUploads);
          const path = kUploads + '/' + file.name.replace(/\//g, '_');
          FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
          resolve(path);
        });
        page.fileInput = input;
        input.click();
      }).finally(() => {
        choosing = false;
        page.fileInput = null;
      });
    },
    saveName() {
      const name = window.prompt('Save the settings file as', 'dp3-settings.eep');
      return name ? name.replace(/[\/\\]/g, '_') : '';
    },
    download(path) {
      const name = path.split('/').pop();
      const bytes = readFile(path);
      page.downloads.push({name, bytes: Array.from(bytes)});
      offer(name, bytes);
    },
    hasSound: () => typeof AudioContext !== 'undefined',
    play(dialog, samples, rate) {
      face.stop();
      audio = audio || new AudioContext();
      const buffer = audio.createBuffer(1, Math.max(samples.length, 1), rate);
      const channel = buffer.getChannelData(0);
      for (let i = 0; i < samples.length; ++i) channel[i] = samples[i] / 32768;
      sound = audio.createBufferSource();
      sound.buffer = buffer;
      sound.connect(audio.destination);
      sound.onended = () => {
        sound = null;
        post(dialog, kEvents.soundEnded);
      };
      sound.start();
      page.sounds.push({samples: samples.length, rate});
      return true;
    },
    stop() {
      if (!sound) return;
      sound.onended = null;
      sound.stop();
      sound = null;
    },
  };

  // ---- what the browser keeps: backups and the trace -----------------------
  let syncTimer = null;
  function refreshKept() {
    const FS = page.module.FS;
    const names = FS.analyzePath(kBackups).exists ?
        FS.readdir(kBackups).filter((name) => !name.startsWith('.')).sort() : [];
    const list = $('backups');
    if (list.dataset.names !== names.join('/')) {
      list.dataset.names = names.join('/');
      list.replaceChildren(...names.map((name) => {
        const item = document.createElement('li');
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = 'Download ' + name;
        button.addEventListener('click', () => offer(name, readFile(kBackups + '/' + name)));
        item.append(button);
        return item;
      }));
      $('no-backups').hidden = names.length > 0;
    }
    const trace = page.traceFile();
    $('trace-download').hidden = !trace;
    // The browser's storage follows the page's files once the page is idle.
    clearTimeout(syncTimer);
    syncTimer = setTimeout(() => FS.syncfs(false, () => {}), 500);
  }

  page.traceFile = () => {
    const name = page.module.UTF8ToString(page.module._dp3TraceFile());
    return name && page.module.FS.analyzePath(name).exists ? name : '';
  };
  page.traceText = () => {
    const name = page.traceFile();
    return name ? page.module.FS.readFile(name, {encoding: 'utf8'}) : '';
  };

  // ---- events from the windows ----------------------------------------------
  function wireWindow(win) {
    const dialog = Number(win.id.slice(1));
    win.addEventListener('click', (event) => {
      const e = event.target.closest('[data-control]');
      if (!e || !e.matches('button, input[type=checkbox], input[type=radio]')) return;
      post(dialog, kEvents.button, Number(e.dataset.control));
    });
    win.addEventListener('change', (event) => {
      const e = event.target;
      if (e.tagName === 'SELECT' && e.dataset.control) {
        post(dialog, kEvents.list, Number(e.dataset.control));
      }
    });
    // Each typed character goes to the logic, which may swallow it; letters
    // in the message editor show as the capitals the keyer sends.
    win.addEventListener('beforeinput', (event) => {
      const e = event.target;
      if (!e.dataset.control || !page.started) return;
      const typed = event.inputType === 'insertText' ? event.data || '' :
          ['insertLineBreak', 'insertParagraph'].includes(event.inputType) ? '\n' : '';
      for (const c of typed) {
        if (page.module._dp3Typed(dialog, Number(e.dataset.control), c.codePointAt(0))) {
          event.preventDefault();
          return;
        }
      }
    });
    win.addEventListener('input', (event) => {
      const e = event.target;
      if (!e.closest('#d1001-4056') || e.value === e.value.toUpperCase()) return;
      const at = e.selectionStart;
      e.value = e.value.toUpperCase();
      e.setSelectionRange(at, at);
    });
    if (win.tagName === 'DIALOG') {
      // Esc, and the close box the forms' windows have in the other faces.
      win.addEventListener('cancel', (event) => {
        event.preventDefault();
        post(dialog, kEvents.escape);
      });
      const close = document.createElement('button');
      close.type = 'button';
      close.className = 'close-box';
      close.setAttribute('aria-label', 'Close');
      close.textContent = '\u00d7';
      close.addEventListener('click', () => post(dialog, kEvents.close));
      win.querySelector('h2').before(close);
    }
  }

  for (const win of document.querySelectorAll('.window')) wireWindow(win);
  for (const id of kStatusLines) {
    const e = $(id);
    if (e) e.setAttribute('role', 'status');
  }
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape' && !document.querySelector('dialog[open]')) {
      post(kMainDialog, kEvents.escape);
    }
  });
  $('message-ok').addEventListener('click', () => {
    $('message-box').close();
    showNextMessage();
  });
  for (const [button, answer] of [['question-yes', 0], ['question-no', 1], ['question-cancel', 2]]) {
    $(button).addEventListener('click', () => $('question-box').close(String(answer)));
  }
  $('trace-download').addEventListener('click', (event) => {
    event.currentTarget.download = page.traceFile().split('/').pop();
    event.currentTarget.href = URL.createObjectURL(new Blob([page.traceText()], {type: 'text/plain'}));
  });

  // The browser's own picker grants a port; the port window lists it.
  if (hasSerial) {
    const choose = document.createElement('button');
    choose.type = 'button';
    choose.id = 'choose-port';
    choose.textContent = 'Choose serial port\u2026';
    choose.addEventListener('click', async () => {
      try {
        page.module.serialLines.grant(await navigator.serial.requestPort());
      } catch (error) {
        // the operator closed the picker
      }
    });
    $('d1002').querySelector('.grid').after(choose);
  }
  $('no-serial').hidden = hasSerial;

  // ---- start -----------------------------------------------------------------
  const moduleStart = performance.now();
  page.ready = createDp3({face}).then(async (module) => {
    page.module = module;
    page.timings.wasmStart = performance.now() - moduleStart;
    module.FS.mount(module.IDBFS, {}, kHome);
    await new Promise((resolve) => module.FS.syncfs(true, resolve));
    if (hasSerial) {
      for (const port of await navigator.serial.getPorts()) module.serialLines.grant(port);
    }
    page.started = true;
    // ?fault=NAME: the simulated keyer shows that fault, as dp3 sim --fault NAME.
    const fault = new URLSearchParams(location.search).get('fault') || '';
    const ended = module.ccall('dp3Start', null, ['string'], [fault], {async: true});
    ended.then(() => {
      page.ended = true;
      $('ended').hidden = false;
    }, (error) => {
      page.ended = true;
      face.message(String(error) + (error.errno ? ' (' + error.errno + ')' : ''), 'The program stopped');
    });
    $('loading').hidden = true;
    document.body.dataset.state = 'idle';
    page.timings.readyAt = performance.now();
    return module;
  });

})();
