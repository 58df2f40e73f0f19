// The game's web page on a phone, in Debian's chromium (headless, driven by puppeteer-core) at a
// phone's size with touch, served from a sub-folder of the site as a host would put the bundle:
// - upright and on its side, the canvas and the controls fit the screen without scrolling, and
//   the keys table is hidden;
// - tapping Space starts a game and holding Right moves the player (the canvas's pixels show
//   it); a finger slides over the pad from one arrow to the next, and P is tapped while an arrow
//   is held;
// - a hidden tab pauses the game;
// - the score of a finished game survives a reload, from the browser's storage;
// - a browser that refuses the storage gets a note on the page, and the game still plays, there
//   with a gamepad (the browser's own made to report one).
// Prints the time from loading the page to the title's first frame (a figure, not checked).
// usage: node phone_test.mjs PAGE_DIR [SCREENSHOT_DIR]
import puppeteer from 'puppeteer-core';
import { mkdtempSync, rmSync, symlinkSync, mkdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { serve } from '../../tools/serve.mjs';

const [pageDir, shotDir = null] = process.argv.slice(2);
const CHROMIUM = process.env.KROMBLIX_CHROMIUM ?? '/usr/bin/chromium';
const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
const SCORES = '/home/web_user/.local/share/kromblix/scores';
const problems = [];
const fail = (text) => problems.push(text);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The page in a sub-folder of the site, reached by relative addresses only.
const site = mkdtempSync(join(tmpdir(), 'kromblix-site-'));
mkdirSync(join(site, 'games'));
symlinkSync(resolve(pageDir), join(site, 'games', 'kromblix'));
const server = await serve(site);
const url = `http://127.0.0.1:${server.address().port}/games/kromblix/`;
const userDataDir = mkdtempSync(join(tmpdir(), 'kromblix-chromium-'));
const browser = await puppeteer.launch({
  executablePath: CHROMIUM,
  headless: true,
  userDataDir,
  args: ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});

// A page at a phone's size that reports what goes wrong in it.
async function phonePage(context = browser) {
  const page = await context.newPage();
  await page.setViewport(PHONE);
  page.on('pageerror', (e) => fail(`page error: ${e.message}`));
  page.on('console', (m) => {
    if (/Couldn't set|Unable to|error|abort/i.test(m.text())) fail(`page says: ${m.text()}`);
  });
  return page;
}

// The canvas's pixels as the game last presented them, in its own 800 by 700 coordinates.
const pixel = (page, x, y) => page.evaluate((x, y) => {
  const [r, g, b] = document.getElementById('canvas').getContext('2d').getImageData(x, y, 1, 1).data;
  return ((r << 16) | (g << 8) | b).toString(16).padStart(6, '0');
}, x, y);
// One number for each 32-pixel cell of the cave's row y, cells x0 to x1: what the cell shows.
const cells = (page, y, x0, x1) => page.evaluate((y, x0, x1) => {
  const data = document.getElementById('canvas').getContext('2d').getImageData(x0 * 32, y * 32, (x1 - x0 + 1) * 32, 32).data;
  const sums = [];
  for (let c = 0; c <= x1 - x0; ++c) {
    let sum = 0;
    for (let py = 0; py < 32; ++py)
      for (let px = 0; px < 32; ++px) {
        const i = (py * (x1 - x0 + 1) * 32 + c * 32 + px) * 4;
        sum = (sum * 31 + data[i] * 65536 + data[i + 1] * 256 + data[i + 2]) % 1000000007;
      }
    sums.push(sum);
  }
  return sums;
}, y, x0, x1);
async function waitUntil(what, test, ms = 30000) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(100)) if (await test()) return;
  throw new Error(`${what}: not within ${ms / 1000} s`);
}
// The title's peach frame; the status bar's band at x 430 in a game (darker while paused).
const PEACH = 'ffcfa6', BAND = '621600';
const onTitle = async (page) => (await pixel(page, 79, 300)) === PEACH;
const inGame = async (page) => (await pixel(page, 430, 644)) === BAND;
const paused = async (page) => {
  const p = parseInt(await pixel(page, 430, 644), 16);
  return p !== 0x621600 && (p >> 16) > 0 && (p >> 16) < 0x40;
};

