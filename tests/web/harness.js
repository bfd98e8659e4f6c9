// What the browser tests and the page bench share: the page served on
// localhost, Debian's Chromium driven headless, `dp3 sim` on a
// pseudo-terminal, and the relay that puts it behind the page's Web Serial.
'use strict';

const {spawn, execFile} = require('child_process');
const fs = require('fs');
const http = require('http');
const path = require('path');
const readline = require('readline');
const {chromium} = require('playwright-core');
const {startRelay} = require('./relay');

const sourceDir = path.resolve(__dirname, '../..');
const siteDir = process.env.DP3_SITE || path.join(sourceDir, 'build-web/site');
const dp3 = process.env.DP3 || path.join(sourceDir, 'build/cli/dp3');

// Debian's Chromium as root on a closed network (no sandbox, no background
// connections); never a downloaded browser.
const kChromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
                        '--no-first-run', '--disable-background-networking',
                        '--disable-component-update', '--disable-sync'];

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.md': 'text/plain; charset=utf-8',
};

// The page's folder over HTTP on localhost (a secure context, as Web Serial needs).
function serveSite(root = siteDir) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'});
      response.end(data);
    });
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({url: 'http://127.0.0.1:' + server.address().port + '/', close: () => server.close()});
    });
  });
}

function launchBrowser() {
  return chromium.launch({executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                          args: kChromiumFlags});
}

// `dp3 sim ARGS` on a pseudo-terminal: resolves once it printed the terminal's path.
function startSim(args = []) {
  const sim = spawn(dp3, ['sim', ...args], {stdio: ['ignore', 'pipe', 'ignore']});
  return new Promise((resolve, reject) => {
    sim.on('error', reject);
    sim.on('exit', (code) => reject(new Error('dp3 sim ended with ' + code)));
    readline.createInterface({input: sim.stdout}).once('line', (ptyPath) => {
      resolve({
        path: ptyPath,
        stop: () =>
          new Promise((done) => {
            sim.removeAllListeners('exit');
            sim.on('exit', done);
            sim.kill('SIGTERM');
          }),
      });
    });
  });
}

// A dp3 command; resolves to {code, stdout, stderr}.
function runDp3(args, env = {}) {
  return new Promise((resolve) => {
    execFile(dp3, args, {env: {...process.env, ...env}}, (error, stdout, stderr) => {
      resolve({code: error ? error.code : 0, stdout, stderr});
    });
  });
}

// A fresh page. With a relay, navigator.serial is the test's stand-in over it;
// with noSerial, the page meets a browser without Web Serial.
async function openPage(browser, siteUrl, {relay = null, noSerial = false, query = ''} = {}) {
  const context = await browser.newContext();
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  // The name a settings file is saved as (the page asks with the browser's prompt).
  page.on('dialog', (dialog) => dialog.accept(page.saveAs || 'page.eep'));
  if (relay) {
    await page.addInitScript((url) => {
      window.dp3RelayUrl = url;
    }, relay.url);
    await page.addInitScript({path: path.join(__dirname, 'port_streams.js')});
    await page.addInitScript({path: path.join(__dirname, 'serial_shim.js')});
  }
  if (noSerial) {
    await page.addInitScript(() => {
      delete Navigator.prototype.serial;
    });
  }
  await page.goto(siteUrl + query);
  await page.evaluate(async () => {
    await window.dp3Page.ready;  // not the module itself: it would be copied out whole
  });
  await page.waitForFunction(() => window.dp3Page.waiting);
  page.errors = errors;
  page.closeAll = () => context.close();
  return page;
}

// A control of a window: "#d1001-4011" (Test DP of the main window).
const control = (dialog, id) => `#d${dialog}-${id}`;

// The questions the page asked meanwhile, answered Yes (or as answers has
// them in turn: 'yes', 'no', 'cancel'). Resolves once
// the window logic has taken the events act made and everything they started
// has ended; with enabled, also once that control takes input again (a
// window whose timer carries its work on, as the uploader's).
async function settle(page, act, {timeout = 120000, enabled = null, answers = []} = {}) {
  const before = await page.evaluate(() => window.dp3Page.inputs);
  await act();
  const asked = [];
  const end = Date.now() + timeout;
  for (;;) {
    const state = await page.evaluate(([n, control]) => ({
      done: window.dp3Page.inputs > n && window.dp3Page.waiting &&
          (!control || !document.querySelector(control).disabled),
      question: document.getElementById('question-box').open ?
          document.getElementById('question-text').textContent : null,
    }), [before, enabled]);
    if (state.done) return asked;
    if (state.question !== null) {
      await page.click('#question-' + (answers[asked.length] || 'yes'));
      asked.push(state.question);
    }
    if (Date.now() > end) throw new Error('the page did not settle');
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
}

// Clicks a control and waits until what it started has ended.
const press = (page, dialog, id, options) =>
  settle(page, () => page.click(control(dialog, id)), options);

// The message boxes shown since the last call, each closed.
async function takeMessages(page) {
  const shown = await page.evaluate(() => window.dp3Page.messages.splice(0));
  while (await page.isVisible('#message-ok')) await page.click('#message-ok');
  return shown;
}

// Chooses a file in the browser's picker that clicking control opens.
async function chooseFile(page, dialog, id, file) {
  return settle(page, async () => {
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'),
                                         page.click(control(dialog, id))]);
    await chooser.setFiles(file);
  });
}

// Set Com Port, the port named name chosen in the port window, OK; grant:
// the browser's picker first (the test's stand-in grants the relay's port).
async function choosePort(page, name, {grant = false} = {}) {
  await press(page, 1001, 4009);
  if (grant) await page.click('#choose-port');
  const entry = (n) =>
    [...document.getElementById('d1002-4026').options].findIndex((o) => o.text.includes(n));
  await page.waitForFunction((n) => eval(n[0])(n[1]) >= 0, [entry.toString(), name]);
  const index = await page.evaluate((n) => eval(n[0])(n[1]), [entry.toString(), name]);
  await settle(page, () => page.selectOption(control(1002, 4026), {index}));
  await press(page, 1002, 1);
}

const chooseRelayPort = (page) => choosePort(page, 'serial:1', {grant: true});

// The status fields in the order dp3 prints them: interface, IC line,
// operation, then the readings (pot, buttons, supply).
const kKeyerStatus = [4061, 4079, 4059];
const kAllStatus = [...kKeyerStatus, 4060, 4075, 4070];

// The texts of those fields after a command, the empty ones left out.
function statusLines(page, ids = kAllStatus) {
  return page.evaluate((fields) =>
    fields.map((id) => document.getElementById('d1001-' + id).textContent)
        .filter((text) => text !== ''), ids);
}

// The bytes of a trace, in order: "> 00", "< 55", ... (times and events dropped).
function traceBytes(text) {
  return text.split('\n')
      .map((line) => line.trim().split(/\s+/))
      .filter((fields) => fields[2] === '>' || fields[2] === '<')
      .map((fields) => fields[2] + ' ' + fields[3]);
}

module.exports = {
  sourceDir, siteDir, dp3, serveSite, launchBrowser, startSim, startRelay, runDp3, openPage,
  control, settle, press, takeMessages, chooseFile, choosePort, chooseRelayPort, kKeyerStatus, statusLines,
  traceBytes,
};
