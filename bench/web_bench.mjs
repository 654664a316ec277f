// The web page in headless Chromium: passes per second with the ground and
// without it (Quick, toggled by a "q" typed into the page), at each size.
// The page is not changed for it: passes are read from the page's own
// count, over the seconds measured after a warm-up. Chromium runs without a
// GPU, as on the machine the desktop figures come from (bench/life3d_run.sh).
//
// Usage: node bench/web_bench.mjs [--site DIR] [--sizes WxH,...] [--seed S]
//                                 [--seconds S] [--warmup S] [--screenshot FILE]
// The site defaults to build-web/web/site; --screenshot saves the page at
// the first size, with the ground, after the warm-up.
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

import {serve, sleep, startBrowser} from '../tests/web/support.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const options = {
  site: path.join(root, 'build-web/web/site'),
  sizes: '1280x720,1920x1080',
  seed: '43200.25',
  seconds: '8',
  warmup: '2',
  screenshot: ''
};
const args = process.argv.slice(2);
while (args.length) {
  const name = args.shift().replace(/^--/, '');
  if (!(name in options) || !args.length) {
    console.error(
        'usage: node bench/web_bench.mjs [--site DIR] [--sizes WxH,...] [--seed S] ' +
        '[--seconds S] [--warmup S] [--screenshot FILE]');
    process.exit(2);
  }
  options[name] = args.shift();
}
const sizes = options.sizes.split(',').map((size) => size.split('x').map(Number));
if (sizes.some(([w, h]) => !(w > 0 && h > 0)) || !(Number(options.seconds) > 0)) {
  console.error('web_bench: sizes are WxH and seconds a number above 0');
  process.exit(2);
}

// Nanoseconds on the CPU of the browser's processes (those whose command
// line names its profile folder): the page's main thread (the renderer
// process's first thread, where the page's JavaScript and WebAssembly run),
// and all threads of all of them.
function cpuTimes(profile) {
  let page = 0, all = 0;
  for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const command = fs.readFileSync(`/proc/${pid}/cmdline`, 'latin1');
      if (!command.includes(profile)) continue;
      for (const tid of fs.readdirSync(`/proc/${pid}/task`)) {
        const ns =
            Number(fs.readFileSync(`/proc/${pid}/task/${tid}/schedstat`, 'latin1').split(' ')[0]);
        all += ns;
        if (tid === pid && command.includes('--type=renderer')) page += ns;
      }
    } catch {
      // A process or thread that ended meanwhile.
    }
  }
  return {page, all};
}

// Passes per second over `seconds` by the page's clock, and the CPU
// milliseconds per pass of the page's main thread and of the whole browser.
async function measure(browser, seconds) {
  const count = 'return [life3d.passes(), performance.now()]';
  const [p0, t0] = await browser.run(count);
  const c0 = cpuTimes(browser.profile);
  await sleep(seconds * 1000);
  const [p1, t1] = await browser.run(count);
  const c1 = cpuTimes(browser.profile);
  const passes = p1 - p0;
  return [
    passes / ((t1 - t0) / 1000), (c1.page - c0.page) / 1e6 / passes,
    (c1.all - c0.all) / 1e6 / passes
  ];
}

const server = await serve(options.site);
console.log(
    `life3d web page, headless Chromium, seed ${options.seed}, ${options.seconds} s ` +
    `after ${options.warmup} s`);
console.log('            passes/s  CPU ms per pass: page thread  whole browser');
try {
  for (const [index, [width, height]] of sizes.entries()) {
    const browser = await startBrowser(width, height);
    try {
      await browser.open(`${server.origin}/?seed=${options.seed}`);
      await browser.until('return window.life3d && life3d.state === "running"', 30000, 'the run');
      await sleep(Number(options.warmup) * 1000);
      if (index === 0 && options.screenshot) {
        fs.writeFileSync(options.screenshot, await browser.screenshot());
      }
      const line = (label, [rate, page, all]) => console.log(
          `${label.padEnd(11)} ${rate.toFixed(1).padStart(15)} ${page.toFixed(2).padStart(10)} ` +
          `${all.toFixed(2).padStart(8)}`);
      line(`${width}x${height}`, await measure(browser, Number(options.seconds)));
      await browser.type('q');
      await sleep(1000);
      const quick = await measure(browser, Number(options.seconds));
      await browser.type('\uE00C');
      line('  no ground', quick);
    } finally {
      await browser.quit();
    }
  }
} finally {
  await server.close();
}