// The centre of a control, by its label.
async function centre(page, label) {
  const box = await (await page.$(`[aria-label="${label}"]`)).boundingBox();
  return [box.x + box.width / 2, box.y + box.height / 2];
}
async function tap(page, label) {
  const [x, y] = await centre(page, label);
  await page.touchscreen.tap(x, y);
}

// Everything shows inside the screen, with nothing to scroll to either way.
async function checkFit(page, how) {
  const seen = await page.evaluate(() => {
    const inside = (r) => r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight && r.width > 0;
    const out = { width: innerWidth, height: innerHeight, scrollW: document.documentElement.scrollWidth,
                  scrollH: document.documentElement.scrollHeight, outside: [] };
    for (const el of [document.getElementById('canvas'), ...document.querySelectorAll('[aria-label]')])
      if (!inside(el.getBoundingClientRect())) out.outside.push(el.id || el.getAttribute('aria-label'));
    out.canvas = document.getElementById('canvas').getBoundingClientRect().width;
    out.keysShown = document.getElementById('keys').offsetParent !== null;
    return out;
  });
  if (seen.outside.length) fail(`${how}: outside the ${seen.width} by ${seen.height} screen: ${seen.outside.join(', ')}`);
  if (seen.scrollW > seen.width || seen.scrollH > seen.height)
    fail(`${how}: the page scrolls (${seen.scrollW} by ${seen.scrollH} in ${seen.width} by ${seen.height})`);
  if (seen.canvas < Math.min(seen.width, seen.height) * 0.9)
    fail(`${how}: the canvas is only ${seen.canvas} pixels wide`);
  if (seen.keysShown) fail(`${how}: the keys table shows on a touch screen`);
}

