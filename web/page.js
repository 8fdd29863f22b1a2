'use strict';
// The page runs the same commands as `quobrix`, through the C interface of
// web/api.h on the library compiled to WebAssembly: each form only builds the
// command's words, and what the command prints is shown as it is.
(() => {
  const TEXTS = {
    en: {
      loading: 'Loading…', ready: 'Ready.', failed: 'The module did not start: ',
      copyLink: 'Copy link', linkCopied: 'Link copied.', copy: 'Copy', copied: 'Copied.',
      tabCrc: 'CRC', tabFind: 'Find', tabFrame: 'Frame', tabNum: 'Numbers', tabTools: 'Dialog tools',
      tabFile: 'Files', model: 'Model', params: 'Or parameters of your own', inputAs: 'Input as',
      kindText: 'text', kindHex: 'hex digits', input: 'Input', notation: 'Shown as', notationHex: 'hex',
      notationBe: 'bytes, high first (be)', notationLe: 'bytes, low first (le)',
      frames: 'Frames, one a line (hex)', maxSkip: 'Head and tail bytes at most',
      findAll: 'also the lines not borne out', find: 'Find',
      check: 'Check (a model, a sum, or a line of Find)', order: 'Check bytes',
      orderDefault: 'as the check says', head: 'Head (hex)', tail: 'Tail (hex)',
      frameData: 'Data, or a whole frame to verify (hex)', verify: 'verify',
      numBytes: 'Bytes (hex)', numType: 'Type', numEvery: 'every type and order',
      numOrder: 'Order (with a type)', numFrom: 'Or a value to turn into bytes (with a type and order)',
      tabModbus: 'MODBUS', modbusFrames: "Frames, one a line (hex, or ':' ASCII lines)", modbusMode: 'Framing',
      modbusModeAny: 'as the bytes tell', modbusAs: 'Registers as (f32:cdab …; empty: none)', modbusDecode: 'Decode',
      tool: 'Tool', lowFirst: 'low byte first', chooseFiles: 'Choose or drop files', cancel: 'Cancel',
      hashing: 'Hashing', cancelled: 'Cancelled.', exit: 'exit status',
      everyModel: 'every model of the catalogue',
      tabSerial: 'Serial',
      serialNone: 'This browser offers no serial port (Web Serial): open the page in Chromium, Chrome or Edge '
        + 'to reach a serial port from here, or use quobrix serial on the command line.',
      serialPort: 'Port', baud: 'Baud rate', dataBits: 'Data bits', parity: 'Parity', parityNone: 'none',
      parityEven: 'even', parityOdd: 'odd', stopBits: 'Stop bits', flow: 'Flow control', flowNone: 'none',
      flowHardware: 'RTS/CTS', gap: 'Frame ends after silence (ms)', encoding: 'Text as', open: 'Open',
      close: 'Close', serialCheck: 'Check', appendCheck: 'append the check, and verify it on frames received',
      checkModel: 'Model', orderLe: 'low byte first (le)', orderBe: 'high byte first (be)', sendData: 'To send',
      send: 'Send', clear: 'Clear', time: 'Time (s)', direction: 'Dir.', hexColumn: 'Hex', textColumn: 'Text',
      verdictColumn: 'Check', tx: 'TX', rx: 'RX', expected: 'expected', portOpen: 'Open: ', portClosed: 'Closed.',
    },
    zh: {
      loading: '正在加载…', ready: '就绪。', failed: '模块未能启动：',
      copyLink: '复制链接', linkCopied: '链接已复制。', copy: '复制', copied: '已复制。',
      tabCrc: 'CRC', tabFind: '查找校验', tabFrame: '组帧', tabNum: '数值', tabTools: '对话框工具',
      tabFile: '文件', model: '模型', params: '或自定义参数', inputAs: '输入为',
      kindText: '文本', kindHex: '十六进制', input: '输入', notation: '显示为', notationHex: '十六进制',
      notationBe: '字节，高位在前 (be)', notationLe: '字节，低位在前 (le)',
      frames: '帧，每行一帧（十六进制）', maxSkip: '帧头帧尾最多字节数',
      findAll: '也列出未获证实的结果', find: '查找',
      check: '校验（模型、和校验，或查找的一行）', order: '校验字节',
      orderDefault: '按校验所示', head: '帧头（十六进制）', tail: '帧尾（十六进制）',
      frameData: '数据，或待验证的整帧（十六进制）', verify: '验证',
      numBytes: '字节（十六进制）', numType: '类型', numEvery: '所有类型和字节序',
      numOrder: '字节序（需选类型）', numFrom: '或把数值转成字节（需选类型和字节序）',
      tabModbus: 'Modbus 解析', modbusFrames: '帧，每行一帧（十六进制，或以 : 开头的 ASCII 行）', modbusMode: '帧格式',
      modbusModeAny: '按字节自动判断', modbusAs: '寄存器解读为（f32:cdab …；留空则不解读）', modbusDecode: '解析',
      tool: '工具', lowFirst: '低字节在前', chooseFiles: '选择或拖入文件', cancel: '取消',
      hashing: '正在计算', cancelled: '已取消。', exit: '退出码',
      everyModel: '目录中的所有模型',
      tabSerial: '串口',
      serialNone: '此浏览器不提供串口（Web Serial）：请在 Chromium、Chrome 或 Edge 中打开本页以使用串口，'
        + '或在命令行中使用 quobrix serial。',
      serialPort: '端口', baud: '波特率', dataBits: '数据位', parity: '校验位', parityNone: '无',
      parityEven: '偶校验', parityOdd: '奇校验', stopBits: '停止位', flow: '流控', flowNone: '无',
      flowHardware: 'RTS/CTS', gap: '静默多久算一帧结束（毫秒）', encoding: '文本编码', open: '打开',
      close: '关闭', serialCheck: '校验', appendCheck: '自动追加校验（发送时追加，接收时验证）',
      checkModel: '模型', orderLe: '低字节在前 (le)', orderBe: '高字节在前 (be)', sendData: '发送内容',
      send: '发送', clear: '清空', time: '时间（秒）', direction: '方向', hexColumn: '十六进制', textColumn: '文本',
      verdictColumn: '校验', tx: '发送', rx: '接收', expected: '应为', portOpen: '已打开：', portClosed: '已关闭。',
    },
  };
  const $ = (id) => document.getElementById(id);
  const state = new URLSearchParams(location.hash.slice(1));
  let lang = state.get('lang') ||
      ((navigator.languages || [navigator.language]).some((l) => /^zh\b/i.test(l)) ? 'zh' : 'en');
  const t = (key) => TEXTS[lang][key] ?? TEXTS.en[key] ?? key;

  function applyTexts() {
    document.documentElement.lang = lang === 'zh' ? 'zh-CN' : 'en';
    for (const el of document.querySelectorAll('[data-t]')) el.textContent = t(el.dataset.t);
    // The dialog's tools: the dialog's own buttons in Chinese, the help's
    // summaries in English.
    for (const option of $('tools-tool').options) {
      option.textContent = lang === 'zh' ? option.dataset.button : option.dataset.summary;
    }
    $('language').textContent = lang === 'zh' ? 'English' : '中文';
  }

  // ---- The module -------------------------------------------------------

  const glue = $('quobrix-glue').textContent;
  const workerSource = $('quobrix-worker').textContent;
  function wasmBytes() {
    const base64 = $('quobrix-wasm').textContent.trim();
    // Decoded natively where the browser offers it: a character at a time
    // takes a tenth of the start.
    if (Uint8Array.fromBase64) return Uint8Array.fromBase64(base64);
    const text = atob(base64);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
  }
  const compiled = WebAssembly.compile(wasmBytes());
  const encoder = new TextEncoder();
  const utf8 = new TextDecoder('utf-8');

  // The command's words as the module takes them: each ended by a NUL.
  function argumentBytes(words) {
    const parts = words.map((w) => encoder.encode(w + '\0'));
    const all = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
    let at = 0;
    for (const p of parts) { all.set(p, at); at += p.length; }
    return all;
  }

  class Quobrix {
    constructor(module) { this.m = module; }
    copyIn(bytes) {
      const at = this.m._malloc(Math.max(bytes.length, 1));
      this.m.HEAPU8.set(bytes, at);
      return at;
    }
    results(code) {
      const m = this.m;
      const out = m.HEAPU8.slice(m._quobrix_out(), m._quobrix_out() + m._quobrix_out_size());
      const err = m.HEAPU8.slice(m._quobrix_err(), m._quobrix_err() + m._quobrix_err_size());
      return { code, out: utf8.decode(out), err: utf8.decode(err) };
    }
    run(words, input = new Uint8Array(0)) {
      const args = argumentBytes(words);
      const a = this.copyIn(args), i = this.copyIn(input);
      try {
        return this.results(this.m._quobrix_run(a, args.length, i, input.length));
      } finally {
        this.m._free(a);
        this.m._free(i);
      }
    }
    // The model checked, as a file's CRC begins: its messages, or a former
    // name's note.
    crcBegin(model, notation) {
      const bytes = encoder.encode(model);
      const at = this.copyIn(bytes);
      try {
        return this.results(this.m._quobrix_crc_begin(at, bytes.length, notation));
      } finally {
        this.m._free(at);
      }
    }
    // A file's line from its spans' registers and sizes, in order.
    crcJoin(model, notation, name, spans) {
      const begun = this.crcBegin(model, notation);
      if (begun.code !== 0) return begun;
      for (const [register, size] of spans) {
        const bytes = encoder.encode(register);
        const at = this.copyIn(bytes);
        const joined = this.m._quobrix_crc_join(at, bytes.length, size);
        this.m._free(at);
        if (joined !== 0) return this.results(joined);
      }
      const bytes = encoder.encode(name);
      const at = this.copyIn(bytes);
      try {
        return this.results(this.m._quobrix_crc_finish(at, bytes.length));
      } finally {
        this.m._free(at);
      }
    }
    // The command line's line for a file it cannot read.
    crcReadError(name, why) {
      const n = encoder.encode(name), w = encoder.encode(why);
      const a = this.copyIn(n), b = this.copyIn(w);
      this.m._quobrix_crc_read_error(a, n.length, b, w.length);
      this.m._free(a);
      this.m._free(b);
      return this.results(2);
    }
    catalogue() {
      this.m._quobrix_catalogue();
      return JSON.parse(this.results(0).out);
    }
    dialogTools() {
      this.m._quobrix_dialog_tools();
      return JSON.parse(this.results(0).out);
    }
    // The serial tab's link: framing and checks are the module's, the
    // page only carries bytes between it and the port.
    linkOpen(gapMs, encoding) {
      const id = this.m._quobrix_link_open(gapMs, encoding);
      return { id, err: this.results(id ? 0 : 2).err };
    }
    linkCheck(id, check) {
      const bytes = encoder.encode(check);
      const at = this.copyIn(bytes);
      try {
        return this.results(this.m._quobrix_link_check(id, at, bytes.length));
      } finally {
        this.m._free(at);
      }
    }
    linkPush(id, bytes, timeMs) {
      const at = this.copyIn(bytes);
      try {
        this.m._quobrix_link_push(id, at, bytes.length, timeMs);
      } finally {
        this.m._free(at);
      }
      return JSON.parse(this.results(0).out);
    }
    linkIdle(id, nowMs) {
      this.m._quobrix_link_idle(id, nowMs);
      return JSON.parse(this.results(0).out);
    }
    linkDeadline(id) { return this.m._quobrix_link_deadline(id); }
    linkFinish(id) {
      this.m._quobrix_link_finish(id);
      const pieces = JSON.parse(this.results(0).out);
      this.m._quobrix_link_close(id);
      return pieces;
    }
    // The frame to write, with the link's check: {bytes, hex, text}, or
    // the message why not.
    linkSend(id, data, kind) {
      const bytes = encoder.encode(data);
      const at = this.copyIn(bytes);
      try {
        const result = this.results(this.m._quobrix_link_send(id, at, bytes.length, kind));
        return result.code === 0 ? { frame: JSON.parse(result.out) } : { err: result.err };
      } finally {
        this.m._free(at);
      }
    }
  }

  // The glue script makes a factory; the page and its workers share the
  // compiled module, so it is compiled once.
  function startModule(module) {
    const factory = new Function(glue + '\nreturn QuobrixModule;')();
    return factory({
      instantiateWasm(imports, done) {
        WebAssembly.instantiate(module, imports).then((instance) => done(instance, module));
        return {};
      },
    });
  }

  // ---- Results ----------------------------------------------------------

  // As a POSIX shell takes it, quoted only when it must be.
  function shellWord(word) {
    return /^[A-Za-z0-9_@%+=:,./-]+$/.test(word) ? word : "'" + word.replace(/'/g, `'"'"'`) + "'";
  }

  function show(tool, words, result) {
    const box = document.querySelector(`.result[data-for="${tool}"]`);
    if (!box.firstElementChild) {
      box.append($('result-template').content.cloneNode(true));
      box.querySelector('.out').id = tool + '-out';
      box.querySelector('.err').id = tool + '-err';
      box.querySelector('.copy').id = tool + '-copy';
      box.querySelector('.copy').textContent = t('copy');
      box.querySelector('.copy').addEventListener('click', () => copyText(box.querySelector('.out').textContent));
    }
    box.querySelector('.command code').textContent =
        words ? 'quobrix ' + words.map(shellWord).join(' ') : '';
    const out = box.querySelector('.out');
    out.textContent = result.out;
    out.dataset.code = String(result.code);
    box.querySelector('.err').textContent = result.err;
    box.dataset.state = result.code === 0 ? 'ok' : 'error';
  }

  async function copyText(text) {
    try {
      await navigator.clipboard.writeText(text);
      $('status').textContent = t('copied');
    } catch (e) {
      $('status').textContent = String(e);
    }
  }

  // ---- The tools: each builds the words of one command --------------------

  const lines = (text) => text.split(/\r?\n/).map((l) => l.trim()).filter((l) => l);
  // An option's value that starts with a dash goes after "=", so that it
  // reads as the value, not as an option.
  const option = (name, value) => (value.startsWith('-') ? [name + '=' + value] : [name, value]);

  const crcWords = (f, model) => ['crc', model, ...option(f.kind.value === 'hex' ? '--hex' : '--text', f.input.value),
    ...(f.bytes.value ? ['--bytes', f.bytes.value] : [])];

  const TOOLS = {
    crc(f) {
      return crcWords(f, f.params.value.trim() || f.model.value);
    },
    find(f) {
      return ['find', ...(f.skip.value !== '4' ? ['--max-skip', f.skip.value] : []),
        ...(f.all.checked ? ['--all'] : []), '--', ...lines(f.frames.value)];
    },
    frame(f) {
      return ['frame', f.check.value, ...(f.order.value ? ['--order', f.order.value] : []),
        ...(f.head.value.trim() ? option('--head', f.head.value.trim()) : []),
        ...(f.tail.value.trim() ? option('--tail', f.tail.value.trim()) : []),
        ...(f.verify.checked ? ['--verify'] : []), '--', ...lines(f.data.value)];
    },
    num(f) {
      const typed = f.type.value ? ['--type', f.type.value, '--order', f.order.value.trim()] : [];
      if (f.from.value.trim()) return ['num', ...typed, ...option('--from', f.from.value.trim())];
      return ['num', ...typed, '--', ...f.input.value.trim().split(/\s+/).filter((w) => w)];
    },
    // The frames as words, so that the command shown decodes them again;
    // a capture's '#' lines are notes, as standard input's are to the
    // command.
    modbus(f) {
      const formats = f.as.value.split(/[\s,]+/).filter((w) => w);
      return ['modbus', 'decode', ...(f.mode.value ? ['--mode', f.mode.value] : []),
        ...formats.flatMap((format) => option('--as', format)),
        '--', ...lines(f.frames.value).filter((l) => !l.startsWith('#'))];
    },
    tools(f) {
      return [f.dialogTool.value, ...(f.kind.value === 'hex' ? ['--hex'] : []),
        ...(f.lowFirst.checked ? ['--low-first'] : []), '--', f.input.value];
    },
  };
  // Recovery in find may take a second, and a capture half typed is no
  // capture yet: these run when asked, the others as their inputs change.
  const ON_SUBMIT = new Set(['find', 'modbus']);

  let quobrix = null;
  let models = [];
  let current = 'crc';

  // The input's CRC under every model: one run of `quobrix crc` each, its
  // line beside the model's name. A bad input fails every run alike: the
  // first failure is shown instead.
  function everyModel(f) {
    const width = Math.max(...models.map((m) => m.name.length));
    let out = '';
    for (const m of models) {
      const result = quobrix.run(crcWords(f, m.name));
      if (result.code !== 0) return result;
      out += m.name.padEnd(width) + '  ' + result.out;
    }
    return { code: 0, out, err: '' };
  }

  function runTool(tool) {
    if (!quobrix) return;
    const f = $(tool + '-form');
    if (tool === 'crc' && f.every.checked) {
      show(tool, crcWords(f, 'MODEL'), everyModel(f));
    } else {
      const words = TOOLS[tool](f);
      show(tool, words, quobrix.run(words));
    }
    saveState();
  }

  // ---- State in the fragment ----------------------------------------------

  function formState(tool) {
    const f = $(tool + '-form');
    const fields = {};
    if (!f) return fields;
    for (const el of f.elements) {
      if (!el.name || el.type === 'file' || el.type === 'submit') continue;
      if (el.type === 'radio') { if (el.checked) fields[el.name] = el.value; } else if (el.type === 'checkbox') {
        if (el.checked) fields[el.name] = '1';
      } else if (el.value) fields[el.name] = el.value;
    }
    return fields;
  }

  function saveState() {
    const s = new URLSearchParams({ tool: current, lang });
    for (const [k, v] of Object.entries(formState(current))) s.set(k, v);
    history.replaceState(null, '', '#' + s.toString());
  }

  function loadState() {
    const tool = state.get('tool');
    if (!tool || !$('panel-' + tool)) return;
    current = tool;
    const f = $(tool + '-form');
    if (!f) return;
    for (const el of f.elements) {
      if (!el.name || el.type === 'file' || el.type === 'submit') continue;
      const v = state.get(el.name);
      if (el.type === 'radio') el.checked = v !== null ? el.value === v : el.checked;
      else if (el.type === 'checkbox') el.checked = v === '1';
      else if (v !== null) el.value = v;
    }
  }

  function selectTab(tool, focus) {
    current = tool;
    for (const tab of document.querySelectorAll('[role=tab]')) {
      const on = tab.dataset.tool === tool;
      tab.setAttribute('aria-selected', String(on));
      tab.tabIndex = on ? 0 : -1;
      $(tab.getAttribute('aria-controls')).hidden = !on;
      if (on && focus) tab.focus();
    }
    if (tool === 'file') startFileWorkers();
    saveState();
  }

  // ---- Files: hashed in spans by workers side by side ---------------------

  // Workers for files: a file's spans are read side by side, and each
  // worker hashes its span (worker.js). Reading a file waits on the browser
  // more than on the processor: four workers read a file faster than two
  // even on two cores (bench/page_bench.py). A file smaller than two spans'
  // worth goes to one.
  const FILE_WORKERS = 4;
  const SPAN_AT_LEAST = 32 << 20;

  // A file cut into spans of SPAN_AT_LEAST or more, one a worker at most,
  // each of whole MiB but the last.
  function spans(size) {
    const count = Math.max(1, Math.min(FILE_WORKERS, Math.floor(size / SPAN_AT_LEAST)));
    const step = Math.ceil(size / count / (1 << 20)) * (1 << 20);
    const cut = [];
    for (let from = 0; from < size; from += step) cut.push({ from, end: Math.min(size, from + step) });
    return cut;
  }

  // The workers start when the Files tab is shown, each with its instance
  // of the module, so that a file chosen is hashed at once: starting them
  // then took some 40 ms of a 256 MiB file's 300 (bench/page_bench.py).
  // They stay for the next files; a cancel ends them and starts others.
  let fileWorkers = [];
  function startFileWorkers() {
    if (fileWorkers.length || !compiledModule) return;
    const url = URL.createObjectURL(new Blob([glue, '\n', workerSource], { type: 'text/javascript' }));
    fileWorkers = Array.from({ length: FILE_WORKERS }, () => new Worker(url));
    URL.revokeObjectURL(url);
    for (const worker of fileWorkers) worker.postMessage({ module: compiledModule });
  }
  function endFileWorkers() {
    for (const worker of fileWorkers) worker.terminate();
    fileWorkers = [];
  }

  // The files being hashed: a token that a cancel or other files chosen
  // replace, so that the spans of the files before are not reported.
  let fileJob = null;

  function hashFiles(files) {
    if (!files.length || !compiledModule) return;
    if (fileJob) endFileWorkers();
    startFileWorkers();
    const job = {};
    fileJob = job;
    const session = fileWorkers;
    const f = $('file-form');
    const progress = $('file-progress');
    const total = Array.from(files).reduce((n, file) => n + file.size, 0);
    progress.hidden = false;
    progress.value = 0;
    $('file-cancel').hidden = false;
    const model = f.model.value;
    const notation = { '': 0, be: 1, le: 2 }[f.bytes.value];
    const words = ['crc', model, ...(f.bytes.value ? ['--bytes', f.bytes.value] : []),
      ...Array.from(files, (file) => file.name)];
    let out = '';
    let err = '';
    let done = 0;
    const finish = (code) => {
      progress.hidden = true;
      $('file-cancel').hidden = true;
      fileJob = null;
      $('status').textContent = t('ready');
      show('file', words, { code, out, err });
    };
    $('file-cancel').onclick = () => {
      endFileWorkers();
      err += t('cancelled') + '\n';
      finish(2);
      startFileWorkers();
      $('status').textContent = t('cancelled');
    };
    // The model is checked once, here, as the command line checks it
    // before any file.
    const begun = quobrix.crcBegin(model, notation);
    if (begun.code !== 0) {
      err = begun.err;
      finish(begun.code);
      return;
    }
    const note = begun.err;
    // One span's register, or why it could not be read.
    const hashSpan = (worker, file, span) => new Promise((resolve) => {
      worker.onmessage = ({ data }) => {
        if (data.progress !== undefined) {
          done += data.progress;
          progress.value = total ? done / total : 1;
          $('status').textContent = `${t('hashing')} ${Math.floor(progress.value * 100)} %`;
        } else {
          resolve(data);
        }
      };
      worker.onerror = (e) => resolve({ failed: String(e.message) });
      worker.postMessage({ module: compiledModule, model, file, start: span.from, end: span.end });
    });
    (async () => {
      let code = 0;
      for (const file of files) {
        const cut = spans(file.size);
        const results = await Promise.all(cut.map((span, i) => hashSpan(session[i], file, span)));
        if (fileJob !== job) return;  // cancelled, or other files chosen
        const failed = results.find((r) => r.failed !== undefined);
        const line = failed ? quobrix.crcReadError(file.name, failed.failed)
          : quobrix.crcJoin(model, notation, file.name, results.map((r, i) => [r.register, cut[i].end - cut[i].from]));
        out += line.out;
        err += failed ? line.err : note;
        if (line.code !== 0 || failed) code = 2;
      }
      finish(code);
    })();
  }


  // ---- Serial: a port through Web Serial, where the browser offers it ------

  // One port at a time. The module's link frames what is read by silence
  // and checks it; the page carries bytes and draws rows.
  const ROWS_KEPT = 2000;
  const serial = { port: null, link: 0, reader: null, reading: null, closing: false, timer: 0, opened: 0 };
  const serialOffered = () => Boolean(navigator.serial);

  function serialError(text) { $('serial-err').textContent = text; }

  // The model and byte order chosen; a line of Find pasted in names its
  // order itself.
  function serialCheckWords() {
    const f = $('serial-form');
    const model = f.check.value.trim();
    if (!f.appendCheck.checked || !model) return '';
    return /\s/.test(model) ? model : model + ' ' + f.order.value;
  }

  function applySerialCheck() {
    if (!serial.link) return;
    const result = quobrix.linkCheck(serial.link, serialCheckWords());
    serialError(result.code === 0 ? '' : result.err);
  }

  function verdictText(v) {
    if (v.ok) return '✔ ' + v.check;
    return '✘ ' + (v.expected ? t('expected') + ' ' + v.expected : v.why);
  }

  function addRow(direction, piece) {
    const row = document.createElement('tr');
    row.className = direction;
    const cells = [((piece.time - serial.opened) / 1000).toFixed(3), t(direction), piece.hex, piece.text,
      piece.verdict ? verdictText(piece.verdict) : ''];
    for (const text of cells) row.insertCell().textContent = text;
    if (piece.verdict && !piece.verdict.ok) row.cells[4].classList.add('bad');
    const body = $('serial-rows').tBodies[0];
    body.append(row);
    while (body.rows.length > ROWS_KEPT) body.deleteRow(0);
  }

  function addPieces(pieces) {
    for (const piece of pieces) addRow('rx', piece);
  }

  // A frame is complete once the line has been silent for the gap: the
  // module says when that is, a timer looks then.
  function scheduleIdle() {
    clearTimeout(serial.timer);
    const deadline = quobrix.linkDeadline(serial.link);
    if (deadline < 0) return;
    serial.timer = setTimeout(() => {
      if (!serial.link) return;
      addPieces(quobrix.linkIdle(serial.link, performance.now()));
      scheduleIdle();
    }, Math.max(0, deadline - performance.now()));
  }

  function setSerialOpen(open) {
    $('serial-port-settings').disabled = open;
    $('serial-open').disabled = open || !quobrix;
    $('serial-close').disabled = !open;
    $('serial-send').disabled = !open;
  }

  async function readSerial(port) {
    let ended = false;
    while (!ended && !serial.closing && port.readable) {
      const reader = port.readable.getReader();
      serial.reader = reader;
      try {
        for (;;) {
          const { value, done } = await reader.read();
          if (done) { ended = true; break; }
          if (value && value.length) {
            addPieces(quobrix.linkPush(serial.link, value, performance.now()));
            scheduleIdle();
          }
        }
      } catch (e) {
        // A parity or framing error leaves the port readable, and reading
        // goes on; a device pulled out does not.
        if (!serial.closing) serialError(String(e));
      } finally {
        reader.releaseLock();
      }
    }
    serial.reader = null;
  }

  function endLink() {
    clearTimeout(serial.timer);
    if (serial.link) addPieces(quobrix.linkFinish(serial.link));
    Object.assign(serial, { port: null, link: 0, reader: null, reading: null, closing: false, timer: 0 });
    $('serial-state').textContent = t('portClosed');
    setSerialOpen(false);
  }

  async function openSerial() {
    serialError('');
    const f = $('serial-form');
    let port;
    try {
      port = await navigator.serial.requestPort();
      await port.open({ baudRate: Number(f.baud.value), dataBits: Number(f.dataBits.value), parity: f.parity.value,
        stopBits: Number(f.stopBits.value), flowControl: f.flow.value });
    } catch (e) {
      serialError(String(e));
      return;
    }
    const opened = quobrix.linkOpen(Number(f.gap.value), f.textEncoding.value === 'gbk' ? 1 : 0);
    if (!opened.id) {
      serialError(opened.err);
      try { await port.close(); } catch (e) { /* the message above says what matters */ }
      return;
    }
    Object.assign(serial, { port, link: opened.id, closing: false, opened: performance.now() });
    applySerialCheck();
    setSerialOpen(true);
    const info = port.getInfo ? port.getInfo() : {};
    $('serial-state').textContent = t('portOpen') + [f.baud.value, f.dataBits.value + f.parity.value[0].toUpperCase() +
      f.stopBits.value, info.usbVendorId !== undefined ? 'USB ' + info.usbVendorId.toString(16).padStart(4, '0') + ':' +
      (info.usbProductId ?? 0).toString(16).padStart(4, '0') : ''].filter((w) => w).join(' ');
    serial.reading = readSerial(port).then(() => {
      // The device went away without Close: what was pending is shown.
      if (!serial.closing && serial.port === port) {
        port.close().catch(() => {});
        endLink();
      }
    });
  }

  async function closeSerial() {
    const port = serial.port;
    if (!port) return;
    serial.closing = true;
    try {
      if (serial.reader) await serial.reader.cancel();
      await serial.reading;
      await port.close();
    } catch (e) {
      serialError(String(e));
    }
    endLink();
  }

  async function sendSerial() {
    if (!serial.port) return;
    serialError('');
    const f = $('serial-form');
    const built = quobrix.linkSend(serial.link, f.data.value, f.sendKind.value === 'text' ? 1 : 0);
    if (built.err) {
      serialError(built.err);
      return;
    }
    const time = performance.now();
    let writer = null;
    try {
      writer = serial.port.writable.getWriter();
      await writer.write(new Uint8Array(built.frame.bytes));
      addRow('tx', { time, hex: built.frame.hex, text: built.frame.text });
    } catch (e) {
      serialError(String(e));
    } finally {
      if (writer) writer.releaseLock();
    }
  }

  function wireSerial() {
    const offered = serialOffered();
    $('serial-none').hidden = offered;
    $('serial-form').hidden = !offered;
    $('serial-rows').hidden = !offered;
    if (!offered) return;
    $('serial-open').addEventListener('click', openSerial);
    $('serial-close').addEventListener('click', closeSerial);
    $('serial-form').addEventListener('submit', (e) => { e.preventDefault(); sendSerial(); });
    $('serial-clear').addEventListener('click', () => { $('serial-rows').tBodies[0].replaceChildren(); });
    for (const id of ['serial-append', 'serial-check', 'serial-order']) {
      $(id).addEventListener('change', applySerialCheck);
    }
    $('serial-form').addEventListener('change', () => saveState());
    setSerialOpen(false);
  }

  // ---- Start ---------------------------------------------------------------

  let compiledModule = null;

  function wire() {
    for (const tab of document.querySelectorAll('[role=tab]')) {
      tab.addEventListener('click', () => selectTab(tab.dataset.tool, false));
      tab.addEventListener('keydown', (e) => {
        const tabs = Array.from(document.querySelectorAll('[role=tab]'));
        const at = tabs.indexOf(tab);
        const step = { ArrowRight: 1, ArrowLeft: -1, Home: -at, End: tabs.length - 1 - at }[e.key];
        if (step === undefined) return;
        e.preventDefault();
        selectTab(tabs[(at + step + tabs.length) % tabs.length].dataset.tool, true);
      });
    }
    for (const tool of Object.keys(TOOLS)) {
      const f = $(tool + '-form');
      f.addEventListener('submit', (e) => { e.preventDefault(); runTool(tool); });
      if (!ON_SUBMIT.has(tool)) {
        f.addEventListener('input', () => runTool(tool));
        f.addEventListener('change', () => runTool(tool));
      }
      // Ctrl+Enter runs from a text box, as the button does.
      f.addEventListener('keydown', (e) => {
        if (e.key === 'Enter' && (e.ctrlKey || e.metaKey)) { e.preventDefault(); runTool(tool); }
      });
    }
    $('file-input').addEventListener('change', (e) => hashFiles(e.target.files));
    const drop = $('file-drop');
    drop.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
    drop.addEventListener('dragleave', () => drop.classList.remove('over'));
    drop.addEventListener('drop', (e) => {
      e.preventDefault();
      drop.classList.remove('over');
      hashFiles(e.dataTransfer.files);
    });
    $('file-form').addEventListener('submit', (e) => e.preventDefault());
    $('language').addEventListener('click', () => {
      lang = lang === 'zh' ? 'en' : 'zh';
      applyTexts();
      saveState();
    });
    $('copy-link').addEventListener('click', async () => {
      saveState();
      await copyText(location.href);
      $('status').textContent = t('linkCopied');
    });
  }

  function fillModels(models) {
    for (const id of ['crc-model', 'file-model']) {
      const select = $(id);
      for (const m of models) select.add(new Option(m.name, m.name));
      select.value = 'CRC-16/MODBUS';
    }
    const checks = $('frame-checks');
    for (const m of models) checks.append(new Option(m.name));
  }

  applyTexts();
  wire();
  wireSerial();
  compiled.then(async (module) => {
    compiledModule = module;
    quobrix = new Quobrix(await startModule(module));
    models = quobrix.catalogue();
    fillModels(models);
    for (const tool of quobrix.dialogTools()) {
      const option = new Option(tool.name, tool.name);
      option.dataset.summary = tool.summary;
      option.dataset.button = tool.button;
      $('tools-tool').add(option);
    }
    applyTexts();
    loadState();
    if (serialOffered()) setSerialOpen(false);
    selectTab(current, false);
    if (state.get('tool') && TOOLS[current]) runTool(current);
    document.body.dataset.ready = 'true';
    $('status').textContent = t('ready');
  }).catch((e) => {
    $('status').textContent = t('failed') + e;
    throw e;
  });
})();
