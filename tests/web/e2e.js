// The page end to end in headless Chromium: Test and Read through the page's
// own Web Serial link to `dp3 sim` (over the test's relay), and on the
// simulated keyer inside the page; each against what `dp3` itself says of the
// same keyer, down to the bytes on the wire.
//   node --test tests/web/e2e.js     (scripts/web-test.sh builds first)
'use strict';

const assert = require('node:assert/strict');
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {after, before, describe, test} = require('node:test');
const h = require('./harness');

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

// `dp3 test` and `dp3 --trace read` on a fresh `dp3 sim`: the lines it prints,
// the settings file it wrote and the bytes of its trace.
async function commandLineView() {
  const sim = await h.startSim();
  try {
    const testTrace = path.join(home, 'test.trace');
    const tested = await h.runDp3(['--port', sim.path, '--trace', testTrace, 'test'], dp3Env());
    assert.equal(tested.code, 0, tested.stderr);
    const readTrace = path.join(home, 'read.trace');
    const eep = path.join(home, 'cli.eep');
    const read = await h.runDp3(['--port', sim.path, '--trace', readTrace, 'read', eep], dp3Env());
    assert.equal(read.code, 0, read.stderr);
    return {
      testLines: tested.stdout.trimEnd().split('\n'),
      readLines: read.stdout.trimEnd().split('\n'),
      image: [...fs.readFileSync(eep)],
      wire: [...h.traceBytes(fs.readFileSync(testTrace, 'utf8')),
             ...h.traceBytes(fs.readFileSync(readTrace, 'utf8'))],
    };
  } finally {
    await sim.stop();
  }
}

// The two keyers the page meets: dp3 sim behind its Web Serial, and its own.
const keyers = [
  {
    name: 'dp3 sim through Web Serial',
    async open() {
      const sim = await h.startSim();
      const relay = await h.startRelay(sim.path);
      const page = await h.openPage(browser, site.url, {relay});
      await h.chooseRelayPort(page);
      return {page, relay, close: async () => {
        await page.closeAll();
        await relay.close();
        await sim.stop();
      }};
    },
  },
  {
    name: 'the simulated keyer in the page',
    async open() {
      const page = await h.openPage(browser, site.url);
      assert.equal(await page.inputValue('#port'), 'SIM');
      return {page, relay: null, close: () => page.closeAll()};
    },
  },
];

describe('the page against the command line', () => {
  let expected;
  before(async () => {
    expected = await commandLineView();
  });

  for (const keyer of keyers) {
    test(`Test, Read and the wire: ${keyer.name}`, async () => {
      const {page, relay, close} = await keyer.open();
      try {
        await page.check('#trace');

        const tested = await h.runCommand(page, '#test');
        assert.equal(tested.same, false);
        // dp3 test prints the window's status lines, then the readings.
        assert.deepEqual(await h.statusLines(page), expected.testLines);

        const read = await h.runCommand(page, '#read');
        assert.equal(read.same, true);
        // dp3 read prints the three status lines; the readings stay from the Test.
        assert.deepEqual(await h.statusLines(page, h.kKeyerStatus), expected.readLines);
        assert.deepEqual(await page.evaluate(() => window.dp3Page.image()), expected.image);

        // The same bytes in the same order as dp3 test and dp3 read on the line.
        const wire = h.traceBytes(await page.evaluate(() => window.dp3Page.traceText()));
        assert.deepEqual(wire, expected.wire);

        if (relay) {
          // 1200 baud 8N1 (the relay takes nothing else), DTR on, RTS off, closed after each.
          assert.deepEqual(relay.events,
                           ['open 1200', 'signals dtr rts-off', 'close',
                            'open 1200', 'signals dtr rts-off', 'close']);
        }
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
    await h.runCommand(page, '#test');
    assert.deepEqual(await h.statusLines(page), ['DP Fail:comm open', '>DP ERR']);
    await page.selectOption('#port', 'SIM');
    await h.runCommand(page, '#test');
    assert.equal(await page.textContent('#status-4059'), '>DP OK');
  } finally {
    await page.closeAll();
    await relay.close();
  }
});

test('without Web Serial the page says so and offers the simulated keyer', async () => {
  const page = await h.openPage(browser, site.url, {noSerial: true});
  try {
    assert.equal(await page.isVisible('#no-serial'), true);
    assert.equal(await page.isDisabled('#choose-port'), true);
    await h.runCommand(page, '#read');
    assert.equal(await page.textContent('#status-4059'), '>Done');
  } finally {
    await page.closeAll();
  }
});

test('with Web Serial the notice stays hidden', async () => {
  const page = await h.openPage(browser, site.url);
  try {
    assert.equal(await page.isVisible('#no-serial'), false);
    assert.equal(await page.isEnabled('#choose-port'), true);
  } finally {
    await page.closeAll();
  }
});
