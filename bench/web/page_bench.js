// The page's figures: the module's size, first paint and WebAssembly start
// in headless Chromium, and Read DP and a firmware upload through the page's
// Web Serial link (over the test relay) against `dp3 sim --realtime`, beside
// `dp3 read` and `dp3 upload` on the same kind of keyer. Medians of several
// runs; the goal for both is within 5% of the command line.
//   node bench/web/page_bench.js [RUNS]     (scripts/web-test.sh --bench)
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const h = require('../../tests/web/harness');

const runs = Number(process.argv[2] || 5);

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const ms = (value) => value.toFixed(1) + ' ms';

// From the first byte sent to the last byte received, in a trace's own times:
// the line's part of a command, without starting a program or opening a port.
function wireTime(trace) {
  const times = trace.split('\n').map((line) => line.trim().split(/\s+/))
      .filter((fields) => fields[2] === '>' || fields[2] === '<');
  const first = times.find((fields) => fields[2] === '>');
  const last = times.filter((fields) => fields[2] === '<').pop();
  return Number(last[0]) - Number(first[0]);
}

async function pageLoads(browser, site) {
  const paints = [];
  const starts = [];
  for (let i = 0; i < runs; ++i) {
    const page = await h.openPage(browser, site.url);
    const paint = await page.evaluate(() => {
      const entry = performance.getEntriesByName('first-contentful-paint')[0];
      return entry ? entry.startTime : NaN;
    });
    paints.push(paint);
    starts.push(await page.evaluate(() => window.dp3Page.timings.wasmStart));
    await page.closeAll();
  }
  return {paint: median(paints), wasmStart: median(starts)};
}

const kFirmware = path.join(h.sourceDir, 'tests/data/lark_full.hex');

// Read DP, or the upload of kFirmware, in the page against a fresh
// `dp3 sim --realtime` through the relay: the time from the click to the
// end of all it started.
async function pageRun(browser, site, command) {
  const sim = await h.startSim(['--realtime']);
  const relay = await h.startRelay(sim.path);
  const page = await h.openPage(browser, site.url, {relay});
  try {
    await h.chooseRelayPort(page);
    await h.press(page, 1001, 4094);  // About: Trace
    await page.check(h.control(1004, 4133));
    await h.press(page, 1004, 1);
    await h.press(page, 1001, 4011);  // Test DP: Read and FW Update wait for a keyer that answered
    const traced = (await page.evaluate(() => window.dp3Page.traceText())).length;
    let start;
    if (command === 'read') {
      start = performance.now();
      await h.press(page, 1001, 4013);
    } else {
      await h.press(page, 1001, 4010);
      await h.chooseFile(page, 1003, 2, kFirmware);
      start = performance.now();
      // Go on with the older image; the settings stay as the new firmware
      // left them, as dp3 upload leaves them.
      await h.press(page, 1003, 4028, {enabled: h.control(1003, 4040), answers: ['yes', 'no']});
    }
    const total = performance.now() - start;
    const trace = await page.evaluate(() => window.dp3Page.traceText());
    return {total, wire: wireTime(trace.slice(traced))};
  } finally {
    await page.closeAll();
    await relay.close();
    await sim.stop();
  }
}

// `dp3 read` or `dp3 upload` against a fresh `dp3 sim --realtime`: the process's whole run.
async function commandLineRun(home, command) {
  const env = {XDG_DATA_HOME: home, XDG_CONFIG_HOME: home, HOME: home};
  const sim = await h.startSim(['--realtime']);
  try {
    const trace = path.join(home, 'bench.trace');
    fs.rmSync(trace, {force: true});
    const args = command === 'read' ? ['read', path.join(home, 'bench.eep')] : ['upload', kFirmware];
    const start = process.hrtime.bigint();
    const done = await h.runDp3(['--port', sim.path, '--trace', trace, ...args], env);
    const total = Number(process.hrtime.bigint() - start) / 1e6;
    if (done.code !== 0) throw new Error('dp3 ' + command + ': ' + done.stderr);
    return {total, wire: wireTime(fs.readFileSync(trace, 'utf8'))};
  } finally {
    await sim.stop();
  }
}

// Taken in turns, so both meet the same load on a shared machine.
async function compare(browser, site, command, times) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'dp3-bench-'));
  const page = [];
  const cli = [];
  for (let i = 0; i < times; ++i) {
    page.push(await pageRun(browser, site, command));
    cli.push(await commandLineRun(home, command));
  }
  fs.rmSync(home, {recursive: true, force: true});
  const medians = (list) => ({total: median(list.map((r) => r.total)),
                              wire: median(list.map((r) => r.wire))});
  return {page: medians(page), cli: medians(cli)};
}

(async () => {
  const wasm = fs.readFileSync(path.join(h.siteDir, 'dp3.wasm'));
  const js = fs.readFileSync(path.join(h.siteDir, 'dp3.js'));
  console.log(`dp3.wasm: ${wasm.length} bytes (${zlib.gzipSync(wasm, {level: 9}).length} gzipped)`);
  console.log(`dp3.js:   ${js.length} bytes (${zlib.gzipSync(js, {level: 9}).length} gzipped)`);

  const site = await h.serveSite();
  const browser = await h.launchBrowser();
  try {
    const loads = await pageLoads(browser, site);
    console.log(`first contentful paint: ${ms(loads.paint)}  (median of ${runs})`);
    console.log(`WebAssembly start:      ${ms(loads.wasmStart)}  (fetch, compile, instantiate)`);
    // The page's whole run includes the relay's open of the terminal; dp3's
    // whole run includes starting the program. The wire part is the line's alone.
    for (const [command, times] of [['read', runs], ['upload', Math.max(1, Math.ceil(runs / 2))]]) {
      const r = await compare(browser, site, command, times);
      console.log(`${command}, page via Web Serial and the relay: ${ms(r.page.total)}, ` +
                  `on the wire ${ms(r.page.wire)}`);
      console.log(`${command}, dp3 ${command}:${' '.repeat(27 - command.length * 2)}${ms(r.cli.total)}, ` +
                  `on the wire ${ms(r.cli.wire)}`);
      console.log(`${command}: page / command line ${(r.page.total / r.cli.total).toFixed(3)} in all, ` +
                  `${(r.page.wire / r.cli.wire).toFixed(3)} on the wire (goal: at most 1.05)`);
    }
  } finally {
    await browser.close();
    site.close();
  }
})();
