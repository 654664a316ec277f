// What the browser test and the benchmark share: the page's folder served on
// localhost as plain static files, and headless Chromium driven through
// chromium-driver's WebDriver interface (plain HTTP, so nothing beyond
// Debian's packages and node is needed).
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

// Serves root on 127.0.0.1 at a free port; resolves to { origin, close }.
export function serve(folder) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(
        200, {'Content-Type': TYPES[path.extname(file)] ?? 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise(
      (resolve) =>
          server.listen(0, '127.0.0.1', () => resolve({
                                          origin: `http://127.0.0.1:${server.address().port}`,
                                          close: () => new Promise((done) => server.close(done)),
                                        })));
}

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.on('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const {port} = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

function request(port, method, url, body) {
  const data = body === undefined ? undefined : JSON.stringify(body);
  return new Promise((resolve, reject) => {
    const r = http.request(
        {
          host: '127.0.0.1',
          port,
          method,
          path: url,
          agent: false,
          headers: data ?
              {'Content-Type': 'application/json', 'Content-Length': Buffer.byteLength(data)} :
              {}
        },
        (response) => {
          const chunks = [];
          response.on('data', (chunk) => chunks.push(chunk));
          response.on('end', () => {
            const text = Buffer.concat(chunks).toString();
            let json;
            try {
              json = JSON.parse(text);
            } catch {
              reject(new Error(`WebDriver ${method} ${url}: ${text.slice(0, 200)}`));
              return;
            }
            if (response.statusCode >= 400) {
              reject(new Error(
                  `WebDriver ${method} ${url}: ${json.value?.message ?? text.slice(0, 200)}`));
            } else {
              resolve(json.value);
            }
          });
        });
    r.on('error', reject);
    if (data) r.write(data);
    r.end();
  });
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Headless Chromium whose viewport is width x height; resolves to a driver
// with the calls the tests use. CHROMIUM and CHROMEDRIVER override the
// programs' paths.
export async function startBrowser(width, height) {
  const port = await freePort();
  const driver = spawn(
      process.env.CHROMEDRIVER ?? '/usr/bin/chromedriver', [`--port=${port}`], {stdio: 'ignore'});
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'life3d-chromium-'));
  const stop = () => {
    driver.kill();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  let session;
  try {
    for (let tries = 0;; ++tries) {
      try {
        await request(port, 'GET', '/status');
        break;
      } catch (error) {
        if (tries > 100) throw error;
        await sleep(100);
      }
    }
    // The network is closed to the browser but for localhost: without these
    // it keeps trying to reach its services.
    const args = [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-dev-shm-usage', '--hide-scrollbars', `--user-data-dir=${profile}`,
      `--window-size=${width},${height}`
    ];
    session =
        (await request(port, 'POST', '/session', {
          capabilities: {
            alwaysMatch: {
              browserName: 'chrome',
              'goog:chromeOptions': {binary: process.env.CHROMIUM ?? '/usr/bin/chromium', args},
            }
          }
        })).sessionId;
  } catch (error) {
    stop();
    throw error;
  }
  const call = (method, url, body) => request(port, method, `/session/${session}${url}`, body);
  // The window's size includes what the browser draws around the page.
  const [innerWidth, innerHeight] =
      await call('POST', '/execute/sync', {script: 'return [innerWidth, innerHeight]', args: []});
  const [extraWidth, extraHeight] = [width - innerWidth, height - innerHeight];
  const resize = (w, h) =>
      call('POST', '/window/rect', {width: w + extraWidth, height: h + extraHeight});
  await resize(width, height);
  return {
    profile,  // the browser's own folder: its processes name it on their command lines
    resize,
    open: (url) => call('POST', '/url', {url}),
    // Runs `source` in every page opened after this, before the page's own scripts.
    beforeEachPage: (source) => call(
        'POST', '/goog/cdp/execute',
        {cmd: 'Page.addScriptToEvaluateOnNewDocument', params: {source}}),
    // Runs `script` (a function body) in the page with `args`; its result.
    run: (script, ...args) => call('POST', '/execute/sync', {script, args}),
    // Presses and releases each key in turn (WebDriver key values: '\uE00C' is Esc).
    type: (keys) => call('POST', '/actions', {
      actions: [{
        type: 'key',
        id: 'keyboard',
        actions: [...keys].flatMap((value) => [{type: 'keyDown', value}, {type: 'keyUp', value}])
      }]
    }),
    screenshot: async () => Buffer.from(await call('GET', '/screenshot'), 'base64'),
    // Waits until `script` gives a true value, polling; throws after `ms`.
    async until(script, ms, what) {
      const end = Date.now() + ms;
      for (;;) {
        const value = await call('POST', '/execute/sync', {script, args: []});
        if (value) return value;
        if (Date.now() > end) {
          const seen = await call('POST', '/execute/sync', {
            args: [],
            script: 'return document.body.dataset.state + ": " + document.body.innerText.trim()'
          });
          throw new Error(`timed out waiting for ${what}; the page is ${seen}`);
        }
        await sleep(50);
      }
    },
    async quit() {
      try {
        await call('DELETE', '');
      } finally {
        stop();
      }
    },
  };
}
