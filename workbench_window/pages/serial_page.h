// The serial and TCP assistant's logic, without a window: the port's fields
// read into settings, the bytes a send box holds, the check appended to what
// is sent and verified on what comes back, one row per frame with its
// verdict, the counters, the sent frames' history and the log's lines. The
// window holds the link and its reading thread; everything it shows comes
// from here. Texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/framer.h"
#include "link/link_check.h"
#include "link/serial_settings.h"
#include "link/text_view.h"

namespace serial_page {

// The choices of the page's combo boxes, in their order.
std::vector<std::string> BaudChoices();       // "9600" first among the common rates
std::vector<std::string> DataBitsChoices();   // 8, 7, 6, 5
std::vector<std::string> ParityChoices();     // 无, 偶, 奇, 标记, 空格 (Parity's order)
std::vector<std::string> StopBitsChoices();   // 1, 1.5, 2 (StopBits's order)
std::vector<std::string> FlowChoices();       // 无, RTS/CTS, XON/XOFF (FlowControl's order)

// The serial fields as a port's settings: the baud as typed (any rate the
// driver may take, kMinBaud to kMaxBaud) and the combo boxes' selections.
// False with why in `error`.
bool ReadSettings(const std::string& baud, int data_bits_index, int parity_index, int stop_bits_index,
                  int flow_index, SerialSettings& settings, std::string& error);

// The silence that ends a received frame, in milliseconds, as the gap field
// starts at for `settings`: the command line's 20 ms (a USB adapter hands
// bytes on in bursts up to 16 ms apart), longer where 3.5 characters at a
// slow rate take longer than that.
int DefaultGapMs(const SerialSettings& settings);
// The gap field read: 1 to 60000 ms; false with why in `error`.
bool ReadGapMs(const std::string& text, int& gap_ms, std::string& error);

// A TCP host:port (client) or a port to listen on, as typed. False with why.
bool ReadHostPort(const std::string& text, std::string& host, std::string& port, std::string& error);
bool ReadListenPort(const std::string& text, std::string& port, std::string& error);

// What the send box holds as bytes: hex digits (the frame page's rules), or
// text as GBK or UTF-8 bytes. False with why in `error` (no byte, a
// character GBK has no bytes for).
bool SendBytes(const std::string& text, bool hex, TextEncoding encoding, LinkBytes& bytes, std::string& error);

// The check appended on sending and verified on receiving: a catalogue
// model or a sum by name, its bytes high first or low first.
bool ReadCheck(const std::string& model, bool little_endian, LinkCheck& check, std::string& error);

// "✔ CRC-16/MODBUS" when `frame` carries `check` (named `model`), else
// "✘ 应为 C5 CD" with the bytes its data calls for, or "✘ 太短" when it has
// no room for a data byte and the check.
std::string Verdict(const LinkCheck& check, const std::string& model, const LinkBytes& frame, bool& ok);

enum class Direction { kReceived, kSent };

// One row of the list: a frame received (or bytes that made no whole frame)
// or sent.
struct Row {
    std::string time;       // the time of day, "12:03:04.125"
    Direction direction = Direction::kReceived;
    std::string hex, text;  // "01 03 …", the bytes as text (escapes for controls)
    std::string verdict;    // "" without a check
    bool ok = true;         // false: the check failed
    LinkBytes bytes;
};
// "收" or "发".
std::string DirectionWord(Direction direction);

// A row's hex or text as the list shows it: past kListCellChars characters
// cut, at a character's start, with "…" and the frame's length in bytes. A
// list row shows no more, and the window lays a cell's text out in time
// that grows with its length: a stream of long frames at 921600 baud would
// keep it from answering clicks. The row's bytes stay whole.
constexpr std::size_t kListCellChars = 192;
std::string ListCell(const std::string& utf8, std::size_t frame_bytes);

// Milliseconds since midnight as "HH:MM:SS.mmm".
std::string TimeOfDay(long long ms_of_day);

struct Counters {
    std::uint64_t rx_bytes = 0, tx_bytes = 0, rx_frames = 0, tx_frames = 0;
};
// "收 12 帧 / 340 字节   发 12 帧 / 96 字节"
std::string CountersText(const Counters& counters);

// A frame to the sent frames' history: newest first, an equal one moved to
// the top instead of kept twice, at most `limit` kept.
void Remember(std::deque<LinkBytes>& history, const LinkBytes& frame, std::size_t limit = 50);

// The log's line for a row: "12:03:04.125 收 01 03 … | text | ✔ CRC-16/MODBUS".
std::string LogLine(const Row& row);

// The session as the page shows it: rows as they come, counted; held back
// while paused and shown when the pause ends; the oldest dropped beyond a
// number of rows or of their bytes, so that a stream left running for hours
// stays within memory (a row's texts take about five times its bytes).
class Session {
public:
    explicit Session(std::size_t max_rows = 50000, std::size_t max_bytes = 8u << 20)
        : max_rows_(max_rows), max_bytes_(max_bytes) {}

    // The check applied to what comes and goes from now on (none: nullopt).
    void SetCheck(std::optional<LinkCheck> check, std::string model) {
        check_ = std::move(check);
        model_ = std::move(model);
    }
    void SetEncoding(TextEncoding encoding) { encoding_ = encoding; }

    // A frame sent, stamped `ms_of_day`; its bytes are the check's already.
    void AddSent(const LinkBytes& frame, long long ms_of_day);
    // What the framer handed out: a frame is checked, noise and an
    // incomplete part are shown as they are, without a verdict.
    void AddReceived(const LinkFrame& frame, long long ms_of_day);

    // Rows not yet taken, none while paused.
    std::vector<Row> TakeNew();
    void SetPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    // The list and the counters begin again.
    void Clear();

    const Counters& counters() const { return counters_; }
    // Every row kept, for the log: shown or not.
    const std::deque<Row>& rows() const { return rows_; }
    // Rows dropped off the front since the start (or the last Clear).
    std::uint64_t dropped() const { return dropped_; }
    // The log file's text: a line per row kept, CR LF ends.
    std::string LogText() const;

private:
    void Add(Row row);

    std::size_t max_rows_, max_bytes_;
    std::size_t kept_bytes_ = 0;  // of the rows kept
    std::deque<Row> rows_;
    std::size_t untaken_ = 0;  // the last rows of rows_ not yet taken
    std::uint64_t dropped_ = 0;
    Counters counters_;
    bool paused_ = false;
    std::optional<LinkCheck> check_;
    std::string model_;
    TextEncoding encoding_ = TextEncoding::kGbk;
};

// The bytes of a row for another page: the hex line as the 校验识别 page
// takes frames (one a line), the 帧 page's form, the 数值 page's hex.
std::string FramesText(const std::vector<LinkBytes>& frames);

}  // namespace serial_page
