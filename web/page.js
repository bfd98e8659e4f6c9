// The page around the core: the port choice, Test and Read, and the texts the
// window logic sets, shown as it sets them. The core decides; this only
// carries clicks in and texts out.
'use strict';

(() => {
  const kTracePath = '/dp3-page.trace';
  const kCommands = {test: 0, read: 1};

  const $ = (id) => document.getElementById(id);
  const portList = $('port');
  const buttons = [$('test'), $('read')];
  const hasSerial = 'serial' in navigator;

  // What tests and benches read: when the module was ready, and each command's end.
  const page = {timings: {}, runs: [], module: null};
  window.dp3Page = page;

  // The status fields show their latest text, the log each one in turn; the
  // form's texts have no place on this page yet.
  function showText(id, text) {
    const field = $('status-' + id);
    if (!field) return;
    field.textContent = text;
    if (text === '') return;
    const line = document.createElement('li');
    line.textContent = text;
    $('log').append(line);
  }

  function showMessage(text, caption) {
    const box = document.createElement('p');
    box.textContent = caption ? caption + ': ' + text : text;
    $('messages').append(box);
  }

  function setBusy(busy) {
    document.body.dataset.state = busy ? 'busy' : 'idle';
    for (const button of buttons) button.disabled = busy || !page.module;
    $('choose-port').disabled = busy || !hasSerial;
    // Nothing else may call into the module while a command waits in it.
    portList.disabled = busy;
    $('trace').disabled = busy || !page.module;
  }

  function addPort(name, label) {
    if ([...portList.options].some((option) => option.value === name)) return;
    portList.append(new Option(label, name));
  }

  function portLabel(name) {
    const description = page.module.serialLines.describe(name);
    return description ? name + ' (' + description + ')' : name;
  }

  // Ports this site was granted before come back without asking.
  async function listGrantedPorts() {
    if (!hasSerial) return;
    for (const port of await navigator.serial.getPorts()) {
      const name = page.module.serialLines.grant(port);
      addPort(name, portLabel(name));
    }
  }

  async function choosePort() {
    let port;
    try {
      port = await navigator.serial.requestPort();
    } catch (error) {
      return;  // the operator closed the picker
    }
    const name = page.module.serialLines.grant(port);
    addPort(name, portLabel(name));
    portList.value = name;
  }

  async function run(command) {
    setBusy(true);
    $('messages').replaceChildren();
    const heading = document.createElement('li');
    heading.textContent = '-- ' + command + ' on ' + portList.selectedOptions[0].text;
    $('log').append(heading);
    const start = performance.now();
    try {
      const same = await page.module.ccall('dp3RunCommand', 'number', ['number', 'string'],
                                           [kCommands[command], portList.value], {async: true});
      page.runs.push({command, port: portList.value, ms: performance.now() - start, same: !!same});
    } catch (error) {
      showMessage(String(error), 'The program stopped');
      page.runs.push({command, port: portList.value, ms: performance.now() - start, same: false,
                      error: String(error)});
    } finally {
      setBusy(false);
    }
  }

  function startTrace(on) {
    if (on && !page.tracing) {
      page.tracing = page.module.ccall('dp3TraceTo', 'number', ['string'], [kTracePath]) === 1;
    }
    $('trace-download').hidden = !page.tracing;
  }

  // The trace so far, as text.
  page.traceText = () => (page.tracing ? page.module.FS.readFile(kTracePath, {encoding: 'utf8'}) : '');
  // The settings the page holds, 300 bytes.
  page.image = () => {
    const at = page.module.ccall('dp3Image', 'number', [], []);
    return Array.from(page.module.HEAPU8.subarray(at, at + 300));
  };

  $('test').addEventListener('click', () => run('test'));
  $('read').addEventListener('click', () => run('read'));
  $('choose-port').addEventListener('click', choosePort);
  $('trace').addEventListener('change', (event) => startTrace(event.target.checked));
  $('trace-download').addEventListener('click', (event) => {
    event.currentTarget.href = URL.createObjectURL(new Blob([page.traceText()], {type: 'text/plain'}));
  });
  $('no-serial').hidden = hasSerial;
  if (hasSerial) {
    navigator.serial.addEventListener('connect', () => listGrantedPorts());
  }
  setBusy(false);

  const moduleStart = performance.now();
  page.ready = createDp3({onText: showText, onMessage: showMessage}).then(async (module) => {
    page.module = module;
    page.timings.wasmStart = performance.now() - moduleStart;
    page.timings.readyAt = performance.now();
    await listGrantedPorts();
    setBusy(false);
    return module;
  });
})();
