// The game's page: the game (zumbrik_game.wasm) stepped on a timer, its
// screen in xterm.js, its keys from the page, its music in the audio worklet.
import { TerminalView } from './terminal_view.js';
import { virtualKey, VK_RETURN } from './game_keys.js';
import { SongOutput } from './song_output.js';

const view = new TerminalView(document.getElementById('screen'));
const soundNote = document.getElementById('sound');
const sessionNote = document.getElementById('session');
const theme = fetch('theme.xm').then((response) => response.arrayBuffer());

let audioFrames = 0;
let firstScreenMs = null;
const output = new SongOutput((message) => {
  if (message.type === 'position') audioFrames = message.frames;
});

const game = await ZumbrikGame({
  onTerminalBytes(bytes) {
    view.write(bytes, firstScreenMs === null ? () => requestAnimationFrame(() => {
      if (firstScreenMs === null) firstScreenMs = performance.now();
    }) : undefined);
  },
});

let running = false;
let timer = 0;
let musicPaused = false;
// Time spent in the game's steps (its rules, drawing and presenter), to
// compare with the terminal program's.
let stepMs = 0;

// One step of the game; the timer brings the next when the step's wait is over.
function step() {
  timer = 0;
  const started = performance.now();
  const wait = game._zumbrik_game_step();
  stepMs += performance.now() - started;
  followMusic();
  if (wait < 0) {
    endSession();
    return;
  }
  timer = setTimeout(step, wait);
}

// M and the pause screen set the game's music flag: the worklet follows it.
function followMusic() {
  const paused = game._zumbrik_game_music_paused() !== 0;
  if (paused === musicPaused) return;
  musicPaused = paused;
  if (output.started) output.post({ type: 'paused', value: paused });
}

// The theme from its start, as a new run of the program starts it.
async function playTheme() {
  const bytes = (await theme).slice(0);
  if (running) output.post({ type: 'open', bytes, repeat: -1, paused: musicPaused }, [bytes]);
}

function startSession() {
  sessionNote.hidden = true;
  game._zumbrik_game_start();
  running = true;
  musicPaused = game._zumbrik_game_music_paused() !== 0;
  if (output.started) playTheme();
  step();
}

// Escape ends the session as it ends the program in the terminal: the game is
// recorded, its last screen stays, and Enter starts a new one.
function endSession() {
  running = false;
  if (output.started) output.post({ type: 'close' });
  const notes = game.UTF8ToString(game._zumbrik_game_notes()).trim();
  sessionNote.textContent = (notes ? notes + '\n' : '') + 'Игра окончена. Enter — новая игра.';
  sessionNote.hidden = false;
}

window.addEventListener('keydown', (event) => {
  const key = virtualKey(event);
  if (key === 0) return;
  event.preventDefault();
  if (!output.started) {
    output.start(() => { soundNote.hidden = true; });
    if (running) playTheme();
  }
  if (!running) {
    if (key === VK_RETURN && !event.repeat) startSession();
    return;
  }
  game._zumbrik_game_key(key);
  // After game over the game waits for a key: it need not wait out its timer.
  if (game._zumbrik_game_waits_for_key() !== 0) {
    clearTimeout(timer);
    step();
  }
});

// For tests and screen readers.
window.zumbrik = {
  screen: () => view.screen(),
  audioFrames: () => audioFrames,
  audioRunning: () => output.running,
  firstScreenMs: () => firstScreenMs,
  stepMs: () => stepMs,
  sessionRunning: () => running,
};

startSession();
