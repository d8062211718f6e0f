// Keys as the game reads them: Windows' virtual-key codes, as in the terminal.
export const VK_RETURN = 0x0d;
export const VK_ESCAPE = 0x1b;
// A key the game has no use for: it still takes a pass's one key.
export const VK_UNUSED = 0xff;

// By the key's place on the keyboard, so F, M and P work in any layout.
const BY_CODE = {
  ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
  Enter: VK_RETURN, NumpadEnter: VK_RETURN, Escape: VK_ESCAPE,
  KeyF: 0x46, KeyM: 0x4d, KeyP: 0x50,
};

// The code of a key press, or 0 for one the page leaves to the browser
// (shortcuts with Ctrl, Alt or Meta, and keys that type nothing, like Shift).
export function virtualKey(event) {
  if (event.ctrlKey || event.altKey || event.metaKey) return 0;
  const code = BY_CODE[event.code];
  if (code !== undefined) return code;
  return event.key.length === 1 ? VK_UNUSED : 0;
}
