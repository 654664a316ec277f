// The page's module run under node, frame for frame against life3d-render:
// each run's first, middle and last frames must be the same bytes as the
// tool's PNG for the same seed, size, keys and passes.
// Usage: node frames_test.mjs SITE_DIR LIFE3D_RENDER
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {decodePng} from './png.mjs';

const [site, render] = process.argv.slice(2);
if (!site || !render) {
  console.error('usage: node frames_test.mjs SITE_DIR LIFE3D_RENDER');
  process.exit(2);
}

// Seeds, sizes and key scripts (the --keys notation) that reach the
// generation rule, the rebuild with and without the ground, centring, every
// camera key, a new population, a two-byte key, odd sizes and Esc.
const RUNS = [
  {seed: 43200.25, size: [640, 360], passes: 30, keys: ''},
  {seed: 1000, size: [640, 360], passes: 40, keys: 'XXXXq++zzdDaAeE'},
  {seed: 7, size: [1281, 721], passes: 20, keys: 'c  yYxZ\\0H-'},
  {seed: 86399.5, size: [320, 200], passes: 25, keys: 'n   Q   n--'},
  {seed: 0, size: [33, 17], passes: 12, keys: '+++++'},
  {seed: 51234.567, size: [1920, 1080], passes: 6, keys: 'qX'},
  {seed: 3600, size: [800, 600], passes: 50, keys: 'xxC  \\e   '},
];

const {default: createLife3D} = await import(path.resolve(site, 'life3d.js'));
const life3d = await createLife3D({wasmBinary: fs.readFileSync(path.join(site, 'life3d.wasm'))});
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'life3d-frames-'));
let failures = 0, compared = 0;

function toolFrame(run, passes) {
  const out = path.join(scratch, 'frame.png');
  execFileSync(render, [
    '--seed', String(run.seed), '--passes', String(passes), '--size', run.size.join('x'), '--keys',
    run.keys, '--out', out
  ]);
  return decodePng(fs.readFileSync(out));
}

function compare(run, pass, page) {
  const tool = toolFrame(run, pass);
  const name = `seed ${run.seed}, ${run.size.join('x')}, keys '${run.keys}', frame of pass ${pass}`;
  ++compared;
  if (tool.width === run.size[0] && tool.height === run.size[1] && tool.rgba.equals(page)) {
    console.log(`same: ${name} (${page.length} bytes)`);
    return;
  }
  let differ = 0, first = -1;
  for (let p = 0; p < page.length; p += 4) {
    if (page.readUInt32LE(p) !== tool.rgba.readUInt32LE(p)) {
      if (first < 0) first = p / 4;
      ++differ;
    }
  }
  const [w] = run.size;
  console.log(
      `DIFFERENT: ${name}: ${differ} pixels, the first at ${first % w},${Math.floor(first / w)}`);
  ++failures;
}

for (const run of RUNS) {
  const frames = [];
  life3d.onFrame = (pointer, width, height) =>
      frames.push(Buffer.from(life3d.HEAPU8.subarray(pointer, pointer + width * height * 4)));
  const keys = Buffer.from(run.keys + '\0', 'latin1');
  const text = life3d._malloc(keys.length);
  life3d.HEAPU8.set(keys, text);
  const started = life3d._life3d_start(run.seed, run.size[0], run.size[1], text, run.passes);
  life3d._free(text);
  if (started !== 0) throw new Error(`life3d_start refused ${JSON.stringify(run)}: ${started}`);
  const end = await life3d.ccall('life3d_run', 'number', [], [], {async: true});
  const passes = life3d._life3d_passes();
  const escapes = run.keys.includes('\\e');
  if ((end === 1) !== escapes || frames.length !== passes + 1 ||
      (!escapes && passes !== run.passes)) {
    console.log(
        `WRONG END: ${JSON.stringify(run)}: end ${end}, ${passes} passes, ${frames.length} frames`);
    ++failures;
  }
  for (const pass of new Set([0, Math.floor(passes / 2), passes])) compare(run, pass, frames[pass]);
}
fs.rmSync(scratch, {recursive: true, force: true});
console.log(`${compared} frames compared, ${failures} failures`);
process.exit(failures ? 1 : 0);
