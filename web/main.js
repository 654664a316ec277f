// life3d in a web page: the program compiled to WebAssembly (life3d.js and
// life3d.wasm) draws each frame into the picture canvas; this module starts
// runs, hands the page's keys to the program and draws the console's cells
// and the legend in front of the picture, where the desktop window has them.
//
// Parameters: ?seed=SECONDS (the time of day that seeds the board, as
// life3d-render's --seed), ?keys=TEXT (one key per pass, in --keys notation,
// URL-encoded; a + is a plus here, not a blank) and ?passes=N (the run stops
// after N passes).
import {keyTextOf} from './keymap.js';
import createLife3D from './life3d.js';

const CONSOLE_X = 0;  // picture pixels of the console's top-left corner
const CONSOLE_Y = 40;
const LEGEND_COLUMNS = 22;
const LEGEND_INDENT = 2;  // columns before the text of a line with a swatch
const LEGEND_ATTR = 0x07;
const FONT = '14px "DejaVu Sans Mono", "Liberation Mono", Menlo, Consolas, monospace';
// Console colors by attribute nibble, as a PC text screen shows them.
const TEXT_COLORS = [
  '#000000',
  '#000080',
  '#008000',
  '#008080',
  '#800000',
  '#800080',
  '#808000',
  '#c0c0c0',
  '#808080',
  '#0000ff',
  '#00ff00',
  '#00ffff',
  '#ff0000',
  '#ff00ff',
  '#ffff00',
  '#ffffff',
];
const MAX_SIDE = 16384;
const MAX_PASSES = 100000000;
const END_BY_ESC = 1;
const START_ERRORS = {
  1: 'The keys of ?keys= are not in the notation: bytes as themselves, \\e for Esc, \\xHH, ' +
      '\\\\ for a backslash, \\0 and a key for a two-byte key.',
  2: 'This browser could not give life3d the memory for a picture of the window\'s size: ' +
      'make the window smaller and reload the page.',
  3: 'A run is going on already.',
};

const picture = document.getElementById('picture');
const panel = document.getElementById('panel');
const statusBox = document.getElementById('status');
const message = document.getElementById('message');
const actions = document.getElementById('actions');

// What the page is doing, for people and for tests: starting, running,
// ended or failed; and the run's numbers.
const page = {
  state: 'starting',
  width: 0,
  height: 0,
  seed: '',
  passes: () => 0,
  link: '',
};
window.life3d = page;

function setState(state) {
  page.state = state;
  document.body.dataset.state = state;
}

// One plain sentence over the picture, with buttons or links below it.
function say(text, ...choices) {
  message.textContent = text;
  actions.replaceChildren(...choices);
  statusBox.hidden = false;
  const button = actions.querySelector('button');
  if (button) button.focus();
}

function button(label, onClick) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = label;
  b.addEventListener('click', onClick);
  return b;
}

function link(label, href) {
  const a = document.createElement('a');
  a.href = href;
  a.textContent = label;
  return a;
}

function fail(text) {
  if (page.state === 'failed') return;
  setState('failed');
  say(text, button('Reload', () => location.reload()));
}

window.addEventListener(
    'error',
    (event) => fail(
        `life3d stopped because of an error (${event.message}). Reload the page to start again.`));
window.addEventListener(
    'unhandledrejection',
    (event) => fail(
        `life3d stopped because of an error (${event.reason}). Reload the page to start again.`));

// ?seed=, ?keys= and ?passes= as given (a value is URL-decoded, and a + stays
// a + so that the zoom key can be written plainly); throws with the sentence
// to show for a value the page cannot take.
function readParameters(search) {
  const given = {};
  for (const part of search.replace(/^\?/, '').split('&')) {
    if (part === '') continue;
    const eq = part.indexOf('=');
    const name = eq < 0 ? part : part.slice(0, eq);
    if (!['seed', 'keys', 'passes'].includes(name)) continue;
    if (name in given) throw new Error(`?${name}= is given twice; give it once.`);
    try {
      given[name] = decodeURIComponent(eq < 0 ? '' : part.slice(eq + 1));
    } catch {
      throw new Error(`?${name}= is not valid URL encoding: write a % as %25.`);
    }
  }
  const seed = given.seed;
  if (seed !== undefined && !(/^\d+(\.\d+)?$/.test(seed) && Number(seed) < 86400)) {
    throw new Error(
        `?seed= wants the seconds since midnight that seed the board, from 0 to ` +
        `below 86400 (12:00:00.250 is 43200.25), not "${seed}".`);
  }
  const passes = given.passes;
  if (passes !== undefined && !(/^\d+$/.test(passes) && Number(passes) <= MAX_PASSES)) {
    throw new Error(
        `?passes= wants a whole number of passes from 0 to ${MAX_PASSES}, ` +
        `not "${passes}".`);
  }
  return {seed, keys: given.keys ?? '', passes};
}

