// The page end to end in headless Chromium, through its windows as an
// operator uses them: on `dp3 sim` behind the page's own Web Serial link (over
// the test's relay) and on the simulated keyer inside the page, each against
// what `dp3` itself says of the same keyer, down to the bytes on the wire.
//   node --test tests/web/e2e.js     (scripts/web-test.sh builds first)
'use strict';

const assert = require('node:assert/strict');
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {after, before, describe, test} = require('node:test');
const h = require('./harness');

const kFirmware = path.join(h.sourceDir, 'tests/data/lark_full.hex');
const kMain = 1001;
const kUploader = 1003;

let site;
let browser;
let home;  // the dp3 command line's configuration and backups go here

before(async () => {
  site = await h.serveSite();
  browser = await h.launchBrowser();
  home = fs.mkdtempSync(path.join(os.tmpdir(), 'dp3-web-'));
});

after(async () => {
  await browser.close();
  site.close();
  fs.rmSync(home, {recursive: true, force: true});
});

const dp3Env = () => ({XDG_DATA_HOME: home, XDG_CONFIG_HOME: home, HOME: home});

// What dp3 says of a fresh `dp3 sim`: test and --trace read (lines, the
// settings file, the wire), a refused value, a write and an upload.
async function commandLineView() {
  const sim = await h.startSim();
  try {
    const run = async (args) => {
      const done = await h.runDp3(['--port', sim.path, ...args], dp3Env());
      return {...done, lines: done.stdout.trimEnd().split('\n')};
    };
    const testTrace = path.join(home, 'test.trace');
    const readTrace = path.join(home, 'read.trace');
    const eep = path.join(home, 'cli.eep');
    const tested = await run(['--trace', testTrace, 'test']);
    const read = await run(['--trace', readTrace, 'read', eep]);
    assert.equal(read.code, 0, read.stderr);
    const image = [...fs.readFileSync(eep)];
    const refused = await run(['set', eep, 'MaxWpm=999']);
    assert.equal(refused.code, 3);
    await run(['set', eep, 'MaxWpm=45']);
    const written = await run(['write', eep]);
    assert.equal(written.code, 0, written.stderr);
    const uploaded = await run(['upload', kFirmware]);
    return {
      testLines: tested.lines, readLines: read.lines, image, refusal: refused.stderr.trim(),
      writeLines: written.lines, uploadLine: uploaded.lines[uploaded.lines.length - 2],
      wire: [...h.traceBytes(fs.readFileSync(testTrace, 'utf8')),
             ...h.traceBytes(fs.readFileSync(readTrace, 'utf8'))],
    };
  } finally {
    await sim.stop();
  }
}

// The two keyers the page meets: dp3 sim behind its Web Serial, and its own;
// fault: the keyer refuses an upload frame as dp3 sim --fault does.
const keyers = [
  {
    name: 'dp3 sim through Web Serial',
    async open(fault) {
      const sim = await h.startSim(fault ? ['--fault', fault] : []);
      const relay = await h.startRelay(sim.path);
      const page = await h.openPage(browser, site.url, {relay});
      await h.chooseRelayPort(page);
      assert.equal(await page.textContent(h.control(kMain, 4074)), 'com:serial:1');
      return {page, relay, close: async () => {
        await page.closeAll();
        await relay.close();
        await sim.stop();
      }};
    },
  },
  {
    name: 'the simulated keyer in the page',
    async open(fault) {
      const page = await h.openPage(browser, site.url, {query: fault ? '?fault=' + fault : ''});
      assert.equal(await page.textContent(h.control(kMain, 4074)), 'com:SIM');
      return {page, relay: null, close: () => page.closeAll()};
    },
  },
];

// FW Update, the file, Program DPUSB; the uploader's status line at the end
// and the progress it showed.
async function upload(page) {
  await h.press(page, kMain, 4010);
  await h.chooseFile(page, kUploader, 2, kFirmware);
  await page.evaluate(() => window.dp3Page.progress.splice(0));
  const asked = await h.press(page, kUploader, 4028, {enabled: h.control(kUploader, 4040)});
  return {
    asked,
    status: await page.textContent(h.control(kUploader, 4036)),
    progress: await page.evaluate(() => window.dp3Page.progress.splice(0)),
  };
}

