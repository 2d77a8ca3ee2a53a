// The browser test: Debian's chromium, headless, driven by puppeteer-core,
// against the pages served from the web build. Checks that every tape
// replays in the browser to the native replay's very report, that the
// browser draws the native renderer's pictures, that real key events play
// from the intro through the map into level 1 and on to level 2, that the
// sound runs after the first key, that the progress survives a reload, and
// that a link plays a shared level on its own (and a damaged one says so).
// Then the page itself: it fits windows from 480 x 360 to 1920 x 1080 and a
// phone (its touch controls beside or below the picture, upright and on its
// side), a phone plays from the title into level 1 and wins it with touches
// alone, asks level 2 for the hint and takes two walks back with a held U,
// a hidden tab pauses, another tab's higher progress stays, the files
// are loaded by their content hash, the loading bar counts, a normal start
// warns of nothing, and a page opened from disk says to serve it. Last, the
// level editor's page (edit-test.js).
// Run by scripts/test-web, which makes the native references (manifest.json).
// Usage: node browser-test.js URL WORK_DIR WEB_BUILD_DIR
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const editorTest = require('./edit-test.js');

const [base, work, webDir] = process.argv.slice(2);
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
const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1 };

// Opens the page as a player meets it; its warnings, requests and loading
// texts are kept in `seen`.
async function openPage(browser, label, viewport) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const seen = { warnings: [], urls: [] };
  page.on('pageerror', (error) => check(false, `${label}: page error ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'warning' || message.type() === 'error') seen.warnings.push(message.text());
  });
  page.on('request', (request) => {
    seen.urls.push(request.url());
    if (!request.url().startsWith(base) && !request.url().startsWith('data:')) check(false, `${label}: outside request ${request.url()}`);
  });
  await page.evaluateOnNewDocument(() => {
    window.statusTexts = [];
    document.addEventListener('DOMContentLoaded', () => {
      const line = document.getElementById('status');
      new MutationObserver(() => window.statusTexts.push(line.textContent))
        .observe(line, { childList: true, characterData: true, subtree: true });
    });
  });
  await page.goto(`${base}/vorrel.html`);
  await page.waitForFunction(() => Module.ready, { timeout: 30000 });
  await page.evaluate(() => {
    window.frameTimes = [];
    Module.onFrame = () => window.frameTimes.push(performance.now());
  });
  return { page, seen };
}

async function openGame(browser, label) {
  const opened = Date.now();
  const { page, seen } = await openPage(browser, label, { width: 800, height: 660 });
  const ready = Date.now() - opened;
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.frameTimes.length > 0, { timeout: 10000 });
  const firstFrame = Date.now() - opened;
  return { page, ready, firstFrame, seen };
}

// Through the intro and the title with Space until the map shows.
async function toMap(page, map, press = (p) => hold(p, 'Space', 150)) {
  const end = Date.now() + 40000;
  while (Date.now() < end) {
    const d = await compareCanvas(page, map, PATH_ROW);
    if (d.clear >= 0 && d.clear <= manifest.tolerance.path) return d;
    await press(page);
    await sleep(1500);
  }
  return null;
}

// Three cells right to door 1, a short step each, checked by the path row;
// the cell the player stands at.
async function walkToDoor1(page, step) {
  let at = 0;
  for (let tries = 0; at < 3 && tries < 12; tries++) {
    await step();
    await sleep(900);
    for (const k of [0, 1, 2, 3, 4, 5]) {
      const d = await compareCanvas(page, reference(`map${k}.png`), PATH_ROW);
      if (d.clear >= 0 && d.clear <= manifest.tolerance.path) at = k;
    }
  }
  return at;
}

async function play(browser) {
  const { page, ready, firstFrame, seen } = await openGame(browser, 'first visit');
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
  check(seen.warnings.length === 0, `a normal start warns of nothing (${JSON.stringify(seen.warnings)})`);
  const hashed = ['vorrel.js', 'vorrel.wasm', 'vorrel.data'].filter((name) =>
    seen.urls.some((url) => new RegExp(`/${name.replace('.', '\\.')}\\?v=[0-9a-f]{16}$`).test(url)));
  check(hashed.length === 3, `the game's files are loaded by their content hash (${hashed.join(', ')})`);
  const counted = await page.evaluate(() => window.statusTexts.filter((t) => /^Loading… [0-9.]+ of [0-9.]+ MB$/.test(t)));
  check(counted.length > 0, `the loading bar says how much of how much ('${counted[counted.length - 1] || ''}')`);
  const extra = await page.evaluate(() => ['/data/level/main/tapes', '/data/level/test', '/data/level/example']
    .filter((p) => FS.analyzePath(p).exists));
  check(extra.length === 0, `no solutions or test levels in the game's download (${extra.join(', ')})`);

  const map = await toMap(page, reference('map0.png'));
  if (!check(map !== null, 'the map shows after the intro and the title')) return page;
  await sleep(600);
  const start = await compareCanvas(page, reference('map0.png'), MAP_BUT_WATER);
  log(`map (but its pool) against the native render: ${start.differing} pixels differ, ${start.clear} by more than 30, largest ${start.largest}`);
  check(start.clear <= manifest.tolerance.map, `the map matches the native render within ${manifest.tolerance.map} pixels`);
  await page.screenshot({ path: path.join(work, 'browser-map.png') });

  const at = await walkToDoor1(page, () => hold(page, 'ArrowRight', 200));
  if (!check(at === 3, `walked the map to door 1 with held keys (at cell ${at})`)) return page;
  await hold(page, 'Space', 300);
  let level1 = await waitForPicture(page, reference('level1.png'), manifest.tolerance.level, 15000);
  await sleep(1500);  // past the end of the fade
  if (level1.shown) level1 = await compareCanvas(page, reference('level1.png'));
  check(level1.clear >= 0 && level1.clear <= manifest.tolerance.level,
    `level 1 after its start fade matches the native render within ${manifest.tolerance.level} pixels (${level1.differing} differ, ${level1.clear} by more than 30)`);
  await page.screenshot({ path: path.join(work, 'browser-level1.png') });

  // H: the hint's answer over the status bar while the level holds still;
  // Escape puts it away and the level plays on.
  await hold(page, 'KeyH', 150);
  const BAND = [[0, 416, 640, 64]];
  let asked;
  for (let i = 0; i < 12; i++) {
    await sleep(250);
    asked = await compareCanvas(page, reference('level1.png'), BAND);
    if (asked.clear >= 1000) break;
  }
  await page.screenshot({ path: path.join(work, 'browser-hint.png') });
  check(asked.clear >= 1000, `H shows the hint over the status bar (${asked.clear} of its pixels differ by more than 30)`);
  await hold(page, 'Escape', 300);
  await sleep(300);
  const after = await compareCanvas(page, reference('level1.png'));
  check(after.clear >= 0 && after.clear <= manifest.tolerance.level,
    `Escape puts the hint away and the level stays (${after.clear} pixels differ by more than 30)`);

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
  check(level2.shown, `level 1 played through to level 2 (${level2.differing} differ, ${level2.clear} by more than 30)`);
  if (!level2.shown) await page.screenshot({ path: path.join(work, 'browser-level2-missed.png') });
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
  // Alt+Enter is the page's own: full screen and back.
  const altEnter = async () => {
    await page.keyboard.down('Alt');
    await page.keyboard.press('Enter');
    await page.keyboard.up('Alt');
    await sleep(600);
    return page.evaluate(() => !!document.fullscreenElement);
  };
  const full = await altEnter();
  const back = await altEnter();
  check(full && !back, `Alt+Enter switches the page to full screen and back (${full}, ${back})`);
  await page.close();
}

// The picture wholly in the window at every size: the largest whole factor
// with crisp pixels, or scaled down with its shape kept.
async function fits(browser) {
  const sizes = [
    [{ width: 480, height: 360 }, 0], [{ width: 1280, height: 720 }, 1], [{ width: 1920, height: 1080 }, 2], [PHONE, 0],
    [{ ...PHONE, width: PHONE.height, height: PHONE.width }, 0]];
  for (const [viewport, factor] of sizes) {
    const label = `${viewport.width} x ${viewport.height}${viewport.hasTouch ? ' touch' : ''}`;
    const page = await browser.newPage();
    await page.setViewport(viewport);
    await page.goto(`${base}/vorrel.html`);
    const box = await page.evaluate(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      const controls = [...document.querySelectorAll('#touch [data-key]')].map((e) => e.getBoundingClientRect())
        .filter((c) => c.width > 0);
      return { x: r.x, y: r.y, w: r.width, h: r.height, vw: window.innerWidth, vh: window.innerHeight,
        crisp: getComputedStyle(document.getElementById('canvas')).imageRendering === 'pixelated',
        controls: controls.length,
        controlsInside: controls.every((c) => c.left >= 0 && c.top >= 0 && c.right <= window.innerWidth && c.bottom <= window.innerHeight),
        controlsClear: controls.every((c) => c.right <= r.left || c.left >= r.right || c.bottom <= r.top || c.top >= r.bottom) };
    });
    const inside = box.x >= 0 && box.y >= 0 && box.x + box.w <= box.vw + 0.5 && box.y + box.h <= box.vh + 0.5;
    const shape = factor ? box.w === 640 * factor && box.h === 480 * factor && box.crisp
      : box.w < 640 && Math.abs(box.w * 3 - box.h * 4) <= 4;
    check(inside && shape && box.vw === viewport.width,
      `${label}: the picture is wholly visible at ${factor ? `factor ${factor}, crisp` : 'a smaller size, its shape kept'} (${box.w} x ${box.h} at ${box.x},${box.y} in ${box.vw} x ${box.vh})`);
    await page.screenshot({ path: path.join(work, `browser-fit-${viewport.width}x${viewport.height}.png`) });
    if (viewport.hasTouch) check(box.controls === 11 && box.controlsInside && box.controlsClear,
      `${label}: the touch controls show, all on the screen and none over the picture`);
    else check(box.controls === 0, `${label}: no touch controls without touch`);
    await page.close();
  }
}

