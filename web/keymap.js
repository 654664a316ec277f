// Key presses on the page as key texts, the same texts the desktop window
// gives for the same keys: characters as typed (in code page 437), Esc as
// code 27, other keys as code 0 and the PC scan code. A browser sends one
// keydown event per key, auto-repeat included, with the character in
// event.key, so one event gives at most one key text.

// PC keyboard scan codes (set 1) of the keys that give code 0 and a scan
// code, by the key's place (event.code).
// clang-format off
const NAVIGATION_KEYS = {
  F1: 59, F2: 60, F3: 61, F4: 62, F5: 63, F6: 64, F7: 65, F8: 66, F9: 67, F10: 68,
  F11: 87, F12: 88,
  Home: 71, ArrowUp: 72, PageUp: 73, ArrowLeft: 75, ArrowRight: 77,
  End: 79, ArrowDown: 80, PageDown: 81, Insert: 82, Delete: 83,
};
// With Num Lock off the keypad's digits are the navigation keys (event.key
// names the key); with it on they type digits, which are characters.
const KEYPAD_KEYS = {
  Numpad7: 71, Numpad8: 72, Numpad9: 73, Numpad4: 75, Numpad5: 76, Numpad6: 77,
  Numpad1: 79, Numpad2: 80, Numpad3: 81, Numpad0: 82, NumpadDecimal: 83,
};
// clang-format on
// Control keys that type no character of their own, by event.key.
const CONTROL_KEYS = {
  Escape: 27,
  Enter: 13,
  Tab: 9,
  Backspace: 8
};

function isCharacter(key) {
  return typeof key === 'string' && key.length > 0 && [...key].length === 1;
}

// The key text of a keydown event, or null for none (a modifier alone, a
// dead key, a character outside code page 437, a key while an input method
// composes). `take` says the page keeps the key from the browser: function
// keys and Ctrl, Alt or Meta combinations stay the browser's shortcuts as
// well. `core` gives code page 437 (cp437Byte) and the letter keys' scan
// codes (letterScanCode), from the program itself.
export function keyTextOf(event, core) {
  if (event.isComposing) return null;
  const altGraph =
      typeof event.getModifierState === 'function' && event.getModifierState('AltGraph');
  const shortcut = (event.ctrlKey || event.altKey || event.metaKey) && !altGraph;
  const text = (bytes) => ({bytes, take: !shortcut});
  if (event.code in NAVIGATION_KEYS) {
    return {bytes: [0, NAVIGATION_KEYS[event.code]], take: !shortcut && !/^F\d/.test(event.code)};
  }
  if (event.code in KEYPAD_KEYS && !isCharacter(event.key))
    return text([0, KEYPAD_KEYS[event.code]]);
  if (event.key in CONTROL_KEYS) return text([CONTROL_KEYS[event.key]]);
  // Alt picks the key by its place; AltGr is no Alt: its characters are typed.
  if (event.altKey && !altGraph) {
    const letter = /^Key([A-Z])$/.exec(event.code);
    if (letter) return text([0, core.letterScanCode(letter[1].toLowerCase().charCodeAt(0))]);
  }
  // Ctrl takes the letter the layout puts on the key.
  if (event.ctrlKey && !altGraph) {
    return /^[a-z]$/i.test(event.key) ? text([event.key.toLowerCase().charCodeAt(0) - 96]) : null;
  }
  if (event.metaKey || !isCharacter(event.key)) return null;
  const codePoint = event.key.codePointAt(0);
  // Control codes come from the keys above, never as characters.
  if (codePoint < 0x20 || codePoint === 0x7f) return null;
  const byte = core.cp437Byte(codePoint);
  return byte > 0 ? text([byte]) : null;
}
