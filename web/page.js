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
      tabArray: 'C array', tabParts: 'Parts', tabFilter: 'Filter', tabPrintf: 'printf', tabRandom: 'Random',
      download: 'Download', arrayDirection: 'Direction', arrayForward: 'bytes to a C array',
      arrayReverse: 'a C array back to bytes (--reverse)', sourceFile: 'a file', chooseFile: 'Choose or drop a file',
      arrayName: 'Name (--name)', arrayType: 'Element type (--type)', perLine: 'Elements a line (--per-line)',
      charSign: 'Plain char (--char)', charSigned: 'signed, as gcc on x86', charUnsigned: 'unsigned, as on ARM',
      arrayOptions: 'Options', decimal: 'decimal (--decimal)', static: 'static (--static)',
      mutable: 'without const (--mutable)', header: 'a header (--header)', crcComment: 'CRC-32 comment (--crc)',
      pad: 'pad the last element (--pad)', convert: 'Convert', noFile: 'Choose a file first.',
      working: 'Working', shownPart: (shown, all) => `Shown: the first ${shown} of ${all} bytes; Download gives all of them.`,
      bytesAsHex: (all) => `The ${all} bytes, shown as hex; Download gives the bytes themselves.`,
      partsMode: 'Mode', partsNearest: 'nearest values of a series', partsDivider: 'voltage divider',
      partsCode: 'read a marking (code)', partsMark: 'markings of a value (mark)', partsKind: 'Component',
      resistor: 'resistor', capacitor: 'capacitor', inductor: 'inductor', series: 'Series (--series)',
      seriesDefault: 'as the command chooses', partsValue: 'Value (4k7, 100n, 2.2u)',
      partsCodeField: 'Marking (472, 4K7, 01C, or colour bands)', tolerance: 'Tolerance, % (--tolerance)',
      tempco: 'Temperature coefficient, ppm/K (--tempco)', vin: 'Vin', vout: 'Vout',
      ratio: 'Or the ratio Vout / Vin (--ratio)', total: 'R1 + R2 from..to (--total)', count: 'How many (--count)',
      filterKind: 'Filter', rcLow: 'RC low-pass', rcHigh: 'RC high-pass', lcTank: 'LC resonance',
      sallenKey: 'Sallen-Key low-pass (unity gain)', filterJob: 'Find', filterDesign: 'parts for a frequency',
      filterOfParts: 'the frequency of parts', frequency: 'Frequency (1k, 50Hz)', q: 'Q (--q)',
      rSeries: "Resistors' series", cSeries: "Capacitors' series", lSeries: "Inductors' series",
      r1: 'R (sallen-key: R1)', c1: 'C (sallen-key: C1)',
      format: 'Format', printfArgs: 'Arguments, one a line', explain: 'the table of conversions (--explain)',
      raw: 'no escapes in the format (--raw)',
      randomKind: 'Draw', integers: 'integers', floats: 'floats', bytes: 'bytes', low: 'From', high: 'To',
      unique: 'no number twice (--unique)', sort: 'in ascending order (--sort)', asCArray: 'as a C array (--format c)',
      seed: 'Seed (--seed; empty: drawn by the browser)', drawSeed: "Seed from the browser's secure generator",
      seedDrawn: "The seed was drawn from the browser's secure generator (crypto.getRandomValues): "
        + 'the command above makes the same numbers again.',
    },
    zh: {
      loading: '正在加载…', ready: '就绪。', failed: '模块未能启动：',
      copyLink: '复制链接', linkCopied: '链接已复制。', copy: '复制', copied: '已复制。',
      tabCrc: 'CRC', tabFind: '查找校验', tabFrame: '组帧', tabNum: '数值', tabTools: '对话框工具',
      tabFile: '文件', model: '模型', params: '或自定义参数', inputAs: '输入为',
      kindText: '文本', kindHex: '十六进制', input: '输入', notation: '显示为', notationHex: '十六进制',
      notationBe: '字节，大端：高字节在前 (be)', notationLe: '字节，小端：低字节在前 (le)',
      frames: '帧，每行一帧（十六进制）', maxSkip: '帧头、帧尾各最多几个字节',
      findAll: '也列出未获证实的结果', find: '查找',
      check: '校验方式（CRC 模型、和校验，或“查找校验”给出的一行）', order: '校验值的字节序',
      orderDefault: '按校验方式中写明的', head: '帧头（十六进制）', tail: '帧尾（十六进制）',
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
      checkModel: '模型', orderLe: '小端：低字节在前 (le)', orderBe: '大端：高字节在前 (be)', sendData: '发送内容',
      send: '发送', clear: '清空', time: '时间（秒）', direction: '方向', hexColumn: '十六进制', textColumn: '文本',
      verdictColumn: '校验', tx: '发送', rx: '接收', expected: '应为', portOpen: '已打开：', portClosed: '已关闭。',
      tabArray: 'C 数组', tabParts: '元件值', tabFilter: '滤波器', tabPrintf: 'printf 格式化', tabRandom: '随机数',
      download: '下载', arrayDirection: '方向', arrayForward: '字节转成 C 数组',
      arrayReverse: 'C 数组还原为字节 (--reverse)', sourceFile: '文件', chooseFile: '选择或拖入一个文件',
      arrayName: '数组名 (--name)', arrayType: '元素类型 (--type)', perLine: '每行元素个数 (--per-line)',
      charSign: 'char 是否有符号 (--char)', charSigned: '有符号（x86 上的 gcc）', charUnsigned: '无符号（ARM 等）',
      arrayOptions: '选项', decimal: '十进制 (--decimal)', static: 'static (--static)',
      mutable: '不加 const (--mutable)', header: '生成头文件 (--header)', crcComment: '附 CRC-32 注释 (--crc)',
      pad: '末尾不足一个元素时补零 (--pad)', convert: '生成', noFile: '请先选择文件。',
      working: '正在处理', shownPart: (shown, all) => `只显示了前 ${shown} 字节（共 ${all} 字节），下载可得到全部内容。`,
      bytesAsHex: (all) => `共 ${all} 字节，以十六进制显示；下载得到的是原始字节。`,
      partsMode: '功能', partsNearest: '查标称值（最接近的系列值）', partsDivider: '分压电阻',
      partsCode: '标记识别 (code)', partsMark: '由数值求标记 (mark)', partsKind: '元件',
      resistor: '电阻', capacitor: '电容', inductor: '电感', series: '系列 (--series)',
      seriesDefault: '按命令默认', partsValue: '数值（4k7、100n、2.2u）',
      partsCodeField: '标记（472、4K7、01C 或色环颜色）', tolerance: '误差，% (--tolerance)',
      tempco: '温度系数，ppm/K (--tempco)', vin: '输入电压 Vin', vout: '输出电压 Vout',
      ratio: '或分压比 Vout / Vin (--ratio)', total: 'R1 + R2 的范围 (--total)', count: '个数 (--count)',
      filterKind: '滤波器', rcLow: 'RC 低通', rcHigh: 'RC 高通', lcTank: 'LC 谐振',
      sallenKey: 'Sallen-Key 低通（单位增益）', filterJob: '求', filterDesign: '由频率选元件',
      filterOfParts: '由元件算频率', frequency: '频率（1k、50Hz）', q: 'Q 值 (--q)',
      rSeries: '电阻系列', cSeries: '电容系列', lSeries: '电感系列',
      r1: 'R（Sallen-Key：R1）', c1: 'C（Sallen-Key：C1）',
      format: '格式串', printfArgs: '参数，每行一个', explain: '列出各转换说明 (--explain)',
      raw: '格式串不做转义 (--raw)',
      randomKind: '类型', integers: '整数', floats: '浮点数', bytes: '字节', low: '最小值', high: '最大值',
      unique: '不重复 (--unique)', sort: '升序排列 (--sort)', asCArray: '输出为 C 数组 (--format c)',
      seed: '种子（--seed；留空则由浏览器生成）', drawSeed: '用浏览器的安全随机源生成种子',
      seedDrawn: '种子取自浏览器的安全随机源（crypto.getRandomValues）：用上面的命令可以生成同样的随机数。',
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
  // The module as the page holds it: deflated, then base64 (build_page.py).
  async function wasmBytes() {
    const base64 = $('quobrix-wasm').textContent.trim();
    // Decoded natively where the browser offers it: a character at a time
    // takes a tenth of the start.
    let deflated;
    if (Uint8Array.fromBase64) {
      deflated = Uint8Array.fromBase64(base64);
    } else {
      const text = atob(base64);
      deflated = new Uint8Array(text.length);
      for (let i = 0; i < text.length; ++i) deflated[i] = text.charCodeAt(i);
    }
    const inflated = new Blob([deflated]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
    return new Response(inflated).arrayBuffer();
  }
  const compiled = wasmBytes().then((bytes) => WebAssembly.compile(bytes));
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
      return { code, out: utf8.decode(out), err: utf8.decode(err), outBytes: out, errBytes: err };
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
    // The commands' notes and messages in the page's language.
    speak(language) { this.m._quobrix_set_language(language === 'zh' ? 1 : 0); }
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

  // `extra`: a note under the result, and the download its button gives
  // ({blob, name}) for the tools that offer one.
  function show(tool, words, result, extra = {}) {
    const box = document.querySelector(`.result[data-for="${tool}"]`);
    if (!box.firstElementChild) {
      box.append($('result-template').content.cloneNode(true));
      box.querySelector('.out').id = tool + '-out';
      box.querySelector('.err').id = tool + '-err';
      box.querySelector('.note').id = tool + '-note';
      box.querySelector('.copy').id = tool + '-copy';
      box.querySelector('.download').id = tool + '-download';
      for (const button of box.querySelectorAll('[data-t]')) button.textContent = t(button.dataset.t);
      box.querySelector('.copy').addEventListener('click', () => copyText(box.querySelector('.out').textContent));
      box.querySelector('.download').addEventListener('click', () => download(box.download));
    }
    box.querySelector('.note').textContent = extra.note || '';
    box.download = extra.download;
    box.querySelector('.download').hidden = !extra.download;
    box.querySelector('.download').disabled = false;
    box.querySelector('.command code').textContent =
        words ? 'quobrix ' + words.map(shellWord).join(' ') : '';
    const out = box.querySelector('.out');
    out.textContent = result.out;
    out.dataset.code = String(result.code);
    box.querySelector('.err').textContent = result.err;
    box.dataset.state = result.code === 0 ? 'ok' : 'error';
  }

  // The whole result, as the command wrote it, saved under `name`.
  function download({ blob, name }) {
    const url = URL.createObjectURL(blob);
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    // The browser has taken the file once the click is handled; the URL
    // is let go after a while rather than kept for the page's life.
    setTimeout(() => URL.revokeObjectURL(url), 60000);
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
    parts(f) {
      const series = f.series.value ? ['--series', f.series.value] : [];
      switch (f.mode.value) {
        case 'divider':
          return ['parts', 'divider', ...series, ...(f.total.value.trim() ? ['--total', f.total.value.trim()] : []),
            ...(f.count.value ? ['--count', f.count.value] : []),
            ...(f.ratio.value.trim() ? ['--ratio', f.ratio.value.trim()] : [f.vin.value.trim(), f.vout.value.trim()])];
        case 'code': {
          // Colour bands are words apart; a code is one word.
          const bands = f.code.value.trim().split(/\s+/).filter((w) => w);
          return ['parts', 'code', f.kind.value, ...(bands.length ? bands : [''])];
        }
        case 'mark':
          return ['parts', 'mark', f.kind.value,
            ...(f.tolerance.value.trim() ? ['--tolerance', f.tolerance.value.trim()] : []),
            ...(f.tempco.value.trim() ? ['--tempco', f.tempco.value.trim()] : []), f.value.value.trim()];
        default:
          return ['parts', ...series, f.value.value.trim()];
      }
    },
    filter(f) {
      const kind = f.kind.value || 'rc';
      const words = ['filter', kind === 'rc-high' ? 'rc' : kind];
      const given = (name, value) => (value.trim() ? [name, value.trim()] : []);
      if (f.job.value === 'parts') {
        // Every part is given, empty or not, so that a missing one is named.
        const parts = { lc: [['--l', f.l], ['--c', f.c1]],
          'sallen-key': [['--r1', f.r1], ['--r2', f.r2], ['--c1', f.c1], ['--c2', f.c2]] }[kind] ||
          [['--r', f.r1], ['--c', f.c1]];
        return [...words, ...parts.flatMap(([name, field]) => [name, field.value.trim()])];
      }
      if (kind === 'rc') words.push('--lowpass');
      if (kind === 'rc-high') words.push('--highpass');
      if (kind === 'sallen-key') words.push(...given('--q', f.q.value));
      if (kind !== 'lc') words.push(...given('--r-series', f.rSeries.value));
      words.push(...given('--c-series', f.cSeries.value));
      if (kind === 'lc') words.push(...given('--l-series', f.lSeries.value));
      return [...words, ...given('--count', f.count.value), f.freq.value.trim()];
    },
    // Each line an argument as typed, blanks kept: %s of ' a ' is three
    // characters.
    printf(f) {
      const args = f.args.value === '' ? [] : f.args.value.replace(/\r?\n$/, '').split(/\r?\n/);
      return ['printf', ...(f.raw.checked ? ['--raw'] : []), ...(f.explain.checked ? ['--explain'] : []),
        '--', f.format.value, ...args];
    },
    tools(f) {
      return [f.dialogTool.value, ...(f.kind.value === 'hex' ? ['--hex'] : []),
        ...(f.lowFirst.checked ? ['--low-first'] : []), '--', f.input.value];
    },
  };
  // Recovery in find may take a second, and a capture half typed is no
  // capture yet: these run when asked, the others as their inputs change.
  const ON_SUBMIT = new Set(['find', 'modbus', 'array']);
  // Results that are files as much as text: their Download button saves
  // the whole of them under these names.
  const DOWNLOAD_NAMES = { parts: () => 'parts.txt', filter: () => 'filter.txt', printf: () => 'printf.txt' };

  // ---- Runs in a worker: output of any size, and a file of any size --------

  // One worker for the runs whose output goes to a file (worker.js's
  // streamed run): a run still going when the next starts is given up with
  // its worker, as the file tab's cancel does.
  let runWorker = null;
  let runJob = null;
  function startRunWorker() {
    if (runWorker || !compiledModule) return;
    const url = URL.createObjectURL(new Blob([glue, '\n', workerSource], { type: 'text/javascript' }));
    runWorker = new Worker(url);
    URL.revokeObjectURL(url);
    runWorker.postMessage({ module: compiledModule });
  }
  // The run's result, and then, for a run that succeeded, its output as a
  // Blob (onBlob): the worker makes the Blob after the result, and the run
  // counts as going until it is there. Messages carry the run's number,
  // since a worker given up may still have posted some.
  let runNumber = 0;
  function runInWorker(words, file, onProgress, onBlob) {
    if (runJob) {
      runWorker.terminate();
      runWorker = null;
    }
    startRunWorker();
    const id = ++runNumber;
    runJob = id;
    const worker = runWorker;
    return new Promise((resolve) => {
      worker.onmessage = ({ data }) => {
        if (runJob !== id || data.id !== id) return;
        if (data.progress !== undefined) {
          onProgress(data.progress);
        } else if (data.blob !== undefined) {
          runJob = null;
          onBlob(data.blob);
        } else {
          if (data.code !== 0) runJob = null;
          resolve(data);
        }
      };
      worker.onerror = (e) => {
        if (runJob !== id) return;
        runJob = null;
        resolve({ code: 2, err: String(e.message) + '\n', size: 0, head: new Uint8Array(0) });
      };
      worker.postMessage({ module: compiledModule, id, run: words, file, language: lang });
    });
  }

  const hexLine = (bytes) => Array.from(bytes, (b) => b.toString(16).toUpperCase().padStart(2, '0')).join(' ');

  // The run's output as the tab shows it: text, or bytes as hex; the whole
  // of it to download once the command has succeeded.
  async function showStreamed(tool, words, file, { binary, name, note = '' }) {
    const progress = $(tool + '-progress');
    const onProgress = (done) => {
      if (!progress || !file) return;
      progress.hidden = false;
      progress.value = file.size ? done / file.size : 1;
      $('status').textContent = `${t('working')} ${Math.floor(progress.value * 100)} %`;
    };
    const download = { blob: null, name };
    const onBlob = (blob) => {
      download.blob = blob;
      const button = $(tool + '-download');
      if (button) button.disabled = false;
    };
    const result = await runInWorker(words, file, onProgress, onBlob);
    if (progress) progress.hidden = true;
    $('status').textContent = t('ready');
    const notes = [note];
    if (result.size > result.head.length) notes.push(t('shownPart')(result.head.length, result.size));
    else if (binary && result.size) notes.push(t('bytesAsHex')(result.size));
    const out = binary ? hexLine(result.head) : utf8.decode(result.head);
    show(tool, words, { code: result.code, out, err: result.err }, {
      note: notes.filter((n) => n).join(' '),
      download: result.code === 0 ? download : undefined,
    });
    // The Blob of a large output comes a while after the result.
    $(tool + '-download').disabled = result.code === 0 && !download.blob;
  }

  // The file the C array tab was given: a browser's file, not kept in the link.
  let arrayFile = null;

  function arrayWords(f, source) {
    const reverse = f.direction.value === 'reverse';
    const words = ['array'];
    const flag = (name, on) => (on ? [name] : []);
    if (reverse) {
      words.push('--reverse', ...(f.type.value ? ['--type', f.type.value] : []),
        ...(f.char.value ? ['--char', f.char.value] : []));
    } else {
      words.push(...(f.name.value.trim() ? option('--name', f.name.value.trim()) : []),
        ...(f.type.value ? ['--type', f.type.value] : []), ...flag('--pad', f.pad.checked),
        ...(f.perLine.value ? ['--per-line', f.perLine.value] : []), ...flag('--decimal', f.decimal.checked),
        ...flag('--static', f.static.checked), ...flag('--mutable', f.mutable.checked),
        ...flag('--header', f.header.checked), ...flag('--crc', f.crc.checked));
    }
    if (source === 'file') return [...words, '--', arrayFile.name];
    return [...words, ...option(source === 'hex' ? '--hex' : '--text', f.input.value)];
  }

  // The array's name, else the file's, as the window names what it saves;
  // bytes back from fw.bin.c are fw.bin again.
  function arrayDownloadName(f, source) {
    const fileName = source === 'file' && arrayFile ? arrayFile.name : '';
    if (f.direction.value === 'reverse') {
      const base = fileName.replace(/\.(c|h|cc|cpp|txt)$/i, '') || 'data';
      return base.includes('.') ? base : base + '.bin';
    }
    return (f.name.value.trim() || fileName || 'data') + (f.header.checked ? '.h' : '.c');
  }

  const STREAMED = {
    array(f) {
      const source = f.source.value;
      if (source === 'file' && !arrayFile) {
        show('array', null, { code: 0, out: '', err: '' }, { note: t('noFile') });
        return;
      }
      showStreamed('array', arrayWords(f, source), source === 'file' ? arrayFile : undefined,
        { binary: f.direction.value === 'reverse', name: arrayDownloadName(f, source) });
    },
    // Without a seed of the user's, the browser's secure generator draws
    // one: the command shown, seed and all, makes the same numbers again.
    random(f) {
      let seed = f.seed.value.trim();
      let note = '';
      if (!seed) {
        seed = crypto.getRandomValues(new BigUint64Array(1))[0].toString();
        note = t('seedDrawn');
      }
      const kind = f.kind.value;
      const range = f.low.value.trim() + '..' + f.high.value.trim();
      const words = ['random', ...(f.count.value.trim() ? ['--count', f.count.value.trim()] : []),
        ...(kind === 'bytes' ? ['--bytes'] : option(kind === 'float' ? '--float' : '--range', range)),
        ...(kind === 'range' && f.unique.checked ? ['--unique'] : []),
        ...(kind !== 'bytes' && f.sort.checked ? ['--sort'] : []),
        ...(f.c.checked ? ['--format', 'c', ...(f.name.value.trim() ? option('--name', f.name.value.trim()) : [])] : []),
        '--seed', seed];
      showStreamed('random', words, undefined,
        { binary: false, name: (f.name.value.trim() || 'random') + (f.c.checked ? '.c' : '.txt'), note });
    },
  };

  // The controls a choice makes meaningless are hidden: each .field says
  // which choices it belongs to.
  function refreshFields(tool) {
    const f = $(tool + '-form');
    if (!f) return;
    const value = (name) => (f.elements[name] ? f.elements[name].value : '');
    const among = (list, v) => list.split(' ').includes(v);
    for (const el of f.querySelectorAll('.field')) {
      const d = el.dataset;
      const shown = (d.source === undefined || among(d.source, value('source'))) &&
        (d.forward === undefined || value('direction') !== 'reverse') &&
        (d.reverse === undefined || value('direction') === 'reverse') &&
        (d.modes === undefined || among(d.modes, value('mode'))) &&
        (d.job === undefined || d.job === value('job')) &&
        (d.kinds === undefined || among(d.kinds, value('kind'))) &&
        (d.c === undefined || f.elements.c.checked);
      el.hidden = !shown;
    }
  }

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
    } else if (STREAMED[tool]) {
      STREAMED[tool](f);
    } else {
      const words = TOOLS[tool](f);
      const result = quobrix.run(words);
      const name = DOWNLOAD_NAMES[tool];
      show(tool, words, result, name && result.code === 0 ? { download: { blob: new Blob([result.outBytes]),
        name: name(f) } } : {});
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
    if (STREAMED[tool]) startRunWorker();
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

  // ---- The faces' corpus ------------------------------------------------------

  // The entry the tabs run commands through, for tests/corpus/page_face.py
  // to put the corpus's cases through the page: results as the exact bytes
  // the command wrote, where the tabs show text. A case's file goes to the
  // run worker as the C array tab's chosen file does, and its output is the
  // Blob the tab would download.
  function corpusEntry() {
    return {
      run: (words, input) => quobrix.run(words, input),
      runFile: (words, name, bytes) => new Promise((resolve) => {
        let result = null;
        let blob = null;
        const settle = async () => {
          if (!result || (result.code === 0 && !blob)) return;
          resolve({ code: result.code, outBytes: blob ? new Uint8Array(await blob.arrayBuffer()) : result.head,
            errBytes: result.errBytes ?? encoder.encode(result.err), cut: !blob && result.size > result.head.length });
        };
        runInWorker(words, new File([bytes], name), () => {}, (made) => { blob = made; settle(); })
          .then((given) => { result = given; settle(); });
      }),
    };
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
    for (const tool of [...Object.keys(TOOLS), ...Object.keys(STREAMED)]) {
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
    for (const tool of ['array', 'parts', 'filter', 'random']) {
      for (const event of ['input', 'change']) $(tool + '-form').addEventListener(event, () => refreshFields(tool));
    }
    const useArrayFile = (files) => {
      if (!files.length) return;
      arrayFile = files[0];
      $('array-file-name').textContent = ' ' + arrayFile.name;
      $('array-form').querySelector('input[name=source][value=file]').checked = true;
      refreshFields('array');
      runTool('array');
    };
    $('array-file').addEventListener('change', (e) => useArrayFile(e.target.files));
    const arrayDrop = $('array-drop');
    arrayDrop.addEventListener('dragover', (e) => { e.preventDefault(); arrayDrop.classList.add('over'); });
    arrayDrop.addEventListener('dragleave', () => arrayDrop.classList.remove('over'));
    arrayDrop.addEventListener('drop', (e) => {
      e.preventDefault();
      arrayDrop.classList.remove('over');
      useArrayFile(e.dataTransfer.files);
    });
    $('random-draw-seed').addEventListener('click', () => {
      $('random-seed').value = crypto.getRandomValues(new BigUint64Array(1))[0].toString();
      runTool('random');
    });
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
      if (quobrix) quobrix.speak(lang);
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
    quobrix.speak(lang);
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
    for (const tool of ['array', 'parts', 'filter', 'random']) refreshFields(tool);
    if (serialOffered()) setSerialOpen(false);
    selectTab(current, false);
    if (state.get('tool') && (TOOLS[current] || STREAMED[current])) runTool(current);
    window.quobrixCorpus = corpusEntry();
    document.body.dataset.ready = 'true';
    $('status').textContent = t('ready');
  }).catch((e) => {
    $('status').textContent = t('failed') + e;
    throw e;
  });
})();
