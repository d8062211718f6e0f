// The built site (build-web/site) in a real browser: Debian's Chromium,
// headless, against a static server on 127.0.0.1. Screenshots of both pages
// go to build-web/screenshots/.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { serveSite } from './static_server.mjs';
import { leftColumn, pieceCells, playUntilScored } from './well_bot.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const siteDir = process.env.ZUMBRIK_SITE ?? join(root, 'build-web/site');
const shots = process.env.ZUMBRIK_SCREENSHOTS ?? join(root, 'build-web/screenshots');
const theme = join(root, 'resources/theme.xm');

// This machine's network is closed: without these Chromium's own
// connections are refused and slow it down.
const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

let site;
let profile;
let context;

before(async () => {
  mkdirSync(shots, { recursive: true });
  site = await serveSite(siteDir);
  profile = mkdtempSync(join(tmpdir(), 'zumbrik-chromium-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ZUMBRIK_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: CHROMIUM_FLAGS,
    viewport: { width: 1100, height: 760 },
  });
});

after(async () => {
  await context?.close();
  await site?.close();
  if (profile) rmSync(profile, { recursive: true, force: true });
});

async function openGame() {
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  await page.goto(site.url);
  await page.waitForFunction(() => window.zumbrik?.firstScreenMs() != null, null, { timeout: 10000 });
  return { page, problems };
}

const screen = (page) => page.evaluate(() => window.zumbrik.screen());
const frames = (page) => page.evaluate(() => window.zumbrik.audioFrames());
const cellsAt = (rows, column, row, length) => rows[row].slice(column, column + length);

async function waitForScreen(page, done, what, ms = 3000) {
  const end = Date.now() + ms;
  for (;;) {
    const rows = await screen(page);
    if (done(rows)) return rows;
    if (Date.now() > end) assert.fail(`${what}; the screen:\n${rows.join('\n')}`);
    await page.waitForTimeout(20);
  }
}

// The worklet's frame count once it stands still (two reports 300 ms apart agree).
async function settledFrames(page) {
  let last = await frames(page);
  for (let tries = 0; tries < 20; ++tries) {
    await page.waitForTimeout(300);
    const now = await frames(page);
    if (now === last) return now;
    last = now;
  }
  assert.fail('the music never stopped');
}

async function growingFrames(page) {
  const start = await frames(page);
  await page.waitForFunction((from) => window.zumbrik.audioFrames() > from + 4096, start, { timeout: 5000 });
}

test('the start screen shows its texts at their cells (the time to it is printed, not judged)', async () => {
  const { page, problems } = await openGame();
  const first = await page.evaluate(() => window.zumbrik.firstScreenMs());
  console.log(`first screen: ${first.toFixed(0)} ms after the page was asked for`);
  const rows = await screen(page);
  assert.equal(rows.length, 30);
  for (const row of rows) assert.equal(row.length, 80);
  assert.equal(cellsAt(rows, 56, 2, 11), 'ЗУМБРИК 1.0');
  assert.equal(cellsAt(rows, 52, 6, 21), 'СЧЁТ: 0              ');
  assert.equal(cellsAt(rows, 52, 8, 24), 'СЛОЖНОСТЬ: 1            ');
  assert.equal(cellsAt(rows, 52, 10, 22), 'До следующей: 100     ');
  assert.equal(cellsAt(rows, 52, 20, 6), 'Далее:');
  assert.equal(cellsAt(rows, 52, 25, 23), 'F   - сменить рисование');
  assert.equal(cellsAt(rows, 52, 26, 11), 'P   - пауза');
  assert.equal(cellsAt(rows, 52, 27, 21), 'M   - музыка вкл/выкл');
  assert.equal(cellsAt(rows, 52, 28, 11), 'ESC - выход');
  for (let row = 1; row <= 28; ++row) assert.equal(cellsAt(rows, 1, row, 24), '0'.repeat(24), `mirror row ${row}`);
  assert.equal(await page.title(), 'Console Zumbrik 1.0');
  assert.equal(await page.locator('#sound').textContent(), 'Звук включится после первого нажатия клавиши.');
  await page.screenshot({ path: join(shots, 'game.png') });
  assert.deepEqual(problems, []);
  await page.close();
});

