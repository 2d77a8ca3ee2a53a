// The browser test: Debian's chromium, headless, driven by puppeteer-core,
// against the pages served from the web build. Checks that every tape
// replays in the browser to the native replay's very report, that the
// browser draws the native renderer's pictures, that real key events play
// from the intro through the map into level 1 and on to level 2, that the
// sound runs after the first key, that the progress survives a reload, and
// that a link plays a shared level on its own (and a damaged one says so).
// Run by scripts/test-web, which makes the native references (manifest.json).
// Usage: node browser-test.js URL WORK_DIR
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [base, work] = process.argv.slice(2);
const manifest = JSON.parse(fs.readFileSync(path.join(work, 'manifest.json'), 'utf8'));
const started = Date.now();
const failures = [];
const log = (text) => console.log(`[web ${String(Math.round((Date.now() - started) / 1000)).padStart(3)}s] ${text}`);
const check = (ok, text) => {
  log(`${ok ? 'ok  ' : 'FAIL'} ${text}`);
  if (!ok) failures.push(text);
  return ok;
};
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const reference = (name) => 'data:image/png;base64,' + fs.readFileSync(path.join(work, name)).toString('base64');

// Parts of the 640x480 picture: the map's path row (where the player walks
// to the doors), and the map without its pool, whose water moves with the
// clock (the renders draw it at one fixed moment).
const PATH_ROW = [[0, 32, 640, 64]];
const MAP_BUT_WATER = [[0, 0, 640, 320], [0, 384, 640, 96]];
const WHOLE = [[0, 0, 640, 480]];

// In the page: how the canvas differs from a PNG (as a data URL) within the
// regions: pixels differing at all, pixels differing by more than `clear` in
// a channel, and the largest channel difference.
async function compareCanvas(page, png, regions = WHOLE, clear = 30) {
  return page.evaluate(async (png, regions, clear) => {
    const image = new Image();
    image.src = png;
    await image.decode();
    const scratch = document.createElement('canvas');
    scratch.width = image.width;
    scratch.height = image.height;
    const context = scratch.getContext('2d');
    context.drawImage(image, 0, 0);
    const want = context.getImageData(0, 0, image.width, image.height).data;
    const canvas = document.getElementById('canvas');
    const have = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    if (have.length !== want.length) return { differing: -1, clear: -1, largest: 255 };
    let differing = 0, clearly = 0, largest = 0;
    for (const [x0, y0, w, h] of regions) {
      for (let y = y0; y < y0 + h; y++) {
        for (let x = x0; x < x0 + w; x++) {
          const i = (y * canvas.width + x) * 4;
          const d = Math.max(Math.abs(have[i] - want[i]), Math.abs(have[i + 1] - want[i + 1]), Math.abs(have[i + 2] - want[i + 2]));
          if (d) differing++;
          if (d > clear) clearly++;
          if (d > largest) largest = d;
        }
      }
    }
    return { differing, clear: clearly, largest };
  }, png, regions, clear);
}

// Waits until the canvas is within `limit` clearly differing pixels of the
// reference; the last comparison either way.
async function waitForPicture(page, png, limit, ms, regions = WHOLE) {
  const end = Date.now() + ms;
  let last;
  do {
    last = await compareCanvas(page, png, regions);
    if (last.clear >= 0 && last.clear <= limit) return { ...last, shown: true };
    await sleep(250);
  } while (Date.now() < end);
  return { ...last, shown: false };
}

async function hold(page, key, ms) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
}

async function replays(browser) {
  const page = await browser.newPage();
  await page.goto(`${base}/vorrel-web-replay.html`);
  await page.waitForFunction(() => typeof Module !== 'undefined' && Module.calledRun, { timeout: 30000 });
  let same = 0;
  const replaysStarted = Date.now();
  for (const tape of manifest.tapes) {
    const report = await page.evaluate((t) => Module.ccall('webReplay', 'string',
      ['string', 'string', 'string', 'number', 'number'], [t.data, t.level, t.tape, t.select, t.page]), tape);
    if (process.env.WEB_VERBOSE) log(`${tape.name}: ${report.split('\n')[0]}`);
    if (report === tape.expected) same++;
    else check(false, `${tape.name}: the browser's replay differs:\n${report}--- native:\n${tape.expected}`);
  }
  check(same === manifest.tapes.length, `${same} of ${manifest.tapes.length} tapes replay in the browser to the native report (${Date.now() - replaysStarted} ms)`);
  for (const picture of manifest.pictures) {
    const answer = await page.evaluate((p) => Module.ccall('webRender', 'string',
      ['string', 'string', 'string', 'number', 'number'], ['/data', p.level, '', p.select, 0]), picture);
    const d = await compareCanvas(page, reference(picture.png));
    check(answer === 'ok\n' && d.differing === 0,
      `${picture.png}: the browser draws the native render exactly (${d.differing} pixels differ)`);
  }
  await page.close();
}