try {
  const page = await phonePage();
  await page.goto(url);
  await waitUntil('the title', () => onTitle(page));
  const firstFrame = await page.evaluate(() => performance.getEntriesByName('kromblix-first-frame')[0]?.startTime);
  console.log(`the title's first frame showed ${Math.round(firstFrame)} ms after the page began to load`);
  if (shotDir) await page.screenshot({ path: join(shotDir, 'phone-title.png') });
  await checkFit(page, 'upright');
  const labels = await page.$$eval('[aria-label]', (els) => els.map((e) => e.getAttribute('aria-label')));
  for (const label of ['Up', 'Down', 'Left', 'Right', 'Space', 'Escape', 'P'])
    if (!labels.includes(label)) fail(`no control labelled ${label}`);
  await page.setViewport({ ...PHONE, width: PHONE.height, height: PHONE.width });
  await sleep(300);
  await checkFit(page, 'on its side');
  await page.setViewport(PHONE);
  await sleep(300);

  // Space starts cave 1; the first touch has started the sound.
  await tap(page, 'Space');
  await waitUntil('a game after tapping Space', () => inGame(page), 10000);
  const audio = await page.evaluate(() => (typeof SDL !== 'undefined' && SDL.audioContext ? SDL.audioContext.state : 'none'));
  if (audio !== 'running') fail(`the page's sound is ${audio} after the first touch`);

  // The player starts in the top left cell, (1, 1), with dirt to its right as far as cell 11.
  const before = await cells(page, 1, 1, 11);
  const finger = await page.touchscreen.touchStart(...(await centre(page, 'Right')));
  await sleep(600);
  const after = await cells(page, 1, 1, 11);
  const moved = after.slice(1).some((c, i) => c !== before[i + 1]);
  if (after[0] === before[0] || !moved) fail('holding Right did not move the player along the top row');
  if (shotDir) await page.screenshot({ path: join(shotDir, 'phone-game.png') });

  // The finger slides to Left, back to the start, then down to Down: column 1 leads to the
  // diamond at its foot. P tapped by a second finger pauses the game with Down still held.
  await finger.move(...(await centre(page, 'Left')));
  await sleep(1500);
  await finger.move(...(await centre(page, 'Down')));
  await sleep(500);
  await tap(page, 'P');
  await waitUntil('the pause after tapping P with Down held', () => paused(page), 5000);
  await tap(page, 'P');
  await waitUntil('the game going on after P', () => inGame(page), 5000);
  await sleep(2500);
  await finger.end();

  // A hidden tab pauses the game.
  const other = await browser.newPage();
  await other.bringToFront();
  await waitUntil('the tab hidden', async () => (await page.evaluate(() => document.visibilityState)) === 'hidden', 5000);
  await sleep(500);
  await page.bringToFront();
  await waitUntil('the pause of a hidden tab', () => paused(page), 5000);
  await other.close();
  await tap(page, 'P');
  await waitUntil('the game going on after P', () => inGame(page), 5000);

  // Ten times Escape gives up ten lives: the game is over, its score is kept.
  for (let i = 0; i < 10; ++i) {
    await tap(page, 'Escape');
    await sleep(50);
  }
  await waitUntil('the title after the game', () => onTitle(page));
  const kept = () => page.evaluate((path) => new Promise((done) => {
    const open = indexedDB.open(path.slice(0, path.lastIndexOf('/')));
    open.onerror = () => done(false);
    open.onsuccess = () => {
      const get = open.result.transaction(['FILE_DATA']).objectStore('FILE_DATA').get(path);
      get.onsuccess = () => done(get.result !== undefined);
      get.onerror = () => done(false);
    };
  }), SCORES);
  await waitUntil('the scores in the browser\'s storage', kept, 10000);

  // After a reload the scores come back from the browser's storage before the game reads them.
  await page.reload();
  await waitUntil('the title after reloading', () => onTitle(page));
  const scores = await page.evaluate((path) => {
    try { return new TextDecoder().decode(FS.readFile(path)); } catch (e) { return `none (${e})`; }
  }, SCORES);
  const best = scores.split('\n').find((line) => /^\d+ \d+ \d{4}-\d\d-\d\d$/.test(line));
  if (!best || Number(best.split(' ')[0]) <= 0) fail(`after a reload the best scores are: ${scores}`);
  await page.close();

  // A browser that refuses the storage: the page says so, and the game plays all the same.
  const refusing = await browser.createBrowserContext();
  const refused = await phonePage(refusing);
  await refused.evaluateOnNewDocument(() => {
    IDBFactory.prototype.open = () => { throw new DOMException('storage refused for this test', 'SecurityError'); };
    // A gamepad in the browser's standard layout, which the test presses.
    window.testPad = { id: 'test pad', index: 0, connected: true, mapping: 'standard', timestamp: 0, axes: [0, 0, 0, 0],
                       buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) };
    navigator.getGamepads = () => [window.testPad];
  });
  await refused.goto(url);
  await waitUntil('the title without storage', () => onTitle(refused));
  const note = await refused.$eval('#notice', (n) => n.textContent);
  if (!/does not keep the best scores/.test(note)) fail(`without storage the page's note is "${note}"`);
  await checkFit(refused, 'with the storage note');

  // There a gamepad plays: its first button is SPACE, its d-pad the arrows.
  const button = (b, pressed) => refused.evaluate((b, pressed) => {
    testPad.buttons[b] = { pressed, value: pressed ? 1 : 0 };
    testPad.timestamp = performance.now();
  }, b, pressed);
  // A gamepad is read when the game looks: the button stays down until it has.
  await button(0, true);
  await waitUntil('a game started by the gamepad', () => inGame(refused), 10000);
  await button(0, false);
  const padBefore = await cells(refused, 1, 1, 11);
  await button(15, true);
  await sleep(600);
  await button(15, false);
  const padAfter = await cells(refused, 1, 1, 11);
  if (padAfter[0] === padBefore[0] || !padAfter.slice(1).some((c, i) => c !== padBefore[i + 1]))
    fail("the gamepad's d-pad right did not move the player");
  await refusing.close();
} catch (e) {
  fail(e.message);
} finally {
  await browser.close();
  server.close();
  rmSync(userDataDir, { recursive: true, force: true });
  rmSync(site, { recursive: true, force: true });
}

if (problems.length) {
  for (const p of problems) console.error(`FAIL ${p}`);
  process.exit(1);
}
console.log('phone page ok: fits upright and on its side, touch controls move the player, hidden tab pauses, ' +
            'scores survive a reload, refused storage is reported');
