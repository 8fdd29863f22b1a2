'use strict';
// One of the page's workers for files: runs after the module's glue in one
// script (a Blob URL, which works from file:// where a worker's own file
// would not). Each job is a span of one file: it is read and hashed through
// quobrix_crc_begin_span/update, and the span's register is posted for the
// page to join with the other spans' (web/api.h). Several workers hash
// spans of one file side by side: a file is read faster so, reading being
// what its time goes on. The page starts its workers before a file comes,
// keeps them for the next, and cancels by ending them.
//
// The page's run worker takes the other kind of job: a command run through
// quobrix_run_streamed, its output collected into a Blob as it is written
// and its one file, if it names one, read here, synchronously, as the
// command asks for it.

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
  if (data.run !== undefined) {
    try {
      await runStreamed(data);
    } catch (e) {
      postMessage({ id: data.id, code: 2, err: 'quobrix: ' + String(e && e.message || e) + '\n', size: 0,
        head: new Uint8Array(0) });
    }
    return;
  }
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

// ---- A streamed run ------------------------------------------------------

// The output's first bytes come back to be shown; the rest only in the Blob.
const SHOWN = 256 << 10;
// The output is copied out of the module's memory into buffers of the
// worker's own, each twice the last up to this size: a buffer a write cost
// as much again in allocations, and a Blob a write (or a Blob every few
// MiB) several times that in the browser's passing of each to its store.
const CHUNK_MOST = 16 << 20;
const CHUNK_FIRST = 64 << 10;

// The command's exit status, standard error, the size of standard output
// and its first bytes; then, once the command has succeeded, a message
// with all of standard output as a Blob, which takes the browser a while
// longer to make: the result is shown meanwhile. Progress of the file read
// on the way.
async function runStreamed(data) {
  const m = await start(data.module);
  const file = data.file;
  const reader = file ? new FileReaderSync() : null;
  let read = 0;
  let unreported = 0;
  m.pageReadWhy = '';
  // A synchronous read, as the command's loop asks for the next block: a
  // worker may block, and the module cannot wait for a promise.
  m.pageRead = (offset, into, size) => {
    if (!file) {
      m.pageReadWhy = 'No such file or directory';
      return -1;
    }
    try {
      const bytes = new Uint8Array(reader.readAsArrayBuffer(file.slice(offset, offset + size)));
      m.HEAPU8.set(bytes, into);
      read += bytes.length;
      unreported += bytes.length;
      if (unreported >= PROGRESS_EVERY) {
        postMessage({ id: data.id, progress: read });
        unreported = 0;
      }
      return bytes.length;
    } catch (e) {
      m.pageReadWhy = String(e && e.message || e);
      return -1;
    }
  };
  const chunks = [];
  let chunk = new Uint8Array(0);
  let used = 0;
  let size = 0;
  m.pageWrite = (at, length) => {
    for (let from = at, end = at + length; from < end;) {
      if (used === chunk.length) {
        chunk = new Uint8Array(Math.min(CHUNK_MOST, Math.max(CHUNK_FIRST, chunk.length * 2)));
        chunks.push(chunk);
        used = 0;
      }
      const count = Math.min(end - from, chunk.length - used);
      chunk.set(m.HEAPU8.subarray(from, from + count), used);
      used += count;
      from += count;
    }
    size += length;
    return true;
  };
  m._quobrix_set_language(data.language === 'zh' ? 1 : 0);
  const args = argumentBytes(data.run);
  const at = m._malloc(Math.max(args.length, 1));
  m.HEAPU8.set(args, at);
  let code;
  try {
    code = m._quobrix_run_streamed(at, args.length, 0, 0);
  } finally {
    m._free(at);
    m.pageRead = m.pageWrite = null;
  }
  if (chunks.length) chunks[chunks.length - 1] = chunk.subarray(0, used);
  const err = m.HEAPU8.slice(m._quobrix_err(), m._quobrix_err() + m._quobrix_err_size());
  const head = new Uint8Array(Math.min(SHOWN, size));
  for (let i = 0, filled = 0; filled < head.length; ++i) {
    const part = chunks[i].subarray(0, head.length - filled);
    head.set(part, filled);
    filled += part.length;
  }
  // The bytes too, for whoever needs them exactly (the faces' corpus).
  postMessage({ id: data.id, code, err: utf8.decode(err), errBytes: err, size, head });
  if (code === 0) postMessage({ id: data.id, blob: new Blob(chunks) });
}

// The command's words as the module takes them: each ended by a NUL.
function argumentBytes(words) {
  const parts = words.map((w) => encoder.encode(w + '\0'));
  const all = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
  let at = 0;
  for (const p of parts) {
    all.set(p, at);
    at += p.length;
  }
  return all;
}