// The page as a player meets it: loads, waits for a key, plays.
async function openGame(browser, label) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 660 });
  page.on('pageerror', (error) => check(false, `${label}: page error ${error.message}`));
  page.on('request', (request) => {
    if (!request.url().startsWith(base) && !request.url().startsWith('data:')) check(false, `${label}: outside request ${request.url()}`);
  });
  const opened = Date.now();
  await page.goto(`${base}/vorrel.html`);
  await page.waitForFunction(() => Module.ready, { timeout: 30000 });
  const ready = Date.now() - opened;
  await page.evaluate(() => {
    window.frameTimes = [];
    Module.onFrame = () => window.frameTimes.push(performance.now());
  });
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.frameTimes.length > 0, { timeout: 10000 });
  const firstFrame = Date.now() - opened;
  return { page, ready, firstFrame };
}

// Through the intro and the title with Space until the map shows.
async function toMap(page, map) {
  const end = Date.now() + 40000;
  while (Date.now() < end) {
    const d = await compareCanvas(page, map, PATH_ROW);
    if (d.clear >= 0 && d.clear <= manifest.tolerance.path) return d;
    await hold(page, 'Space', 150);
    await sleep(1500);
  }
  return null;
}

async function play(browser) {
  const { page, ready, firstFrame } = await openGame(browser, 'first visit');
  log(`data loaded after ${ready} ms; the intro's first frame ${firstFrame} ms after the page was opened`);
  check(firstFrame < 3000, `the intro's first frame within 3 s of opening the page (${firstFrame} ms)`);
  await sleep(1000);
  const audio = await page.evaluate(() => Module.audioState());
  await sleep(500);
  const later = await page.evaluate(() => Module.audioState());
  check(audio.context === 'running' && audio.music && later.time > audio.time,
    `sound started with the first key and plays (${JSON.stringify(later)})`);
  const fresh = await page.evaluate(() => new TextDecoder().decode(FS.readFile('/data/level/main/progress.wp')));
  check(fresh === '1', `a new player starts with door 1 open (progress '${fresh}')`);

  const map = await toMap(page, reference('map0.png'));
  if (!check(map !== null, 'the map shows after the intro and the title')) return page;
  await sleep(600);
  const start = await compareCanvas(page, reference('map0.png'), MAP_BUT_WATER);
  log(`map (but its pool) against the native render: ${start.differing} pixels differ, ${start.clear} by more than 30, largest ${start.largest}`);
  check(start.clear <= manifest.tolerance.map, `the map matches the native render within ${manifest.tolerance.map} pixels`);
  await page.screenshot({ path: path.join(work, 'browser-map.png') });

  // Three cells right to door 1, a short hold each, checked by the path row.
  let at = 0;
  for (let tries = 0; at < 3 && tries < 12; tries++) {
    await hold(page, 'ArrowRight', 200);
    await sleep(900);
    for (const k of [0, 1, 2, 3, 4, 5]) {
      const d = await compareCanvas(page, reference(`map${k}.png`), PATH_ROW);
      if (d.clear >= 0 && d.clear <= manifest.tolerance.path) at = k;
    }
  }
  if (!check(at === 3, `walked the map to door 1 with held keys (at cell ${at})`)) return page;
  await hold(page, 'Space', 300);
  let level1 = await waitForPicture(page, reference('level1.png'), manifest.tolerance.level, 15000);
  await sleep(1500);  // past the end of the fade
  if (level1.shown) level1 = await compareCanvas(page, reference('level1.png'));
  check(level1.clear >= 0 && level1.clear <= manifest.tolerance.level,
    `level 1 after its start fade matches the native render within ${manifest.tolerance.level} pixels (${level1.differing} differ, ${level1.clear} by more than 30)`);
  await page.screenshot({ path: path.join(work, 'browser-level1.png') });

  // Played through as the desktop test plays it; the frames of the walk give the frame time.
  const before = await page.evaluate(() => window.frameTimes.length);
  await hold(page, 'ArrowLeft', 1200);
  await hold(page, 'ArrowRight', 9000);
  const frameTimes = await page.evaluate((from) => window.frameTimes.slice(from), before);
  const gaps = frameTimes.slice(1).map((t, i) => t - frameTimes[i]).sort((a, b) => a - b);
  const median = gaps[Math.floor(gaps.length / 2)] || 0;
  log(`frame interval while playing: median ${median.toFixed(1)} ms, 90th percentile ${(gaps[Math.floor(gaps.length * 0.9)] || 0).toFixed(1)} ms over ${gaps.length} frames`);
  fs.writeFileSync(path.join(work, 'frames.json'), JSON.stringify({ median, ready, firstFrame, gaps }));
  check(median > 15 && median < 30, `frames at the 20 ms pace (median ${median.toFixed(1)} ms)`);
  const level2 = await waitForPicture(page, reference('level2.png'), manifest.tolerance.level, 15000);
  check(level2.shown, 'level 1 played through to level 2');
  // Escape leads back to the map, which writes the progress.
  await hold(page, 'Escape', 300);
  await page.waitForFunction(() => FS.analyzePath('/save/progress.wp').exists, { timeout: 10000 }).catch(() => {});
  await sleep(500);
  const kept = await page.evaluate(() =>
    FS.analyzePath('/save/progress.wp').exists ? new TextDecoder().decode(FS.readFile('/save/progress.wp')) : 'nothing');
  check(kept === '2', `the progress went to the browser's storage (kept '${kept}')`);
  return page;
}

