// The game's 80 × 30 screen in xterm.js: the console's sixteen colours,
// fitted and scaled to the window, read back cell by cell for tests and
// screen readers.
import { Terminal } from './xterm.mjs';

export const COLUMNS = 80;
export const ROWS = 30;

// The console's palette, in ANSI's order (the presenter maps one to the other).
const CONSOLE_COLOURS = {
  black: '#000000', red: '#800000', green: '#008000', yellow: '#808000',
  blue: '#000080', magenta: '#800080', cyan: '#008080', white: '#c0c0c0',
  brightBlack: '#808080', brightRed: '#ff0000', brightGreen: '#00ff00', brightYellow: '#ffff00',
  brightBlue: '#0000ff', brightMagenta: '#ff00ff', brightCyan: '#00ffff', brightWhite: '#ffffff',
  background: '#000000', foreground: '#c0c0c0',
};

// No wrap at the last column (the presenter counts on it) and no cursor.
const TERMINAL_SETUP = '\x1b[?7l\x1b[?25l';

export class TerminalView {
  constructor(element) {
    this.element = element;
    this.terminal = new Terminal({
      cols: COLUMNS,
      rows: ROWS,
      scrollback: 0,
      disableStdin: true,
      cursorBlink: false,
      fontFamily: '"DejaVu Sans Mono", "Cascadia Mono", Consolas, "Liberation Mono", monospace',
      fontSize: 16,
      lineHeight: 1,
      theme: CONSOLE_COLOURS,
    });
    this.terminal.open(element);
    // The page reads the keys itself; the terminal only shows.
    this.terminal.attachCustomKeyEventHandler(() => false);
    this.terminal.onTitleChange((title) => { document.title = title; });
    this.terminal.write(TERMINAL_SETUP);
    this.fit();
    window.addEventListener('resize', () => this.fit());
  }

  // Bytes from the game's presenter; `done` once the terminal has taken them in.
  write(bytes, done) {
    this.terminal.write(bytes, done);
  }

  // The largest font at which the whole screen fits the space it has.
  fit() {
    const screen = this.element.querySelector('.xterm-screen');
    const box = this.element.parentElement.getBoundingClientRect();
    if (!screen || screen.offsetWidth === 0 || screen.offsetHeight === 0) return;
    const reserved = 64;  // the lines under the screen
    const scale = Math.min(box.width / screen.offsetWidth, (window.innerHeight - reserved) / screen.offsetHeight);
    const size = Math.max(8, Math.floor(this.terminal.options.fontSize * scale));
    if (size !== this.terminal.options.fontSize) this.terminal.options.fontSize = size;
  }

  // The screen as shown: ROWS strings of COLUMNS cells.
  screen() {
    const buffer = this.terminal.buffer.active;
    const rows = [];
    for (let row = 0; row < ROWS; ++row) {
      const line = buffer.getLine(buffer.viewportY + row);
      rows.push((line ? line.translateToString(false, 0, COLUMNS) : '').padEnd(COLUMNS, ' '));
    }
    return rows;
  }
}
