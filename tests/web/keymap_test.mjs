// The page's keymap: keydown events as the key texts the desktop window
// gives for the same keys (the cases of tests/desktop/keymap_test.cpp, as a
// browser reports them), with code page 437 and the letters' scan codes
// from the program itself.
// Usage: node keymap_test.mjs SITE_DIR
import fs from 'node:fs';
import path from 'node:path';

const site = process.argv[2];
if (!site) {
  console.error('usage: node keymap_test.mjs SITE_DIR');
  process.exit(2);
}
const {keyTextOf} = await import(path.resolve(site, 'keymap.js'));
const {default: createLife3D} = await import(path.resolve(site, 'life3d.js'));
const life3d = await createLife3D({wasmBinary: fs.readFileSync(path.join(site, 'life3d.wasm'))});
const core = {
  cp437Byte: (codePoint) => life3d._life3d_cp437_byte(codePoint),
  letterScanCode: (letter) => life3d._life3d_letter_scan_code(letter),
};

// A keydown event: event.key, event.code and the modifiers held
// ('AltGraph' is a modifier state, not a flag).
function press(key, code, ...held) {
  return {
    key,
    code,
    isComposing: held.includes('composing'),
    altKey: held.includes('alt'),
    ctrlKey: held.includes('ctrl'),
    metaKey: held.includes('meta'),
    shiftKey: held.includes('shift'),
    getModifierState: (name) => held.includes(name),
  };
}

const browsers = 'browser';  // take: false, the key stays the browser's too
const CASES = [
  ['EscIsCode27', press('Escape', 'Escape'), [27]],
  ['EscWithCapsLockIsCode27', press('Escape', 'Escape', 'CapsLock'), [27]],
  ['Up', press('ArrowUp', 'ArrowUp'), [0, 72]],
  ['Down', press('ArrowDown', 'ArrowDown'), [0, 80]],
  ['Left', press('ArrowLeft', 'ArrowLeft'), [0, 75]],
  ['Right', press('ArrowRight', 'ArrowRight'), [0, 77]],
  ['Home', press('Home', 'Home'), [0, 71]],
  ['End', press('End', 'End'), [0, 79]],
  ['PageUp', press('PageUp', 'PageUp'), [0, 73]],
  ['PageDown', press('PageDown', 'PageDown'), [0, 81]],
  ['Insert', press('Insert', 'Insert'), [0, 82]],
  ['Delete', press('Delete', 'Delete'), [0, 83]],
  ['F1', press('F1', 'F1'), [0, 59], browsers],
  ['F10', press('F10', 'F10'), [0, 68], browsers],
  ['F11', press('F11', 'F11'), [0, 87], browsers],
  ['F12', press('F12', 'F12'), [0, 88], browsers],
  ['ShiftedArrowKeepsItsCode', press('ArrowUp', 'ArrowUp', 'shift'), [0, 72]],
  ['AltQ', press('q', 'KeyQ', 'alt'), [0, 16], browsers],
  ['AltM', press('m', 'KeyM', 'alt'), [0, 0x32], browsers],
  ['AltZ', press('z', 'KeyZ', 'alt'), [0, 0x2c], browsers],
  ['AltPicksTheKeyByItsPlace', press('a', 'KeyQ', 'alt'), [0, 16], browsers],
  ['AltWinsOverCtrl', press('p', 'KeyP', 'alt', 'ctrl'), [0, 0x19], browsers],
  ['AltDigitIsTypedAsText', press('1', 'Digit1', 'alt'), [0x31], browsers],
  ['AltGrIsNoAlt', press('@', 'KeyQ', 'AltGraph'), [0x40]],
  ['AltGrReportedAsCtrlAltIsNoAlt', press('@', 'KeyQ', 'ctrl', 'alt', 'AltGraph'), [0x40]],
  ['CtrlC', press('c', 'KeyC', 'ctrl'), [3], browsers],
  ['CtrlA', press('a', 'KeyA', 'ctrl'), [1], browsers],
  ['CtrlZ', press('z', 'KeyZ', 'ctrl'), [26], browsers],
  ['CtrlShiftC', press('C', 'KeyC', 'ctrl', 'shift'), [3], browsers],
  ['CtrlTakesTheLayoutsLetter', press('a', 'KeyQ', 'ctrl'), [1], browsers],
  ['CtrlDigitIsNoKey', press('1', 'Digit1', 'ctrl'), null],
  ['Enter', press('Enter', 'Enter'), [13]],
  ['KeypadEnter', press('Enter', 'NumpadEnter'), [13]],
  ['Tab', press('Tab', 'Tab'), [9]],
  ['Backspace', press('Backspace', 'Backspace'), [8]],
  ['KeypadEightWithoutNumLockIsUp', press('ArrowUp', 'Numpad8'), [0, 72]],
  ['KeypadFiveWithoutNumLock', press('Clear', 'Numpad5'), [0, 76]],
  ['KeypadPointWithoutNumLockIsDelete', press('Delete', 'NumpadDecimal'), [0, 83]],
  ['KeypadEightWithNumLockIsADigit', press('8', 'Numpad8', 'NumLock'), [0x38]],
  ['PlusOnTheKeypad', press('+', 'NumpadAdd', 'NumLock'), [0x2b]],
  ['Letter', press('x', 'KeyX'), [0x78]],
  ['ShiftedLetter', press('X', 'KeyX', 'shift'), [0x58]],
  ['Blank', press(' ', 'Space'), [0x20]],
  ['AccentedLetterInCodePage437', press('é', 'Digit2'), [0x82]],
  ['PoundSignInCodePage437', press('£', 'Digit3', 'shift'), [0x9c]],
  ['CharacterOutsideTheCodePage', press('€', 'KeyE', 'AltGraph'), null],
  ['DeadKey', press('Dead', 'BracketLeft'), null],
  ['WhileComposing', press('a', 'KeyA', 'composing'), null],
  ['UnidentifiedKey', press('Unidentified', ''), null],
  ['MetaLetterIsTheSystems', press('x', 'KeyX', 'meta'), null],
  ['ShiftAlone', press('Shift', 'ShiftLeft', 'shift'), null],
  ['CtrlAlone', press('Control', 'ControlRight', 'ctrl'), null],
  ['AltAlone', press('Alt', 'AltLeft', 'alt'), null],
  ['CapsLockAlone', press('CapsLock', 'CapsLock', 'CapsLock'), null],
  ['NumLockAlone', press('NumLock', 'NumLock'), null],
  ['ScrollLockAlone', press('ScrollLock', 'ScrollLock'), null],
  ['MetaAlone', press('Meta', 'MetaLeft', 'meta'), null],
];

let failures = 0;
for (const [name, event, bytes, owner] of CASES) {
  const got = keyTextOf(event, core);
  const want = bytes && {bytes, take: owner !== browsers};
  if (JSON.stringify(got) !== JSON.stringify(want)) {
    console.log(`FAILED ${name}: ${JSON.stringify(got)}, wanted ${JSON.stringify(want)}`);
    ++failures;
  }
}
console.log(`${CASES.length} keys, ${failures} failures`);
process.exit(failures ? 1 : 0);
