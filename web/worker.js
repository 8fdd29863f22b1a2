'use strict';
// One of the page's workers for files: runs after the module's glue in one
// script (a Blob URL, which works from file:// where a worker's own file
// would not). Each job is a span of one file: it is read and hashed through
// quobrix_crc_begin_span/update, and the span's register is posted for the
// page to join with the other spans' (web/api.h). Several workers hash
// spans of one file side by side: a file is read faster so, reading being
// what its time goes on. The page starts its workers before a file comes,
// keeps them for the next, and cancels by ending them.

// The most the module takes at once: its buffer for bytes.
const PIECE = 2 << 20;
// A byte stream is read into one buffer of the worker's own; the browser
// hands over what it has, rarely more than this, and a buffer of 16 MiB read
// no faster (bench/page_bench.py).
const STREAM_BUFFER = 2 << 20;
// Where a file gives no byte stream: blocks as File.slice().arrayBuffer()
// reads them, which read faster at 16 MiB than at 4 or 8.
const BLOCK = 16 << 20;
// Progress goes to the page after this many bytes, not after each read.
const PROGRESS_EVERY = 16 << 20;

let started = null;
function start(module) {
  started ??= QuobrixModule({
    instantiateWasm(imports, done) {
      WebAssembly.instantiate(module, imports).then((instance) => done(instance, module));
      return {};
    },
  });
  return started;
}

// Calls `take` with the file's bytes from `from` to `end`, in order, a run
// at a time; resolves to undefined, or to why reading failed.
//
// Where the browser offers it, a byte stream is read into one buffer, over
// and over, and each run hashed as it comes: memory stays that buffer
// whatever the file's size, and the browser goes on passing bytes while the
// last ones are hashed, where hashing a whole block at a time left it
// waiting (a 256 MiB file took a fifth to a third less time so). A buffer a
// block, as File.slice().arrayBuffer() gives, left the collector hundreds of
// MiB to find with four workers reading; it is the way only where there is
// no byte stream, the next block read while this one is hashed.
async function eachRun(file, from, end, take) {
  let reader = null;
  try {
    reader = file.slice(from, end).stream().getReader({ mode: 'byob' });
  } catch (e) {
    reader = null;
  }
  try {
    if (reader) {
      let buffer = new ArrayBuffer(STREAM_BUFFER);
      for (;;) {
        const read = await reader.read(new Uint8Array(buffer));
        if (read.done) return undefined;
        take(read.value);
        buffer = read.value.buffer;
      }
    }
    const read = (offset) => file.slice(offset, Math.min(offset + BLOCK, end)).arrayBuffer();
    let next = from < end ? read(from) : null;
    for (let offset = from; offset < end; offset += BLOCK) {
      const bytes = new Uint8Array(await next);
      next = offset + BLOCK < end ? read(offset + BLOCK) : null;
      take(bytes);
    }
    return undefined;
  } catch (e) {
    return e.message;
  }
}

const encoder = new TextEncoder();
const utf8 = new TextDecoder('utf-8');

// A megabyte hashed as the worker starts, a run at a time: the engine
// compiles a function first with its quick compiler, and again, optimised,
// once it has run a while. The optimised code then awaits the file; without
// it, the first megabytes of each span ran in the quick code, at about two
// thirds of the speed. (The optimised code is the module's, shared by the
// page's workers.)
const WARM_RUN = 128 << 10;
const WARM_RUNS = 8;
function warm(m) {
  begin(m, 'CRC-32/ISO-HDLC');
  const at = m._malloc(WARM_RUN);
  m.HEAPU8.fill(0, at, at + WARM_RUN);
  for (let i = 0; i < WARM_RUNS; ++i) m._quobrix_crc_update(at, WARM_RUN);
  m._free(at);
}

// Whatever goes wrong is posted as the span's failure: a promise rejected in
// a worker is no error event for the page, which would wait for the span
// for ever.
onmessage = async ({ data }) => {
  // The first message, as the page starts the worker: the module's
  // instance is made then, ahead of any file.
  if (data.file === undefined) {
    // A module that cannot start is reported by the first span instead.
    start(data.module).then(warm, () => {});
    return;
  }
  try {
    postMessage(await hashSpan(data));
  } catch (e) {
    postMessage({ failed: String(e && e.message || e) });
  }
};

// The module's CRC begun with the model `name`, in the catalogue's notation.
// A catalogued name, or the model the page has begun already: it cannot
// fail here.
function begin(m, name) {
  const model = encoder.encode(name);
  const at = m._malloc(Math.max(model.length, 1));
  m.HEAPU8.set(model, at);
  m._quobrix_crc_begin(at, model.length, 0);
  m._free(at);
}

// The span's register, or why it could not be read; progress on the way.
async function hashSpan(data) {
  const m = await start(data.module);
  begin(m, data.model);
  m._quobrix_crc_begin_span();
  const piece = m._malloc(PIECE);
  let unreported = 0;
  try {
    const failed = await eachRun(data.file, data.start, data.end, (bytes) => {
      for (let i = 0; i < bytes.length; i += PIECE) {
        const run = bytes.subarray(i, i + PIECE);
        // HEAPU8 anew each time: the heap may have grown since the piece
        // was allocated.
        m.HEAPU8.set(run, piece);
        m._quobrix_crc_update(piece, run.length);
      }
      unreported += bytes.length;
      if (unreported >= PROGRESS_EVERY) {
        postMessage({ progress: unreported });
        unreported = 0;
      }
    });
    if (failed !== undefined) return { failed };
  } finally {
    m._free(piece);
  }
  if (unreported > 0) postMessage({ progress: unreported });
  m._quobrix_crc_register();
  const out = m._quobrix_out();
  return { register: utf8.decode(m.HEAPU8.slice(out, out + m._quobrix_out_size())) };
}
