// The module player's page: a module chosen or dropped here is read by the
// page and played in the audio worklet; nothing leaves the computer.
import { SongOutput } from './song_output.js';

const $ = (id) => document.getElementById(id);
const fileInput = $('file');
const drop = $('drop');
const seek = $('seek');
const playButton = $('play');
const loop = $('loop');

// Module names are the file's bytes: UTF-8 when they read as it, else each byte a character.
const utf8 = new TextDecoder('utf-8', { fatal: true });
const latin = new TextDecoder('windows-1252');
function text(bytes) {
  try { return utf8.decode(bytes); } catch { return latin.decode(bytes); }
}

function clock(seconds) {
  const tenths = Math.floor(Math.max(0, seconds) * 10);
  const minutes = Math.floor(tenths / 600);
  const rest = tenths % 600;
  return `${minutes}:${String(Math.floor(rest / 10)).padStart(2, '0')}.${rest % 10}`;
}

const state = {
  title: '', format: '', duration: 0, seconds: 0, order: 0, row: 0,
  frames: 0, playing: false, ended: false, instruments: [], problem: '',
};
let dragging = false;

const output = new SongOutput((message) => {
  if (message.type === 'opened') showSong(message.info);
  else if (message.type === 'position') showPosition(message);
  else if (message.type === 'error') showProblem(typeof message.text === 'string' ? message.text : text(message.text));
});

function showSong(info) {
  state.title = text(info.title);
  state.format = text(info.format);
  state.duration = info.duration;
  state.instruments = info.instruments.map(text);
  state.playing = true;
  state.ended = false;
  $('title').textContent = state.title || '(untitled)';
  const tracker = text(info.tracker);
  $('details').textContent = `${state.format}${tracker ? ', ' + tracker : ''} · ${info.channels} channels`
    + ` · ${info.orders} orders · ${info.sampleRate} Hz`;
  $('duration').textContent = clock(info.duration);
  seek.max = String(info.duration);
  const list = $('instruments');
  list.replaceChildren(...state.instruments.map((name) => {
    const item = document.createElement('li');
    item.textContent = name;
    return item;
  }));
  playButton.textContent = 'Pause';
  $('song').hidden = false;
  $('problem').hidden = true;
}

function showPosition(message) {
  state.frames = message.frames;
  state.seconds = message.seconds;
  state.order = message.order;
  state.row = message.row;
  if (message.ended && !state.ended) {
    state.ended = true;
    state.playing = false;
    playButton.textContent = 'Play';
  }
  $('time').textContent = clock(message.seconds);
  $('order').textContent = message.order;
  $('row').textContent = message.row;
  if (!dragging) seek.value = String(Math.min(message.seconds, state.duration));
}

function showProblem(problem) {
  state.problem = problem;
  $('problem').textContent = `The file cannot be played: ${problem}`;
  $('problem').hidden = false;
}

// A dropped file is no gesture: the sound waits for the next click or key.
function startSound() {
  output.start(() => { $('sound').hidden = true; }).then(() => { $('sound').hidden = output.running; });
}
document.addEventListener('pointerdown', () => { if (output.started) startSound(); });
document.addEventListener('keydown', () => { if (output.started) startSound(); });

async function play(file) {
  if (!file) return;
  startSound();
  const bytes = await file.arrayBuffer();
  output.post({ type: 'open', bytes, repeat: loop.checked ? -1 : 0, paused: false }, [bytes]);
}

fileInput.addEventListener('change', () => play(fileInput.files[0]));
drop.addEventListener('dragover', (event) => {
  event.preventDefault();
  drop.classList.add('over');
});
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
document.addEventListener('dragover', (event) => event.preventDefault());
document.addEventListener('drop', (event) => {
  event.preventDefault();
  drop.classList.remove('over');
  play(event.dataTransfer.files[0]);
});

playButton.addEventListener('click', () => {
  startSound();
  if (state.ended) {
    // A song that ended plays again from its start.
    output.post({ type: 'seek', seconds: 0 });
    state.ended = false;
    state.playing = true;
  } else {
    state.playing = !state.playing;
  }
  output.post({ type: 'paused', value: !state.playing });
  playButton.textContent = state.playing ? 'Pause' : 'Play';
});

loop.addEventListener('change', () => output.post({ type: 'repeat', count: loop.checked ? -1 : 0 }));

seek.addEventListener('input', () => {
  dragging = true;
  $('time').textContent = clock(Number(seek.value));
});
seek.addEventListener('change', () => {
  dragging = false;
  output.post({ type: 'seek', seconds: Number(seek.value) });
});

// For tests.
window.zumbrikPlayer = { state: () => ({ ...state, audioRunning: output.running }) };
