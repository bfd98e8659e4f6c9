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
async function openPage(browser, siteUrl, {relay = null, noSerial = false} = {}) {
  const context = await browser.newContext();
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
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
  await page.goto(siteUrl);
  await page.evaluate(async () => {
    await window.dp3Page.ready;  // not the module itself: it would be copied out whole
  });
  page.errors = errors;
  page.closeAll = () => context.close();
  return page;
}

// Clicks a command's button and waits for the command to end; its run record.
async function runCommand(page, button) {
  const before = await page.evaluate(() => window.dp3Page.runs.length);
  await page.click(button);
  await page.waitForFunction((n) => window.dp3Page.runs.length > n, before, {timeout: 60000});
  return page.evaluate(() => window.dp3Page.runs[window.dp3Page.runs.length - 1]);
}

// Chooses the relay's port in the page (the browser's picker stands in).
async function chooseRelayPort(page) {
  await page.click('#choose-port');
  await page.waitForFunction(() => document.getElementById('port').value.startsWith('serial:'));
}

// The status fields in the order dp3 prints them: interface, IC line,
// operation, then the readings (pot, buttons, supply).
const kKeyerStatus = [4061, 4079, 4059];
const kAllStatus = [...kKeyerStatus, 4060, 4075, 4070];

// The texts of those fields after a command, the empty ones left out.
function statusLines(page, ids = kAllStatus) {
  return page.evaluate((fields) =>
    fields.map((id) => document.getElementById('status-' + id).textContent)
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
  runCommand, chooseRelayPort, kKeyerStatus, statusLines, traceBytes,
};
