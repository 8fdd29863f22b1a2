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
  const { file, start: from, end } = data;
  const block = m._malloc(BLOCK);
  try {
    // The next block is read while this one is hashed.
    const read = (offset) => file.slice(offset, Math.min(offset + BLOCK, end)).arrayBuffer();
    let next = from < end ? read(from) : null;
    for (let offset = from; offset < end; offset += BLOCK) {
      let bytes;
      try {
        bytes = new Uint8Array(await next);
      } catch (e) {
        postMessage({ failed: e.message });
        return;
      }
      next = offset + BLOCK < end ? read(offset + BLOCK) : null;
      // HEAPU8 anew each time: the heap may have grown since the block was
      // allocated.
      m.HEAPU8.set(bytes, block);
      m._quobrix_crc_update(block, bytes.length);
      postMessage({ progress: bytes.length });
    }
  } finally {
    m._free(block);
  }
  m._quobrix_crc_register();
  const out = m._quobrix_out();
  postMessage({ register: utf8.decode(m.HEAPU8.slice(out, out + m._quobrix_out_size())) });
};
