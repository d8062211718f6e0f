// The page's sound: an AudioWorklet that renders a module with the player's
// WebAssembly build (zumbrik_song.wasm) at the audio context's own rate, so
// nothing is resampled. Browsers start sound only after a gesture: start()
// belongs in a key or click handler.
//
// A static host gives no cross-origin isolation, so no SharedArrayBuffer:
// the player runs inside the worklet, and the page only sends it messages.
const playerBytes = fetch('zumbrik_song.wasm').then((response) => {
  if (!response.ok) throw new Error(`zumbrik_song.wasm: ${response.status}`);
  return response.arrayBuffer();
});

export class SongOutput {
  // onMessage receives what the worklet reports: 'opened', 'position', 'error'.
  constructor(onMessage) {
    this.onMessage = onMessage;
    this.context = null;
    this.node = null;
    this.starting = null;
  }

  get started() { return this.starting !== null; }
  get running() { return this.context !== null && this.context.state === 'running'; }

  // Creates the audio context and the worklet at the first call, and asks
  // the browser to let it play; onRunning is called once it does.
  start(onRunning) {
    if (!this.starting) this.starting = this.create(onRunning);
    else if (this.context && this.context.state !== 'running') this.context.resume();
    return this.starting;
  }

  async create(onRunning) {
    const context = new AudioContext({ latencyHint: 'playback' });
    this.context = context;
    // Without a gesture the browser holds the context until the next one.
    context.addEventListener('statechange', () => { if (context.state === 'running' && onRunning) onRunning(); });
    context.resume();
    await context.audioWorklet.addModule('song_processor.js');
    const wasm = await playerBytes;
    this.node = new AudioWorkletNode(context, 'zumbrik-song', {
      numberOfInputs: 0,
      numberOfOutputs: 1,
      outputChannelCount: [2],
      processorOptions: { wasm },
    });
    this.node.port.onmessage = (event) => this.onMessage(event.data);
    this.node.connect(context.destination);
    if (context.state === 'running' && onRunning) onRunning();
  }

  // A message for the worklet, once it is there.
  async post(message, transfer = []) {
    if (!this.starting) return;
    await this.starting;
    this.node.port.postMessage(message, transfer);
  }
}
