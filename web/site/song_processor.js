// The audio worklet: the player's offline song API (zumbrik_song.wasm, built
// without JavaScript glue) renders each quantum of 128 frames at the
// context's sample rate.
//
// Messages in:  {type: 'open', bytes, repeat, paused}, {type: 'paused', value},
//               {type: 'seek', seconds}, {type: 'repeat', count}, {type: 'close'}
// Messages out: {type: 'opened', info}, {type: 'error', text},
//               {type: 'position', frames, seconds, order, row, ended}
const ERRNO_BADF = 8;
const ERRNO_NOENT = 44;

// What the player's C library asks of its host. It reads no file and prints
// nothing here: every call reports that there is nothing to have.
function hostImports(memory) {
  const refuse = () => ERRNO_BADF;
  return {
    env: {
      emscripten_notify_memory_growth: () => {},
      __syscall_stat64: () => -ERRNO_NOENT,
    },
    wasi_snapshot_preview1: {
      proc_exit: (code) => { throw new Error(`player stopped (${code})`); },
      fd_write: refuse,
      fd_read: refuse,
      fd_close: refuse,
      fd_seek: refuse,
      environ_sizes_get: (count, size) => {
        const view = new DataView(memory().buffer);
        view.setUint32(count, 0, true);
        view.setUint32(size, 0, true);
        return 0;
      },
      environ_get: () => 0,
    },
  };
}

// A C string's bytes (module names are the file's bytes, in no set encoding).
function cBytes(memory, pointer) {
  if (!pointer) return new Uint8Array(0);
  const heap = new Uint8Array(memory.buffer);
  let end = pointer;
  while (heap[end] !== 0) ++end;
  return heap.slice(pointer, end);
}

class SongProcessor extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.player = null;
    this.pending = [];
    this.song = 0;
    this.paused = false;
    this.ended = false;
    this.frames = 0;
    this.reported = 0;
    // About twenty reports a second while the song plays.
    this.reportEvery = Math.round(sampleRate / 20);
    this.port.onmessage = (event) => this.receive(event.data);
    let exports = null;
    WebAssembly.instantiate(options.processorOptions.wasm, hostImports(() => exports.memory)).then(({ instance }) => {
      exports = instance.exports;
      exports._initialize();
      this.player = exports;
      this.buffer = exports.malloc(128 * 2 * 4);
      const waiting = this.pending;
      this.pending = [];
      for (const message of waiting) this.receive(message);
    }, (error) => this.port.postMessage({ type: 'error', text: String(error) }));
  }

  receive(message) {
    if (!this.player) {
      this.pending.push(message);
      return;
    }
    const p = this.player;
    switch (message.type) {
      case 'open': this.open(message); break;
      case 'paused':
        this.paused = message.value;
        this.report();
        break;
      case 'seek':
        if (this.song) {
          p.zumbrik_song_seek(this.song, message.seconds);
          this.ended = false;
          this.report();
        }
        break;
      case 'repeat':
        if (this.song) p.zumbrik_song_set_repeat(this.song, message.count);
        break;
      case 'close': this.close(); break;
    }
  }

  open({ bytes, repeat, paused }) {
    const p = this.player;
    this.close();
    const data = new Uint8Array(bytes);
    const block = p.malloc(Math.max(data.length, 1) + 4);
    new Uint8Array(p.memory.buffer).set(data, block + 4);
    const song = p.zumbrik_song_open(block + 4, data.length, block);
    const error = new Int32Array(p.memory.buffer, block, 1)[0];
    p.free(block);
    if (!song) {
      this.port.postMessage({ type: 'error', code: error, text: cBytes(p.memory, p.zumbrik_error_text(error)) });
      return;
    }
    this.song = song;
    p.zumbrik_song_set_rate(song, sampleRate);
    p.zumbrik_song_set_repeat(song, repeat);
    this.paused = paused;
    this.ended = false;
    const instruments = [];
    for (let i = 0; i < p.zumbrik_song_instruments(song); ++i) instruments.push(cBytes(p.memory, p.zumbrik_song_instrument_name(song, i)));
    this.port.postMessage({
      type: 'opened',
      info: {
        title: cBytes(p.memory, p.zumbrik_song_title(song)),
        tracker: cBytes(p.memory, p.zumbrik_song_tracker(song)),
        format: cBytes(p.memory, p.zumbrik_song_format(song)),
        channels: p.zumbrik_song_channels(song),
        orders: p.zumbrik_song_orders(song),
        duration: p.zumbrik_song_duration(song),
        warnings: p.zumbrik_song_warnings(song),
        instruments,
        sampleRate,
      },
    });
    this.report();
  }

  close() {
    if (this.song) this.player.zumbrik_song_close(this.song);
    this.song = 0;
    this.report();
  }

  report() {
    const p = this.player;
    this.reported = this.frames;
    this.port.postMessage({
      type: 'position',
      frames: this.frames,
      seconds: this.song ? p.zumbrik_song_position(this.song) : 0,
      order: this.song ? p.zumbrik_song_order(this.song) : 0,
      row: this.song ? p.zumbrik_song_row(this.song) : 0,
      ended: this.ended,
      paused: this.paused,
    });
  }

  process(inputs, outputs) {
    const channels = outputs[0];
    if (!this.song || this.paused || this.ended || channels.length === 0) return true;
    const count = channels[0].length;
    let done = 0;
    try {
      done = this.player.zumbrik_song_render_float(this.song, this.buffer, count);
    } catch (error) {
      // The player stopped inside (it ran out of memory): this song is over,
      // and the worklet stays for the next.
      this.song = 0;
      this.port.postMessage({ type: 'error', text: String(error) });
      return true;
    }
    // The view is made again only when the memory has grown (a song opened).
    if (!this.samples || this.samples.buffer !== this.player.memory.buffer || this.samples.length !== count * 2)
      this.samples = new Float32Array(this.player.memory.buffer, this.buffer, count * 2);
    const samples = this.samples;
    const left = channels[0];
    const right = channels.length > 1 ? channels[1] : null;
    for (let i = 0; i < done; ++i) {
      left[i] = samples[2 * i];
      if (right) right[i] = samples[2 * i + 1];
    }
    this.frames += done;
    if (done < count) this.ended = true;
    if (this.ended || this.frames - this.reported >= this.reportEvery) this.report();
    return true;
  }
}

registerProcessor('zumbrik-song', SongProcessor);
