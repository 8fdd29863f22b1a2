// The page's way into the library: plain C functions over byte buffers, which
// JavaScript calls on the WebAssembly module's memory. Every result is what
// `quobrix` itself prints for the same command, since the commands run
// through RunCli and the file lines through the command line's own writers.
//
// Results stay in the module until the next call: quobrix_out() and
// quobrix_err() point at them, quobrix_out_size() and quobrix_err_size()
// give their lengths. Buffers passed in are the caller's (malloc and free are
// exported beside these).
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Runs one command of `quobrix`. `args` holds the arguments without the
// program's name, each ended by a NUL byte, `args_size` bytes in all;
// `input` is standard input. Returns the exit status; standard output and
// standard error are the results.
int quobrix_run(const char* args, size_t args_size, const char* input, size_t input_size);

// Runs one command as quobrix_run does, for output of any size and the
// page's file: standard output goes to the page a block at a time as the
// command writes it (the module's import quobrix_page_write, which the
// page's worker provides), and the one FILE the words name is read from the
// page (quobrix_page_read), whatever its name. Standard error is kept as
// quobrix_run keeps it.
int quobrix_run_streamed(const char* args, size_t args_size, const char* input, size_t input_size);

// A file's CRC, block by block, for a file larger than the memory one would
// give it: begin with the model's name (or parameter line) and notation (0
// hex, 1 the bytes high first, 2 low first), update with each block, finish
// with the file's name. Finish puts the line `quobrix crc MODEL FILE` prints
// into standard output. Begin returns 0, or 2 with the messages of `quobrix
// crc` in standard error (a former name's note comes there too, with 0).
int quobrix_crc_begin(const char* model, size_t model_size, int notation);
void quobrix_crc_update(const char* data, size_t size);
int quobrix_crc_finish(const char* name, size_t name_size);

// A large file is hashed in spans side by side, each by a worker of its own,
// and the spans joined: a worker begins as above, then begins its span,
// which counts nothing before it, updates with the span's bytes, and takes
// its register (standard output, 32 hex digits). Whoever finishes the file
// begins, joins each span's register with the span's size in the file's
// order, and finishes. Join returns 0, or 2 with a message in standard error
// for a register that is no 32 hex digits, a size that is no whole number of
// bytes, or no CRC begun.
void quobrix_crc_begin_span(void);
void quobrix_crc_register(void);
int quobrix_crc_join(const char* reg, size_t reg_size, double span_size);

// The line `quobrix crc` prints for a file it cannot read, into standard
// error: the name and why (the browser's words).
void quobrix_crc_read_error(const char* name, size_t name_size, const char* why, size_t why_size);

// The catalogue for a list to choose from, as JSON in standard output:
// [{"name":"CRC-3/GSM","width":3,"check":"4"}, ...] in its order.
void quobrix_catalogue(void);

// The dialog's tools for a list to choose from, as JSON in standard output:
// [{"name":"sum8","summary":"8-bit additive checksum","button":"8位校验和"}, ...]
// in the order of `quobrix --help`, each button's caption the dialog's own.
void quobrix_dialog_tools(void);

// The serial tab's link: the bytes the browser's port reads cut into frames
// by silence, by the framer quobrix serial uses, each frame verified by the
// check quobrix serial --check takes, and each frame sent built with it.
//
// Open gives a handle above 0: frames end after `gap_ms` of silence;
// `encoding` 0 shows text as UTF-8, 1 as GBK, and text sent is written so;
// 0 with the message in standard error for a gap of none or no such
// encoding.
int quobrix_link_open(double gap_ms, int encoding);
// The check appended to frames sent and verified on frames received from
// now on: as --check takes it ("CRC-16/MODBUS le"), or empty for none.
// 0, or 2 with the message in standard error (then the check is none).
int quobrix_link_check(int link, const char* check, size_t check_size);
// Bytes read at `time_ms` (a monotonic clock's milliseconds, as
// performance.now() gives). Standard output gets the pieces they complete
// as JSON, and the result is how many:
// [{"kind":"frame","time":12.5,"hex":"01 03","text":"\x01\x03",
//   "verdict":{"ok":false,"expected":"C5 CD","found":"C5 CE","why":"..."}}]
// where kind is frame (the only kind silence gives, but for a port closed
// mid-frame, which is also a frame), "verdict" is there with a check, and
// "expected" and "found" only when the check's bytes differ.
int quobrix_link_push(int link, const char* bytes, size_t size, double time_ms);
// The clock at `now_ms` with nothing read: a frame silent for the gap is
// complete. Output as push.
int quobrix_link_idle(int link, double now_ms);
// When idle would complete the frame pending, in the clock's milliseconds,
// or -1 when nothing waits.
double quobrix_link_deadline(int link);
// The port closed: what is pending, as push gives it.
int quobrix_link_finish(int link);
void quobrix_link_close(int link);
// A frame to send: `data` as hex digits (kind 0) or as text (kind 1, in the
// link's encoding), the link's check after it. Standard output gets
// {"bytes":[1,3,...],"hex":"01 03 ...","text":"..."}; 0, or 2 with why in
// standard error.
int quobrix_link_send(int link, const char* data, size_t size, int kind);

// The language of the commands' notes and messages from now on: 0 English
// (as the module starts), 1 Chinese.
void quobrix_set_language(int chinese);

const char* quobrix_out(void);
size_t quobrix_out_size(void);
const char* quobrix_err(void);
size_t quobrix_err_size(void);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#include "cli/commands.h"

// The commands quobrix_run runs: those the page offers (the dialog's tools,
// crc, find, frame, num, array, random, parts, filter, printf and modbus),
// so that the module carries no other command's code. Its --help lists them
// alone.
extern const CliCommandTable kPageCommands;
#endif
