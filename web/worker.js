'use strict';
// One of the page's workers for files: runs after the module's glue in one
// script (a Blob URL, which works from file:// where a worker's own file
// would not). Each job is a span of one file: it is read block by block and
// hashed through quobrix_crc_begin_span/update, and the span's register is
// posted for the page to join with the other spans' (web/api.h). Several
// workers hash spans of one file side by side: a file is read faster so,
// reading being what its time goes on. Memory stays three blocks (one read,
// one hashed, one in the module) whatever the file's size; blocks of 16 MiB
// read faster than blocks of 4 or 8 (bench/page_bench.py). The page cancels
// by ending the workers.
const BLOCK = 16 << 20;

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

// Calls `take` with each block of the file's bytes from `from` to `end`, in
// order; resolves to undefined, or to why reading failed. The blocks are read
// into one buffer of the worker's own, over and over, where the browser
// offers it (a byte stream read into a buffer given): a buffer a block, as
// File.slice().arrayBuffer() gives, leaves the collector hundreds of MiB to
// find with four workers reading. Else a block at a time, the next one read
// while this one is hashed.
async function eachBlock(file, from, end, take) {
  let reader = null;
  try {
    reader = file.slice(from, end).stream().getReader({ mode: 'byob' });
  } catch (e) {
    reader = null;
  }
  try {
    if (reader) {
      let buffer = new ArrayBuffer(BLOCK);
      for (let done = false; !done;) {
        let filled = 0;
        while (filled < BLOCK) {
          const read = await reader.read(new Uint8Array(buffer, filled));
          buffer = read.value.buffer;
          filled += read.value.byteLength;
          if (read.done) {
            done = true;
            break;
          }
        }
        if (filled > 0) take(new Uint8Array(buffer, 0, filled));
      }
      return undefined;
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

onmessage = async ({ data }) => {
  const m = await start(data.module);
  const model = encoder.encode(data.model);
  const at = m._malloc(Math.max(model.length, 1));
  m.HEAPU8.set(model, at);
  // The page has begun this model already: it cannot fail here.
  m._quobrix_crc_begin(at, model.length, 0);
  m._free(at);
  m._quobrix_crc_begin_span();
  const block = m._malloc(BLOCK);
  try {
    const failed = await eachBlock(data.file, data.start, data.end, (bytes) => {
      // HEAPU8 anew each time: the heap may have grown since the block was
      // allocated.
      m.HEAPU8.set(bytes, block);
      m._quobrix_crc_update(block, bytes.length);
      postMessage({ progress: bytes.length });
    });
    if (failed !== undefined) {
      postMessage({ failed });
      return;
    }
  } finally {
    m._free(block);
  }
  m._quobrix_crc_register();
  const out = m._quobrix_out();
  postMessage({ register: utf8.decode(m.HEAPU8.slice(out, out + m._quobrix_out_size())) });
};
