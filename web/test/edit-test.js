// The level editor's page (edit.html), driven as a designer uses it: a level
// made with real mouse and key events, kept in the browser's storage,
// test-played and won, shared and won again from its link in the game page,
// downloaded; a file opened from the disk and solved while the page stays
// responsive, a dropped file, and the kept levels after a reload. Called by
// browser-test.js.
'use strict';
const fs = require('fs');
const path = require('path');

module.exports = async function editorTest({ browser, base, work, root, check, log, sleep, hold }) {
  const page = await browser.newPage();
  await page.setViewport({ width: 900, height: 700 });
  page.on('pageerror', (error) => check(false, `editor: page error ${error.message}`));
  page.on('dialog', (dialog) => dialog.accept());
  const downloads = path.join(work, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  const cdp = await page.target().createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });

  const ready = async () => {
    await page.waitForFunction(() => typeof _webEditModified === 'function' &&
      document.getElementById('cover').style.display === 'none', { timeout: 30000 });
    await sleep(500);
  };
  const text = () => page.evaluate(() => {
    const at = _webEditText();
    return Array.from(HEAPU8.slice(at, at + _webEditTextSize()));
  });
  const kept = (file) => page.evaluate((f) => FS.analyzePath('/save/' + f).exists ? Array.from(FS.readFile('/save/' + f)) : null, file);
  const stored = () => page.evaluate(() => (Module.saving || Promise.resolve()).then(() => true));
  const statusShot = async (name) => page.screenshot({ path: path.join(work, name) });

  await page.goto(`${base}/edit.html`);
  await ready();
  const name = await page.evaluate(() => location.hash);
  check(name === '#level=level1', `the editor opens a new level1 on a first visit ('${name}')`);
  const box = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { x: r.x, y: r.y, scale: r.width / 640 };
  });
  const at = (x, y) => [box.x + x * box.scale, box.y + y * box.scale];
  const cell = (column, row) => at(column * 32 + 16, row * 32 + 16);

  // The second palette entry (rock), dragged along row 7; a right click
  // clears one cell of it again; + gives a bomb and Ctrl+Z takes it back.
  await page.mouse.click(...at(4 + 26 + 12, 421 + 12));
  await page.mouse.move(...cell(4, 7));
  await page.mouse.down();
  await page.mouse.move(...cell(9, 7), { steps: 10 });
  await page.mouse.up();
  await page.mouse.click(...cell(6, 7), { button: 'right' });
  await page.keyboard.press('Equal');
  await sleep(300);
  // The bomb is there before it is undone: = reaches the editor in this browser.
  const bombed = /^bomb [1-9]/m.test(Buffer.from(await text()).toString('latin1'));
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyZ');
  await page.keyboard.up('Control');
  await sleep(300);
  const made = Buffer.from(await text()).toString('latin1');
  // The grid follows the tileset, the backdrop and the row count.
  const row = made.split('\n')[3 + 7] || '';
  const open = row[6], rock = row[4];
  check(rock !== open && row.slice(4, 10) === `${rock}${rock}${open}${rock}${rock}${rock}` && bombed && !/^bomb [1-9]/m.test(made),
    `the mouse painted row 7 and cleared one cell of it; = gave a bomb (${bombed}) and it was undone ('${row}')`);

  await page.keyboard.down('Control');
  await page.keyboard.press('KeyS');
  await page.keyboard.up('Control');
  await sleep(300);
  await stored();
  const saved = await kept('level1.lev');
  check(saved !== null && Buffer.from(saved).toString('latin1') === made, 'Ctrl+S keeps the level in the browser\'s storage');
  await statusShot('edit-made.png');

  // Test-play: F5, walk right to the door past the gem, keep the keys as its tape.
  await page.keyboard.press('F5');
  await sleep(2000);
  await hold(page, 'ArrowRight', 8000);
  await sleep(2500);
  await page.keyboard.press('KeyY');
  await sleep(500);
  await stored();
  const tape = await kept('level1.tape');
  check(tape !== null && /Completed/.test(Buffer.from(tape).toString('latin1')), 'F5 test-plays the level; its won keys are kept as its tape');

  // Shared (the page's button presses F8): the link, at this site's game
  // page, opens the level there, where it is won with real keys.
  await page.click('#shareButton');
  const link = await page.waitForFunction(() => Module.sharedLink, { timeout: 30000 })
    .then((answer) => answer.jsonValue(), () => '');
  const shown = await page.$eval('#link', (e) => e.value);
  check(link.startsWith(`${base}/vorrel.html#play=`) && shown === link, `Share a link makes the level's link ('${link.slice(0, 60)}…')`);
  const game = await browser.newPage();
  const lines = [];
  game.on('console', (message) => lines.push(message.text()));
  await game.goto(link);
  await game.waitForFunction(() => Module.ready, { timeout: 30000 });
  await game.keyboard.press('Enter');
  const end = Date.now() + 25000;
  while (!lines.includes('Shared level won.') && Date.now() < end) await hold(game, 'ArrowRight', 300);
  check(lines.includes('Shared level won.'), 'the link opens the level made in the editor in the game page, and it is won there');
  await game.close();
  await page.bringToFront();

  // Download: the level as it stands, as a file.
  await page.click('#download');
  let file = null;
  for (let i = 0; i < 20 && !file; i++) {
    await sleep(250);
    if (fs.existsSync(path.join(downloads, 'level1.lev'))) file = fs.readFileSync(path.join(downloads, 'level1.lev'));
  }
  check(file !== null && file.toString('latin1') === made, 'Download saves the level to the disk as level1.lev');

  // A campaign level opened from the disk with the file picker, then solved:
  // the page goes on drawing and answering while the solver works.
  const picked = path.join(root, 'data/level/main/level40.lev');
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
  await chooser.accept([picked]);
  await page.waitForNavigation({ timeout: 30000 }).catch(() => {});
  await ready();
  const opened = await page.evaluate(() => location.hash);
  const openedText = Buffer.from(await text()).toString('latin1');
  check(opened === '#level=level40' && openedText.split('\n')[0] === fs.readFileSync(picked, 'latin1').split('\n')[0],
    `a level file picked from the disk opens under its own name ('${opened}')`);
  await page.evaluate(() => {
    window.gaps = { last: performance.now(), largest: 0, frames: 0 };
    const tick = () => {
      const now = performance.now();
      window.gaps.largest = Math.max(window.gaps.largest, now - window.gaps.last);
      window.gaps.last = now;
    };
    window.ticker = setInterval(tick, 20);
    Module.onFrame = () => window.gaps.frames++;
  });
  const message = () => page.evaluate(() => UTF8ToString(_webEditMessage()));
  // Level 40 is the longest default search (about a second natively, more
  // in slices): asked half a second in, it is still at work.
  await page.keyboard.press('F6');
  await sleep(500);
  const during = await message();
  await sleep(3500);
  await statusShot('edit-solving.png');
  await page.keyboard.press('Escape');
  await sleep(500);
  const solving = await page.evaluate(() => { clearInterval(window.ticker); return window.gaps; });
  log(`while solving: ${solving.frames} frames in 4.5 s, the longest the page did not answer ${solving.largest.toFixed(0)} ms`);
  // A search run whole would hold the page for its seconds.
  check(/^Solving: \d+ states/.test(during) && !/^Solving/.test(await message()) &&
        solving.frames > 20 && solving.largest < 1000,
    `F6 solves in slices: the page answers and draws meanwhile, Escape cancels ('${during}'; longest wait ${solving.largest.toFixed(0)} ms, ${solving.frames} frames)`);

  // A file dropped on the page opens too; both are kept after a reload.
  await page.evaluate((bytes) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], 'my drop.lev'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, Array.from(saved));
  await page.waitForNavigation({ timeout: 30000 }).catch(() => {});
  await ready();
  const levels = await page.evaluate(() => [location.hash, [...document.querySelectorAll('#levels option')].map((o) => o.value).sort().join(' ')]);
  check(levels[0] === '#level=my-drop' && levels[1] === 'level1 level40 my-drop',
    `a dropped file opens as my-drop; the browser keeps every level (${levels.join(': ')})`);
  await page.close();
};
