'use strict';
// The page's worker for files: runs after the module's glue in one script (a
// Blob URL, which works from file:// where a worker's own file would not),
// hashes each file block by block through quobrix_crc_begin/update/finish,
// and posts the lines as `quobrix crc` prints them. Memory stays two blocks
// (one hashed, one read) whatever the files' sizes; the page cancels by
// ending the worker.
const BLOCK = 4 << 20;

onmessage = async ({ data }) => {
  const m = await QuobrixModule({
    instantiateWasm(imports, done) {
      WebAssembly.instantiate(data.module, imports).then((instance) => done(instance, data.module));
      return {};
    },
  });
  const encoder = new TextEncoder();
  const utf8 = new TextDecoder('utf-8');
  const copyIn = (bytes) => {
    const at = m._malloc(Math.max(bytes.length, 1));
    m.HEAPU8.set(bytes, at);
    return at;
  };
  const text = (at, size) => utf8.decode(m.HEAPU8.slice(at, at + size));
  const err = () => text(m._quobrix_err(), m._quobrix_err_size());
  const block = m._malloc(BLOCK);
  let done = 0;
  let code = 0;
  for (const file of data.files) {
    const model = encoder.encode(data.model);
    const at = copyIn(model);
    const begun = m._quobrix_crc_begin(at, model.length, data.notation);
    m._free(at);
    if (begun !== 0) {
      postMessage({ line: '', err: err() });
      code = begun;
      break;
    }
    const note = err();
    let failed = '';
    // The next block is read while this one is hashed: reading, not the
    // CRC, is what a file's time goes on.
    const read = (offset) => file.slice(offset, offset + BLOCK).arrayBuffer();
    let next = file.size > 0 ? read(0) : null;
    for (let offset = 0; offset < file.size; offset += BLOCK) {
      let bytes;
      try {
        bytes = new Uint8Array(await next);
      } catch (e) {
        failed = e.message;
        break;
      }
      next = offset + BLOCK < file.size ? read(offset + BLOCK) : null;
      // The heap may have grown since the block was allocated.
      m.HEAPU8.set(bytes, block);
      m._quobrix_crc_update(block, bytes.length);
      done += bytes.length;
      postMessage({ progress: done });
    }
    if (failed) {
      // As the command line reports a file it cannot read, and goes on.
      postMessage({ line: '', err: `quobrix: ${file.name}: ${failed}\n` });
      code = 2;
      continue;
    }
    const name = encoder.encode(file.name);
    const nameAt = copyIn(name);
    m._quobrix_crc_finish(nameAt, name.length);
    m._free(nameAt);
    postMessage({ line: text(m._quobrix_out(), m._quobrix_out_size()), err: note });
  }
  m._free(block);
  postMessage({ done: code });
};