// The console's cells and the legend below them, drawn again whenever the
// console changes: each cell its background, then its glyph in front.
function makePanelPainter(life3d) {
  const glyphs = [];
  for (let b = 0; b < 256; ++b) glyphs.push(life3d.UTF8ToString(life3d._life3d_cp437_glyph(b)));
  const legend = [];
  for (let k = 0; k < life3d._life3d_legend_lines(); ++k) {
    legend.push({
      swatch: life3d._life3d_legend_swatch(k),
      text: life3d.UTF8ToString(life3d._life3d_legend_text(k))
    });
  }
  let shownVersion = -1;

  const paintPanel = () => {
    const version = life3d._life3d_console_version();
    if (version === shownVersion) return;
    shownVersion = version;
    const ctx = panel.getContext('2d');
    ctx.clearRect(0, 0, panel.width, panel.height);
    ctx.font = FONT;
    ctx.textBaseline = 'alphabetic';
    const metrics = ctx.measureText('M');
    // The desktop's cell with DejaVu Sans Mono at 14 pixels is 8 x 17 with the
    // baseline 13 down (the advance of M, the ascent and descent rounded up as
    // the desktop's font library does); a taller fallback font gets room.
    const cellWidth = Math.max(1, Math.round(metrics.width) || 8);
    const ascent = Math.max(13, Math.ceil(metrics.fontBoundingBoxAscent ?? 0));
    const cellHeight = Math.max(17, ascent + Math.ceil(metrics.fontBoundingBoxDescent ?? 0));
    const cell = (x, y, ch, attr) => {
      ctx.fillStyle = TEXT_COLORS[attr >> 4];
      ctx.fillRect(x, y, cellWidth, cellHeight);
      if (ch === 0 || ch === 0x20 || ch === 0xff) return;
      ctx.save();
      ctx.beginPath();
      ctx.rect(x, y, cellWidth, cellHeight);
      ctx.clip();
      ctx.fillStyle = TEXT_COLORS[attr & 0x0f];
      ctx.fillText(glyphs[ch], x, y + ascent);
      ctx.restore();
    };

    const columns = life3d._life3d_console_columns();
    const rows = life3d._life3d_console_rows();
    const cells = life3d.HEAPU8.subarray(life3d._life3d_console_cells());
    for (let row = 0; row < rows; ++row) {
      for (let column = 0; column < columns; ++column) {
        const at = 2 * (row * columns + column);
        cell(
            CONSOLE_X + column * cellWidth, CONSOLE_Y + row * cellHeight, cells[at], cells[at + 1]);
      }
    }
    // Below the cells, apart from them by half a row; a line with a swatch
    // starts with a square of the box color, its text two cells in.
    const top = CONSOLE_Y + rows * cellHeight + Math.floor(cellHeight / 2);
    ctx.fillStyle = TEXT_COLORS[LEGEND_ATTR >> 4];
    ctx.fillRect(CONSOLE_X, top, LEGEND_COLUMNS * cellWidth, legend.length * cellHeight);
    legend.forEach((line, row) => {
      const y = top + row * cellHeight;
      let column = 0;
      if (line.swatch >= 0) {
        const side =
            Math.max(1, Math.min(Math.floor(LEGEND_INDENT * cellWidth * 3 / 4), cellHeight - 4));
        const red = line.swatch & 0xff, green = (line.swatch >> 8) & 0xff;
        const blue = (line.swatch >> 16) & 0xff;
        ctx.fillStyle = `rgb(${red}, ${green}, ${blue})`;
        ctx.fillRect(CONSOLE_X + 1, y + Math.floor((cellHeight - side) / 2), side, side);
        column = LEGEND_INDENT;
      }
      for (const ch of line.text) {
        if (column >= LEGEND_COLUMNS) break;
        cell(CONSOLE_X + column++ * cellWidth, y, ch.charCodeAt(0), LEGEND_ATTR);
      }
    });
  };
  // A canvas given its size again is blank: the next frame draws the panel.
  paintPanel.forget = () => {
    shownVersion = -1;
  };
  return paintPanel;
}