describe('the page against the command line', () => {
  let expected;
  before(async () => {
    expected = await commandLineView();
  });

  for (const keyer of keyers) {
    test(`every command: ${keyer.name}`, async () => {
      const {page, relay, close} = await keyer.open();
      try {
        // The About window's Trace box: the line from now on.
        await h.press(page, kMain, 4094);
        await page.check(h.control(1004, 4133));
        await h.press(page, 1004, 1);

        await h.press(page, kMain, 4011);
        // dp3 test prints the window's status lines, then the readings.
        assert.deepEqual(await h.statusLines(page), expected.testLines);

        await h.press(page, kMain, 4013);
        assert.deepEqual(await h.statusLines(page, h.kKeyerStatus), expected.readLines);
        // The same bytes in the same order as dp3 test and dp3 read on the line.
        const wire = h.traceBytes(await page.evaluate(() => window.dp3Page.traceText()));
        assert.deepEqual(wire, expected.wire);
        if (relay) {
          // 1200 baud 8N1 (the relay takes nothing else), DTR on, RTS off; the
          // window closes the port as the next command begins.
          assert.deepEqual(relay.events.slice(0, 5),
                           ['open 1200', 'signals dtr rts-off', 'close',
                            'open 1200', 'signals dtr rts-off']);
        }

        // Write Config File: the settings as a download, the bytes dp3 read wrote.
        page.saveAs = 'page.eep';
        await h.press(page, kMain, 4093);
        const saved = await page.evaluate(() => window.dp3Page.downloads.pop());
        assert.equal(saved.name, 'page.eep');
        assert.deepEqual(saved.bytes, expected.image);
        const savedFile = path.join(home, keyer.name.replace(/ /g, '-') + '.eep');
        fs.writeFileSync(savedFile, Buffer.from(saved.bytes));
        const maxWpm = await page.inputValue(h.control(kMain, 4025));

        // A refused value: the message dp3 set gives, the box focused.
        await page.fill(h.control(kMain, 4025), '999');
        await h.press(page, kMain, 4012);
        assert.deepEqual((await h.takeMessages(page)).map((m) => m.text), [expected.refusal]);
        assert.equal(await page.evaluate(() => document.activeElement.id), 'd1001-4025');

        // Write DP with its verify, then Read DP brings the value back.
        await page.fill(h.control(kMain, 4025), '45');
        await h.press(page, kMain, 4012);
        assert.deepEqual(await h.statusLines(page, h.kKeyerStatus),
                         expected.writeLines.filter((line) => line !== 'Writing'));
        await page.fill(h.control(kMain, 4025), '');
        await h.press(page, kMain, 4013);
        assert.equal(await page.inputValue(h.control(kMain, 4025)), '45');
        // The keyer's settings as each Read and each Write (the refused one too,
        // which read them before the form refused) found them are kept in the browser.
        assert.equal(await page.locator('#backups li').count(), 4);

        // Read Config File: the saved file brings the old value back.
        await h.chooseFile(page, kMain, 4092, savedFile);
        assert.equal(await page.inputValue(h.control(kMain, 4025)), maxWpm);
        assert.equal(await page.textContent(h.control(kMain, 4057)), 'EEP FileName: ' +
                     path.basename(savedFile));

        // The firmware: the questions dp3 upload notes, progress to the end,
        // the outcome dp3 upload prints.
        const uploaded = await upload(page);
        assert.equal(uploaded.asked.length, 2, uploaded.asked.join('\n'));
        // Settings written back, where dp3 upload leaves that to its operator.
        assert.equal(uploaded.status, expected.uploadLine.replace('Not Restored', 'Restored'));
        assert.ok(uploaded.progress.some((p) => p > 0 && p < 100), String(uploaded.progress));
        assert.deepEqual([...uploaded.progress].sort((a, b) => a - b), uploaded.progress);
        await h.press(page, kUploader, 4040);  // Exit, then the main window tests the keyer
        assert.equal(await page.textContent(h.control(kMain, 4059)), '>DP OK');
        await h.takeMessages(page);
        assert.deepEqual(page.errors, []);
      } finally {
        await close();
      }
    });

    test(`a refused upload: ${keyer.name}`, async () => {
      const {page, close} = await keyer.open('refuse:0x88@5');
      try {
        await h.press(page, kMain, 4011);  // FW Update waits for a keyer that answered
        const uploaded = await upload(page);
        assert.equal(uploaded.status, 'Error: Restart failed !');
        assert.deepEqual(page.errors, []);
      } finally {
        await close();
      }
    });
  }
});

