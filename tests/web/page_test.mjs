// The game in its web page, in Debian's chromium (headless, driven by puppeteer-core): the page
// loads, the title shows its peach frame, SPACE starts a game whose status bar bands and wall
// bricks show in the right colours, the page's sound starts with that key press, and nothing
// fails on the way. The pixels are read from screenshots of the page, so the colours checked are
// the ones a player sees, after the conversion to the page's channel order and the page's scale.
// usage: node page_test.mjs PAGE_DIR [SCREENSHOT_DIR]
import puppeteer from 'puppeteer-core';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from '../../tools/serve.mjs';

const [pageDir, shotDir = null] = process.argv.slice(2);
const CHROMIUM = process.env.KROMBLIX_CHROMIUM ?? '/usr/bin/chromium';
const PEACH = 'ffcfa6';
const problems = [];
const fail = (text) => problems.push(text);

const server = await serve(pageDir);
const userDataDir = mkdtempSync(join(tmpdir(), 'kromblix-chromium-'));
const browser = await puppeteer.launch({
  executablePath: CHROMIUM,
  headless: true,
  userDataDir,
  args: ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});

try {
  const page = await browser.newPage();
  await page.setViewport({ width: 900, height: 900 });
  page.on('pageerror', (e) => fail(`page error: ${e.message}`));
  page.on('console', (m) => {
    if (/Couldn't set|Unable to|error|abort/i.test(m.text())) fail(`page says: ${m.text()}`);
  });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);

  // One pixel of the canvas as rrggbb, as the game last presented it.
  const canvasPixel = (x, y) => page.evaluate((x, y) => {
    const [r, g, b] = document.getElementById('canvas').getContext('2d').getImageData(x, y, 1, 1).data;
    return ((r << 16) | (g << 8) | b).toString(16).padStart(6, '0');
  }, x, y);
  const waitFor = async (what, x, y, colour) => {
    for (const end = Date.now() + 30000; Date.now() < end; await new Promise((r) => setTimeout(r, 100)))
      if ((await canvasPixel(x, y)) === colour) return;
    throw new Error(`${what}: canvas pixel (${x}, ${y}) is ${await canvasPixel(x, y)}, not ${colour} after 30 s`);
  };

  // A screenshot of the page, decoded by the browser; pixels are asked for in canvas coordinates.
  const screenshot = async (name) => {
    const png = Buffer.from(await page.screenshot({ type: 'png', path: shotDir ? join(shotDir, `${name}.png`) : undefined }));
    return async (points) => page.evaluate(async (b64, points) => {
      const canvas = document.getElementById('canvas').getBoundingClientRect();
      const scale = canvas.width / 800;
      const bitmap = await createImageBitmap(await (await fetch(`data:image/png;base64,${b64}`)).blob());
      const ctx = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
      ctx.drawImage(bitmap, 0, 0);
      return points.map(([x, y]) => {
        const [r, g, b] = ctx.getImageData(Math.floor(canvas.x + (x + 0.5) * scale), Math.floor(canvas.y + (y + 0.5) * scale), 1, 1).data;
        return ((r << 16) | (g << 8) | b).toString(16).padStart(6, '0');
      });
    }, png.toString('base64'), points);
  };
  const column = (x, y0, y1) => Array.from({ length: y1 - y0 + 1 }, (_, i) => [x, y0 + i]);

  // The title: a peach frame one pixel wide around the picture, x 79 and 719 from y 99 to 579.
  await waitFor('title', 79, 300, PEACH);
  const title = await screenshot('title');
  for (const x of [79, 719]) {
    const off = (await title(column(x, 99, 579))).filter((c) => c !== PEACH);
    if (off.length) fail(`title frame at x ${x}: ${off.length} pixels are not ${PEACH} (${off[0]}, ...)`);
  }
  const scale = await page.$eval('#canvas', (c) => c.getBoundingClientRect().width / 800);
  if (!Number.isInteger(scale) || scale < 1) fail(`the canvas is shown at scale ${scale}, not a whole number`);

  // SPACE starts cave 1: the status bar's pairs of rows from y 643, blue rising by 8 from 44 over
  // the band colour; the cave's corner is wall, brick at (2, 5) and mortar at (12, 5).
  await page.keyboard.press('Space');
  await waitFor('game', 430, 644, '621600');
  const game = await screenshot('game');
  const bands = Array.from({ length: 27 }, (_, k) => [(44 + 8 * k).toString(16).padStart(6, '0'), '621600']).flat();
  const seen = await game(column(430, 643, 696));
  if (seen.join(' ') !== bands.join(' ')) fail(`status bar bands at x 430: ${seen.join(' ')}`);
  const [brick, mortar] = await game([[2, 5], [12, 5]]);
  if (brick !== 'cccccc') fail(`wall brick at (2, 5) is ${brick}`);
  if (mortar !== '222222') fail(`wall mortar at (12, 5) is ${mortar}`);

  // Browsers hold sound back until the player acts: the key press has started it.
  const audio = await page.evaluate(() => (typeof SDL !== 'undefined' && SDL.audioContext ? SDL.audioContext.state : 'none'));
  if (audio !== 'running') fail(`the page's sound is ${audio} after the first key press`);
} catch (e) {
  fail(e.message);
} finally {
  await browser.close();
  server.close();
  rmSync(userDataDir, { recursive: true, force: true });
}

if (problems.length) {
  for (const p of problems) console.error(`FAIL ${p}`);
  process.exit(1);
}
console.log('page ok: title frame, status bar bands, wall brick and mortar, sound started by the first key');
