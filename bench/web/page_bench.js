// The page's figures: the module's size, first paint and WebAssembly start
// in headless Chromium, and Read through the page's Web Serial link (over the
// test relay) against `dp3 sim --realtime`, beside `dp3 read` on the same
// kind of keyer. Medians of several runs; the goal for Read is within 5% of
// the command line.
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

// Read DP in the page against a fresh `dp3 sim --realtime`, through the relay.
async function pageRead(browser, site) {
  const sim = await h.startSim(['--realtime']);
  const relay = await h.startRelay(sim.path);
  const page = await h.openPage(browser, site.url, {relay});
  try {
    await h.chooseRelayPort(page);
    await page.check('#trace');
    const read = await h.runCommand(page, '#read');
    if (!read.same) throw new Error('the page did not read the keyer');
    return {total: read.ms, wire: wireTime(await page.evaluate(() => window.dp3Page.traceText()))};
  } finally {
    await page.closeAll();
    await relay.close();
    await sim.stop();
  }
}

// `dp3 read` against a fresh `dp3 sim --realtime`: the process's whole run.
async function commandLineRead(home) {
  const env = {XDG_DATA_HOME: home, XDG_CONFIG_HOME: home, HOME: home};
  const sim = await h.startSim(['--realtime']);
  try {
    const trace = path.join(home, 'bench.trace');
    const start = process.hrtime.bigint();
    const read = await h.runDp3(['--port', sim.path, '--trace', trace, 'read',
                                 path.join(home, 'bench.eep')], env);
    const total = Number(process.hrtime.bigint() - start) / 1e6;
    if (read.code !== 0) throw new Error('dp3 read: ' + read.stderr);
    return {total, wire: wireTime(fs.readFileSync(trace, 'utf8'))};
  } finally {
    await sim.stop();
  }
}

// Taken in turns, so both meet the same load on a shared machine.
async function reads(browser, site) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'dp3-bench-'));
  const page = [];
  const cli = [];
  for (let i = 0; i < runs; ++i) {
    page.push(await pageRead(browser, site));
    cli.push(await commandLineRead(home));
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
    const read = await reads(browser, site);
    // The page's whole Read includes the relay's open of the terminal; dp3's
    // whole run includes starting the program. The wire part is the line's alone.
    console.log(`Read, page via Web Serial and the relay: ${ms(read.page.total)}, ` +
                `on the wire ${ms(read.page.wire)}`);
    console.log(`Read, dp3 read:                          ${ms(read.cli.total)}, ` +
                `on the wire ${ms(read.cli.wire)}`);
    console.log(`page / command line: ${(read.page.total / read.cli.total).toFixed(3)} in all, ` +
                `${(read.page.wire / read.cli.wire).toFixed(3)} on the wire (goal: at most 1.05)`);
  } finally {
    await browser.close();
    site.close();
  }
})();
