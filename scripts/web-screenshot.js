// docs/web-page.png: the page in Debian's headless Chromium after Test DP and
// Read DP on its simulated keyer.
//   node scripts/web-screenshot.js      (after cmake --build build-web)
'use strict';

const path = require('path');
const h = require('../tests/web/harness');

(async () => {
  const site = await h.serveSite();
  const browser = await h.launchBrowser();
  try {
    const page = await h.openPage(browser, site.url);
    await page.setViewportSize({width: 1280, height: 800});
    await h.press(page, 1001, 4011);
    await h.press(page, 1001, 4013);
    await page.waitForTimeout(600);  // the window's timer shows bytes left and durations
    await page.screenshot({path: path.join(h.sourceDir, 'docs/web-page.png'), fullPage: true});
    await page.closeAll();
  } finally {
    await browser.close();
    site.close();
  }
})();