// A finger on a control for `ms`: the touch holds its key while it stays.
async function touch(page, key, ms) {
  const at = await page.evaluate((k) => {
    const r = document.querySelector(`#touch [data-key=${k}]`).getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
  }, key);
  const finger = await page.touchscreen.touchStart(at.x, at.y);
  await sleep(ms);
  await finger.end();
}

const heldKeys = (page) => page.evaluate(() => Object.keys(Module.touchKeys)
  .filter((k) => k !== 'state' && HEAP8[Module.touchKeys.state + Module.touchKeys[k]]).sort().join(' '));

// The hint's own yellow (its bar, the next action's marker) on the canvas.
const hintYellow = (page) => page.evaluate(() => {
  const canvas = document.getElementById('canvas');
  const d = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  let n = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i] === 255 && d[i + 1] === 214 && d[i + 2] === 64) n++;
  return n;
});

// At level 2's start: the H button shows the hint over the level and puts
// it away again; two walks right, then U held takes back both (a press and
// its repeat), so the level stands as it started.
async function hintAndUndoByTouch(page) {
  await sleep(1500);  // past the fade-in: a key held from before the play asks nothing
  const plain = await hintYellow(page);
  await touch(page, 'h', 300);
  let shown = plain;
  for (let i = 0; i < 50 && shown < plain + 100; i++) {
    await sleep(100);
    shown = await hintYellow(page);
  }
  await page.screenshot({ path: path.join(work, 'browser-phone-hint.png') });
  await touch(page, 'h', 300);
  await sleep(500);
  const away = await hintYellow(page);
  check(shown >= plain + 100 && away <= plain,
    `phone: the H button shows the hint and puts it away (hint yellow ${plain} → ${shown} → ${away} pixels)`);
  await touch(page, 'right', 250);
  await sleep(700);
  await touch(page, 'right', 250);
  await sleep(700);
  // The floor the player walks, below the torch's flicker.
  const floor = [[40, 350, 180, 34]];
  const walked = await compareCanvas(page, reference('level2.png'), floor);
  await touch(page, 'u', 1000);
  const back = await waitForPicture(page, reference('level2.png'), 40, 3000, floor);
  check(walked.clear > 200 && back.shown,
    `phone: U held by a finger takes back two walks (${walked.clear}, then ${back.clear} pixels of the floor differ from the start)`);
}