function cString(life3d, text) {
  const bytes = new TextEncoder().encode(text);
  const pointer = life3d._malloc(bytes.length + 1);
  life3d.HEAPU8.set(bytes, pointer);
  life3d.HEAPU8[pointer + bytes.length] = 0;
  return pointer;
}

function runLink(life3d, parameters) {
  const query = [`seed=${parameters.seed ?? String(Number(life3d._life3d_seed().toFixed(3)))}`];
  const complete = life3d._life3d_key_script_complete() === 1;
  const script = life3d.UTF8ToString(life3d._life3d_key_script());
  if (script !== '') query.push(`keys=${encodeURIComponent(script)}`);
  if (parameters.passes !== undefined) query.push(`passes=${parameters.passes}`);
  return complete ? `?${query.join('&')}` : '';
}

async function main() {
  let parameters;
  try {
    parameters = readParameters(location.search);
  } catch (error) {
    setState('failed');
    say(error.message, link('Start without parameters', location.pathname));
    return;
  }
  const life3d = await createLife3D({
    onAbort: (what) => fail(`life3d stopped: ${what}. Reload the page to start again.`),
  });
  const core = {
    cp437Byte: (codePoint) => life3d._life3d_cp437_byte(codePoint),
    letterScanCode: (letter) => life3d._life3d_letter_scan_code(letter),
  };
  const paintPanel = makePanelPainter(life3d);
  const ctx = picture.getContext('2d', {alpha: false});
  let frame = null;  // an ImageData over the program's frame, made again when memory grows

  life3d.onFrame = (pointer, width, height) => {
    const bytes = width * height * 4;
    if (!frame || frame.data.buffer !== life3d.HEAPU8.buffer || frame.data.byteOffset !== pointer) {
      frame =
          new ImageData(new Uint8ClampedArray(life3d.HEAPU8.buffer, pointer, bytes), width, height);
    }
    ctx.putImageData(frame, 0, 0);
    paintPanel();
  };

  window.addEventListener('keydown', (event) => {
    if (page.state !== 'running') return;
    const key = keyTextOf(event, core);
    if (!key) return;
    if (key.take) event.preventDefault();
    life3d._life3d_push_key(key.bytes[0], key.bytes.length > 1 ? key.bytes[1] : -1);
  });

  async function startRun() {
    // The desktop size is the viewport's at the start; later changes scale
    // the picture (style.css), as the desktop's window keeps its size.
    const width = Math.min(MAX_SIDE, Math.max(1, window.innerWidth));
    const height = Math.min(MAX_SIDE, Math.max(1, window.innerHeight));
    for (const canvas of [picture, panel]) {
      canvas.width = width;
      canvas.height = height;
    }
    frame = null;
    paintPanel.forget();
    const keys = cString(life3d, parameters.keys);
    const seed = parameters.seed === undefined ? -1 : Number(parameters.seed);
    const limit = parameters.passes === undefined ? -1 : Number(parameters.passes);
    const started = life3d._life3d_start(seed, width, height, keys, limit);
    life3d._free(keys);
    if (started !== 0) {
      setState('failed');
      say(START_ERRORS[started] ?? `life3d could not start (${started}).`,
          link('Start without parameters', location.pathname));
      return;
    }
    Object.assign(page, {
      width,
      height,
      seed: String(life3d._life3d_seed()),
      link: '',
      passes: () => life3d._life3d_passes()
    });
    statusBox.hidden = true;
    setState('running');
    const end = await life3d.ccall('life3d_run', 'number', [], [], {async: true});
    if (page.state !== 'running') return;
    page.link = runLink(life3d, parameters);
    setState('ended');
    const passes = life3d._life3d_passes();
    const choices = [button('Start again', startRun)];
    if (page.link) choices.push(link('This run as a link', page.link));
    say(end === END_BY_ESC ? `The run has ended: Esc was pressed after ${passes} passes.` :
                             `The run has stopped after ${passes} passes, as ?passes= asked.`,
        ...choices);
  }
  await startRun();
}

main().catch(
    (error) => fail(
        `life3d could not start (${error && error.message ? error.message : error}). ` +
        'Reload the page to try again.'));