test('arrows move the piece; P shows the pause picture and P again returns; M and the pause stop the music', async () => {
  const { page, problems } = await openGame();
  // F: the dotted look, so the piece shows in the screen's text. The first key starts the sound.
  await page.keyboard.press('f');
  let rows = await waitForScreen(page, (r) => pieceCells(r).length > 0, 'the piece shows dotted');
  await page.waitForFunction(() => window.zumbrik.audioRunning(), null, { timeout: 5000 });
  assert.equal(await page.locator('#sound').isHidden(), true, 'the sound line goes once sound plays');
  await growingFrames(page);

  for (const [name, step] of [['ArrowLeft', -1], ['ArrowRight', 1], ['ArrowRight', 1]]) {
    const from = leftColumn(pieceCells(rows));
    await page.keyboard.press(name);
    rows = await waitForScreen(page, (r) => pieceCells(r).length > 0 && leftColumn(pieceCells(r)) === from + step,
      `${name} moves the piece from column ${from}`);
  }

  await page.keyboard.press('m');
  const silent = await settledFrames(page);
  await page.waitForTimeout(500);
  assert.equal(await frames(page), silent, 'M stops the frames');
  await page.keyboard.press('m');
  await growingFrames(page);

  const gameScreen = await screen(page);
  await page.keyboard.press('p');
  rows = await waitForScreen(page, (r) => cellsAt(r, 37, 0, 5) === 'ПАУЗА', 'P shows the pause screen');
  assert.equal(cellsAt(rows, 27, 29, 25), 'Для продолжения нажмите P');
  const paused = await settledFrames(page);
  await page.waitForTimeout(500);
  assert.equal(await frames(page), paused, 'the pause stops the frames');
  // The animation runs behind the picture: the mist closes over its patch.
  await waitForScreen(page, (r) => cellsAt(r, 54, 13, 5) === '~~~~~', 'the pause picture blinks', 5000);
  await page.screenshot({ path: join(shots, 'pause.png') });
  await page.keyboard.press('p');
  rows = await waitForScreen(page, (r) => cellsAt(r, 56, 2, 11) === 'ЗУМБРИК 1.0', 'P again returns to the game');
  assert.deepEqual(rows.slice(0, 1), gameScreen.slice(0, 1));
  await growingFrames(page);

  // The processor over ten seconds of play with music: the game's steps
  // (what the terminal program does), and the page's thread in all (with
  // xterm.js drawing, what a terminal emulator does).
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  const taskSeconds = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  const [task, steps] = [await taskSeconds(), await page.evaluate(() => window.zumbrik.stepMs())];
  await page.waitForTimeout(10000);
  const stepShare = ((await page.evaluate(() => window.zumbrik.stepMs())) - steps) / 100;
  const taskShare = ((await taskSeconds()) - task) * 10;
  console.log(`processor over 10 s of play: game steps ${stepShare.toFixed(2)} %, page thread ${taskShare.toFixed(1)} % of one core`);
  assert.deepEqual(problems, []);
  await page.close();
});

test('a game that scored keeps its score after Escape and a reload', async () => {
  const { page, problems } = await openGame();
  await page.keyboard.press('f');
  await waitForScreen(page, (r) => pieceCells(r).length > 0, 'the piece shows dotted');
  const { score, pieces } = await playUntilScored(page);
  console.log(`scored ${score} after ${pieces} pieces`);
  assert.ok(score > 0, 'the game scored');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !window.zumbrik.sessionRunning(), null, { timeout: 3000 });
  assert.match(await page.locator('#session').textContent(), /Игра окончена\. Enter — новая игра\./);
  const stored = await page.evaluate(() => localStorage.getItem('zumbrik/scores'));
  assert.match(stored, new RegExp(`^${score}\\t`, 'm'));

  await page.reload();
  await page.waitForFunction(() => window.zumbrik?.firstScreenMs() != null, null, { timeout: 10000 });
  await waitForScreen(page, (r) => cellsAt(r, 52, 12, 8 + String(score).length) === `РЕКОРД: ${score}`,
    `the best score ${score} shows after the reload`);
  // Enter after Escape starts a new game, which shows the table's best too.
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !window.zumbrik.sessionRunning(), null, { timeout: 3000 });
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.zumbrik.sessionRunning(), null, { timeout: 3000 });
  await waitForScreen(page, (r) => cellsAt(r, 52, 12, 7) === 'РЕКОРД:', 'a new game after Enter');
  assert.equal(await page.locator('#session').isHidden(), true);
  assert.deepEqual(problems, []);
  await page.close();
});

test('the player page plays a module, seeks exactly, loops and reports its title; a file that is no module is refused', async () => {
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  await page.goto(site.url + 'player.html');
  const state = () => page.evaluate(() => window.zumbrikPlayer.state());
  // The title as the file holds it: 20 bytes after "Extended Module: ".
  const title = readFileSync(theme).subarray(17, 37).toString('latin1').replace(/[\0 ]+$/, '');

  // A file that is no module is said so, and the page plays the next one.
  await page.locator('#file').setInputFiles({ name: 'notes.xm', mimeType: 'audio/xm', buffer: Buffer.from('no module here') });
  await page.waitForFunction(() => window.zumbrikPlayer.state().problem !== '', null, { timeout: 10000 });
  assert.equal(await page.locator('#problem').isVisible(), true);

  const chooser = page.waitForEvent('filechooser');
  await page.locator('#file').click();
  await (await chooser).setFiles(theme);
  await page.waitForFunction(() => window.zumbrikPlayer.state().frames > 8192, null, { timeout: 10000 });
  let now = await state();
  assert.equal(now.title, title);
  assert.equal(now.format, 'XM');
  assert.ok(now.duration > 1, `duration ${now.duration}`);
  assert.ok(now.instruments.length > 0);
  assert.equal(await page.locator('#title').textContent(), title);

  const seekTo = async (seconds) => page.evaluate((value) => {
    const seek = document.getElementById('seek');
    seek.value = String(value);
    seek.dispatchEvent(new Event('change'));
  }, seconds);
  const target = Math.min(10, now.duration / 2);
  await seekTo(target);
  await page.waitForFunction((t) => {
    const s = window.zumbrikPlayer.state();
    return s.seconds >= t && s.seconds < t + 0.5;
  }, target, { timeout: 5000 });
  now = await state();
  assert.ok(now.order > 0 || now.row > 0, 'the position follows the seek');
  await page.screenshot({ path: join(shots, 'player.png') });

  // Without the loop switch the song ends; with it, it goes on.
  await seekTo(now.duration - 0.3);
  await page.waitForFunction(() => window.zumbrikPlayer.state().ended, null, { timeout: 5000 });
  await page.locator('#loop').check();
  await page.locator('#play').click();
  await seekTo(now.duration - 0.3);
  await page.waitForTimeout(1500);
  now = await state();
  assert.equal(now.ended, false);
  assert.ok(now.seconds > now.duration, `plays on past the end: ${now.seconds} of ${now.duration}`);
  assert.deepEqual(problems, []);
  await page.close();
});
