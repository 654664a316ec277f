// The page in headless Chromium, served on localhost as plain files: its
// canvas read back after scripted and typed runs must be life3d-render's
// picture of the same run, byte for byte; Esc ends a run and a new one can
// start; a resized window scales the picture; bad parameters, a page opened
// from a file and a browser without WebAssembly each get their sentence.
// Usage: node browser_test.mjs SITE_DIR LIFE3D_RENDER
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {decodePng} from './png.mjs';
import {serve, sleep, startBrowser} from './support.mjs';

const [site, render] = process.argv.slice(2);
if (!site || !render) {
  console.error('usage: node browser_test.mjs SITE_DIR LIFE3D_RENDER');
  process.exit(2);
}
const WIDTH = 640, HEIGHT = 360;
const ESC = '\uE00C';
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'life3d-browser-'));
let failures = 0;

function check(ok, what) {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) ++failures;
}

function toolFrame(seed, passes, keys) {
  const out = path.join(scratch, 'frame.png');
  execFileSync(render, [
    '--seed', seed, '--passes', String(passes), '--size', `${WIDTH}x${HEIGHT}`, '--keys', keys,
    '--out', out
  ]);
  return decodePng(fs.readFileSync(out)).rgba;
}

const READ_CANVAS = `
  const c = document.getElementById('picture');
  const bytes = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let text = '';
  for (let at = 0; at < bytes.length; at += 0x8000)
    text += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
  return btoa(text);`;

async function compareCanvas(browser, seed, passes, keys, what) {
  const page = Buffer.from(await browser.run(READ_CANVAS), 'base64');
  const tool = toolFrame(seed, passes, keys);
  let differ = 0;
  for (let p = 0; p < tool.length; p += 4) differ += page.readUInt32LE(p) !== tool.readUInt32LE(p);
  check(
      page.length === tool.length && differ === 0,
      `${what}: the canvas is life3d-render --seed ${seed} --passes ${passes} --keys '${keys}'` +
          (differ ? ` (${differ} pixels differ)` : ''));
}

const state = 'return document.body.dataset.state';
const ended = 'return document.body.dataset.state === "ended"';
const message = 'return document.getElementById("message").textContent';

const server = await serve(site);
const browser = await startBrowser(WIDTH, HEIGHT);
try {
  // A reproducible run from the address: a + in ?keys= is the zoom key.
  await browser.open(`${server.origin}/?seed=43200.25&keys=XXq++z%20%5C0H-&passes=40`);
  await browser.until(ended, 30000, 'the scripted run to stop');
  check(
      await browser.run('return life3d.passes()') === 40,
      'the scripted run stopped after 40 passes');
  check((await browser.run(message)).includes('after 40 passes'), 'the page says so');
  await compareCanvas(browser, '43200.25', 40, 'XXq++z \\0H-', 'scripted run');

  // Keys typed into the page: one per pass, read in the order typed; Esc
  // ends the run before that pass's frame.
  await browser.open(`${server.origin}/?seed=1000`);
  await browser.until(
      'return life3d.state === "running" && life3d.passes() >= 10', 30000, 'passes');
  await browser.type('XXq');
  await sleep(300);
  await browser.type('+');
  await sleep(200);
  await browser.type(ESC);
  await browser.until(ended, 10000, 'Esc to end the run');
  const passes = await browser.run('return life3d.passes()');
  await sleep(300);
  check(await browser.run('return life3d.passes()') === passes, 'no pass runs after Esc');
  check((await browser.run(message)).includes('Esc'), 'the page says Esc ended the run');
  const link = await browser.run('return life3d.link');
  const keys = decodeURIComponent(/[?&]keys=([^&]*)/.exec(link)?.[1] ?? '');
  check(
      keys.replace(/ /g, '') === 'XXq+\\e' && keys.endsWith('\\e') && keys.length === passes + 2,
      `each typed key read in a pass of its own: '${keys.trim()}'`);
  await compareCanvas(browser, '1000', passes, keys, 'typed run (a turn, Quick, a zoom, Esc)');

  // The run's link replays it to the same picture.
  await browser.open(server.origin + '/' + link);
  await browser.until(ended, 30000, 'the replayed run to end');
  check(await browser.run('return life3d.passes()') === passes, 'the link replays as many passes');
  await compareCanvas(browser, '1000', passes, keys, 'replayed run');

  // Start again: a new run from the same address, ended by Esc again.
  await browser.run('document.querySelector("#actions button").click()');
  await browser.until('return life3d.state === "running"', 10000, 'a new run');
  await browser.type(ESC);
  await browser.until(ended, 10000, 'Esc to end the new run');
  check(true, 'Start again begins a new run');

  // A window made smaller scales the picture to fit, its proportions kept.
  await browser.open(`${server.origin}/?seed=7&passes=3`);
  await browser.until(ended, 30000, 'a short run');
  await browser.resize(320, 320);
  await sleep(300);
  const box = await browser.run(`const c = document.getElementById('picture');
    const contain = getComputedStyle(c).objectFit === 'contain';
    const [w, h] = contain ? [c.clientWidth, c.clientHeight] : [0, 0];
    const scale = Math.min(w / c.width, h / c.height);
    return [c.width, c.height, Math.round(c.width * scale), Math.round(c.height * scale)]`);
  check(
      box.join() === [WIDTH, HEIGHT, 320, 180].join(),
      `the picture keeps ${WIDTH}x${HEIGHT} pixels and shows at 320x180: ${box}`);
  await browser.resize(WIDTH, HEIGHT);

  // Failures say what to do.
  for (const [query, words] of [
           ['?seed=86400', '?seed='], ['?passes=1e3', '?passes='], ['?keys=%5Cq', 'notation'],
           ['?seed=1&seed=2', 'twice']]) {
    await browser.open(`${server.origin}/${query}`);
    await browser.until('return document.body.dataset.state !== "starting"', 10000, query);
    check(
        await browser.run(state) === 'failed' && (await browser.run(message)).includes(words),
        `${query}: ${await browser.run(message)}`);
  }
  await browser.open(pathToFileURL(path.resolve(site, 'index.html')).href);
  check(
      (await browser.run(message)).includes('web server'),
      `from a file: ${await browser.run(message)}`);
  // A browser whose WebAssembly has no SIMD, and one without WebAssembly.
  await browser.beforeEachPage('WebAssembly.validate = () => false;');
  await browser.open(server.origin + '/');
  check(
      (await browser.run(message)).includes('SIMD'), `without SIMD: ${await browser.run(message)}`);
  await browser.beforeEachPage('delete globalThis.WebAssembly;');
  await browser.open(server.origin + '/');
  check(
      (await browser.run(message)).includes('WebAssembly'),
      `without WebAssembly: ${await browser.run(message)}`);
} finally {
  await browser.quit();
  await server.close();
  fs.rmSync(scratch, {recursive: true, force: true});
}
console.log(failures ? `${failures} checks failed` : 'all checks passed');
process.exit(failures ? 1 : 0);