// The upload's speed change reaches the keyer only through the relay's open
// at the new speed: dp3 sim --realtime paces by the terminal's setting.
test('the relay sets the terminal to the speed of each open', async () => {
  const sim = await h.startSim();
  const relay = await h.startRelay(sim.path);
  const page = await h.openPage(browser, site.url, {relay});
  try {
    for (const baudRate of [9600, 1200]) {
      await page.evaluate(async (rate) => {
        const [port] = await navigator.serial.getPorts().then((ports) =>
          ports.length ? ports : navigator.serial.requestPort().then((p) => [p]));
        await port.open({baudRate: rate});
        window.openPort = port;
      }, baudRate);
      assert.equal(execFileSync('stty', ['-F', sim.path, 'speed']).toString().trim(), String(baudRate));
      await page.evaluate(() => window.openPort.close());
    }
    assert.deepEqual(relay.events, ['open 9600', 'close', 'open 1200', 'close']);
  } finally {
    await page.closeAll();
    await relay.close();
    await sim.stop();
  }
});

test('a port that does not open says so, and the page goes on', async () => {
  const relay = await h.startRelay('/dev/dp3-no-such-terminal');
  const page = await h.openPage(browser, site.url, {relay});
  try {
    await h.chooseRelayPort(page);
    await h.press(page, kMain, 4011);
    const lines = await h.statusLines(page);
    assert.match(lines[0], /^DP Fail:comm open: serial:1: /);
    assert.equal(lines[lines.length - 1], '>DP ERR');
    assert.equal((await h.takeMessages(page)).length, 1);  // why, and what to do
    await h.choosePort(page, 'SIM');
    await h.press(page, kMain, 4011);
    assert.equal(await page.textContent(h.control(kMain, 4059)), '>DP OK');
  } finally {
    await page.closeAll();
    await relay.close();
  }
});

test('without Web Serial the page says so and offers the simulated keyer', async () => {
  const page = await h.openPage(browser, site.url, {noSerial: true});
  try {
    assert.equal(await page.isVisible('#no-serial'), true);
    await h.press(page, kMain, 4009);
    assert.equal(await page.locator('#choose-port').count(), 0);
    await h.press(page, 1002, 1);
    await h.press(page, kMain, 4011);
    assert.equal(await page.textContent(h.control(kMain, 4059)), '>DP OK');
  } finally {
    await page.closeAll();
  }
});

test('Play sounds the message through the browser\'s audio', async () => {
  const page = await h.openPage(browser, site.url);
  try {
    await page.fill(h.control(kMain, 4025), '');
    await h.press(page, kMain, 4051);  // Reset to Defaults: a speed to play at
    await page.fill(h.control(kMain, 4001), 'CQ TEST');
    await h.press(page, kMain, 4130);
    const [sound] = await page.evaluate(() => window.dp3Page.sounds);
    assert.equal(sound.rate, 48000);
    assert.ok(sound.samples > 48000, String(sound.samples));  // seconds of Morse
    assert.equal(await page.isEnabled(h.control(kMain, 4137)), true);  // Stop
  } finally {
    await page.closeAll();
  }
});