// A level shared by its link, not in the campaign: won with real key events,
// then played again and left, then the campaign chosen; the progress stays.
// A damaged link says so in one line instead of starting.
async function sharedLevel(browser) {
  const page = await browser.newPage();
  const lines = [];
  page.on('console', (message) => lines.push(message.text()));
  page.on('pageerror', (error) => check(false, `shared level: page error ${error.message}`));
  await page.goto(`${base}/vorrel.html#play=${manifest.shared}`);
  await page.waitForFunction(() => Module.ready, { timeout: 30000 });
  const offer = await page.$eval('#status', (e) => e.textContent);
  check(offer === 'A shared level: click or press a key to play', `the link's page offers the shared level ('${offer}')`);
  await page.keyboard.press('Enter');
  const until = async (line, ms) => {
    const end = Date.now() + ms;
    while (!lines.includes(line) && Date.now() < end) await hold(page, 'ArrowRight', 300);
    return lines.includes(line);
  };
  check(await until('Shared level won.', 20000), 'the shared level is won with real key events');
  const choices = await page.waitForFunction(() => document.getElementById('choices').style.display === 'block',
    { timeout: 5000 }).then(() => true, () => false);
  const watch = await page.$eval('#watch', (e) => e.style.display !== 'none');
  check(choices && watch, 'after the win the page offers to play again, watch the solution, or go to the campaign');
  const progress = await page.evaluate(() => new TextDecoder().decode(FS.readFile('/data/level/main/progress.wp')));
  check(progress === '1', `the shared level leaves the campaign progress alone ('${progress}')`);
  await page.keyboard.press('Space');
  // The game reads held keys once a pass, after the start fade.
  const end = Date.now() + 10000;
  while (!lines.includes('Shared level left.') && Date.now() < end) await hold(page, 'Escape', 200);
  const left = await page.waitForFunction(() => document.getElementById('choices').style.display === 'block',
    { timeout: 5000 }).then(() => true, () => false);
  check(left && lines.includes('Shared level left.'), 'played again, Escape leaves it for the choices');
  await page.keyboard.press('c');
  await sleep(500);
  const campaign = await page.evaluate(() => window.location.hash === '' &&
    document.getElementById('cover').style.display === 'none');
  check(campaign, 'going to the campaign drops the level from the address');
  await page.close();

  const code = manifest.shared;
  const i = code.length >> 1;
  const damaged = code.slice(0, i) + (code[i] === 'A' ? 'B' : 'A') + code.slice(i + 1);
  const broken = await browser.newPage();
  await broken.goto(`${base}/vorrel.html#play=${damaged}`);
  const said = await broken.waitForFunction(() => /damaged/.test(document.getElementById('status').textContent),
    { timeout: 30000 }).then(() => true, () => false);
  const shown = await broken.evaluate(() => ({ line: document.getElementById('status').textContent,
    bar: getComputedStyle(document.getElementById('bar')).display }));
  check(said && shown.bar === 'none', `a damaged link says so on the page: '${shown.line}'`);
  await broken.keyboard.press('Enter');
  await sleep(500);
  const idle = await broken.evaluate(() => document.getElementById('cover').style.display !== 'none');
  check(idle, 'a damaged link does not start the game');
  await broken.close();
}

async function reload(browser, first) {
  await first.close();
  const { page } = await openGame(browser, 'second visit');
  const progress = await page.evaluate(() => new TextDecoder().decode(FS.readFile('/data/level/main/progress.wp')));
  check(progress === '2', `after a reload the game reads the kept progress ('${progress}')`);
  const map = await toMap(page, reference('map0-two.png'));
  check(map !== null, 'after a reload the map shows doors 1 and 2 open');
  await page.close();
}

(async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vorrel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', '--window-size=800,700'],
  });
  try {
    await replays(browser);
    await sharedLevel(browser);
    const page = await play(browser);
    await reload(browser, page);
  } catch (error) {
    check(false, `the test stopped: ${error.stack || error}`);
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  log(failures.length ? `${failures.length} failed` : 'all passed');
  process.exit(failures.length ? 1 : 0);
})();