// A phone: from the title through the map into level 1, won with touches
// alone. Meanwhile another tab stores a higher door (3), which this tab's
// write of door 2 after the win must keep; and the tab, hidden, pauses.
async function touchPlay(browser) {
  const { page } = await openPage(browser, 'phone', PHONE);
  // A player new to this browser (door 1), as the first visit.
  await page.evaluate(() => new Promise((done) => { FS.writeFile('/save/progress.wp', '1'); FS.syncfs(false, done); }));
  const cover = await page.evaluate(() => {
    const r = document.getElementById('cover').getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
  });
  await page.touchscreen.tap(cover.x, cover.y);
  await page.waitForFunction(() => window.frameTimes.length > 0, { timeout: 10000 });
  await sleep(1500);
  // Two fingers at once hold two keys; lifting one leaves the other held.
  const pad = await page.evaluate(() => [...document.querySelectorAll('#touch [data-key=right], #touch [data-key=x]')]
    .map((e) => { const r = e.getBoundingClientRect(); return { x: r.x + r.width / 2, y: r.y + r.height / 2 }; }));
  const one = await page.touchscreen.touchStart(pad[0].x, pad[0].y);
  const two = await page.touchscreen.touchStart(pad[1].x, pad[1].y);
  const both = await heldKeys(page);
  await two.end();
  const left = await heldKeys(page);
  await one.end();
  const none = await heldKeys(page);
  check(both === 'right x' && left === 'right' && none === '',
    `touches hold keys while the fingers stay, two at once ('${both}', then '${left}', then '${none}')`);

  const map = await toMap(page, reference('map0.png'), (p) => touch(p, 'space', 150));
  if (!check(map !== null, 'phone: touches lead through the intro and the title to the map')) return page;
  await sleep(600);
  const at = await walkToDoor1(page, () => touch(page, 'right', 200));
  if (!check(at === 3, `phone: walked the map to door 1 with the pad (at cell ${at})`)) return page;
  await touch(page, 'space', 300);
  let level1 = await waitForPicture(page, reference('level1.png'), manifest.tolerance.level, 15000);
  await sleep(1500);
  if (level1.shown) level1 = await compareCanvas(page, reference('level1.png'));
  check(level1.clear >= 0 && level1.clear <= manifest.tolerance.level, `phone: level 1 shows (${level1.clear} pixels differ by more than 30)`);
  await page.screenshot({ path: path.join(work, 'browser-phone.png') });

  // Another tab reaches door 3 meanwhile and keeps it in the browser.
  const other = await browser.newPage();
  await other.goto(`${base}/vorrel.html`);
  await other.waitForFunction(() => Module.ready, { timeout: 30000 });
  await other.evaluate(() => new Promise((done) => { FS.writeFile('/save/progress.wp', '3'); FS.syncfs(false, done); }));
  await other.close();

  await touch(page, 'left', 1200);
  await touch(page, 'right', 9000);
  const level2 = await waitForPicture(page, reference('level2.png'), manifest.tolerance.level, 15000);
  check(level2.shown, 'phone: level 1 won with touches alone');
  if (level2.shown) await hintAndUndoByTouch(page);

  // Hidden, the tab stands still and is silent; shown again, it goes on.
  const hide = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await hide(true);
  await sleep(300);
  const hiddenFrom = await page.evaluate(() => [window.frameTimes.length, Module.audioState()]);
  await sleep(1200);
  const hiddenTo = await page.evaluate(() => window.frameTimes.length);
  await hide(false);
  await sleep(800);
  const shownAgain = await page.evaluate(() => [window.frameTimes.length, Module.audioState()]);
  check(hiddenTo === hiddenFrom[0] && !hiddenFrom[1].music && shownAgain[0] > hiddenTo && shownAgain[1].music,
    `a hidden tab pauses the game and its music and resumes (frames ${hiddenFrom[0]} → ${hiddenTo} → ${shownAgain[0]}, music ${hiddenFrom[1].music} → ${shownAgain[1].music})`);

  await touch(page, 'escape', 300);
  await page.waitForFunction(() => new TextDecoder().decode(FS.readFile('/data/level/main/progress.wp')) === '3', { timeout: 10000 }).catch(() => {});
  await sleep(500);
  const kept = await page.evaluate(() => [FS.readFile('/save/progress.wp', { encoding: 'utf8' }),
    FS.readFile('/data/level/main/progress.wp', { encoding: 'utf8' })]);
  check(kept[0] === '3' && kept[1] === '3', `another tab's higher door stays after this tab's write (kept '${kept[0]}', the game's '${kept[1]}')`);
  await page.close();
}

// Opened from disk, the page says in one line to serve it.
async function fromDisk(browser) {
  const page = await browser.newPage();
  await page.goto(`file://${path.resolve(webDir)}/vorrel.html`);
  await sleep(1500);
  const text = await page.evaluate(() => document.getElementById('status').textContent);
  check(/scripts\/build-web --serve/.test(text) && !text.includes('\n'), `opened from disk, the page says to serve it ('${text}')`);
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
    await fits(browser);
    await fromDisk(browser);
    const page = await play(browser);
    await reload(browser, page);
    await touchPlay(browser);
    await editorTest({ browser, base, work, root: path.resolve(__dirname, '../..'), check, log, sleep, hold });
  } catch (error) {
    check(false, `the test stopped: ${error.stack || error}`);
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  log(failures.length ? `${failures.length} failed` : 'all passed');
  process.exit(failures.length ? 1 : 0);
})();
