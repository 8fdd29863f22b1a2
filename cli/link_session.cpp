#include "cli/link_session.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <iostream>
#include <mutex>
#include <thread>

#include "cli/crc_text.h"
#include "cli/hex_bytes.h"
#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"

#ifdef _WIN32
#include <io.h>
#define QUOBRIX_READ _read
#else
#include <unistd.h>
#define QUOBRIX_READ ::read
#endif

const char kLinkOptionsHelp[] =
    "  --send HEX      a frame to send, hex digits as quobrix frame takes DATA;\n"
    "                  again for more frames, sent in the order given\n"
    "  --send-text TEXT  a frame of TEXT's characters in --encoding's bytes\n"
    "  --check CHECK   the check appended to each frame sent and verified on\n"
    "                  each frame received: a line quobrix find prints\n"
    "                  ('CRC-16/MODBUS le'), a catalogue or sum name, a CRC\n"
    "                  parameter line; without it, once the frames received\n"
    "                  bear one out, the check they carry is named\n"
    "  --head HEX, --tail HEX  bytes around data and check, as quobrix frame\n"
    "  --repeat MS     send the frames again every MS milliseconds\n"
    "  --count N       that many rounds (default 1; 0 until Ctrl+C)\n"
    "  --wait MS       how long to wait for each answer (default 1000; 0 sends\n"
    "                  without waiting)\n"
    "  --gap MS|Nc     a frame received ends after MS milliseconds of silence\n"
    "                  (default 20: a USB adapter hands bytes on in bursts up to\n"
    "                  16 ms apart), or N characters at the port's settings\n"
    "                  (3.5c: MODBUS RTU, 1.75 ms above 19200 baud)\n"
    "  --frame RULE    frames cut by bytes instead: lines (CR, LF or CR LF),\n"
    "                  lines=cr|lf|crlf; start=HEX, end=HEX or both\n"
    "                  (start=02,end=03); length=OFFSET:SIZE[:be|le[:ADJUST]]\n"
    "                  (a SIZE-byte length field at OFFSET, plus ADJUST, is the\n"
    "                  whole frame's length). A frame left incomplete is shown\n"
    "                  as such after --gap, or a second, of silence\n"
    "  --log FILE      append every frame, both directions, with the time of\n"
    "                  day, each line written out as it happens\n"
    "  --encoding utf-8|gbk  how the text column reads the bytes and how\n"
    "                  text sent is written (default utf-8); bytes that are no\n"
    "                  character show as \\xHH\n"
    "  --input hex|text  without --send, what standard input's lines are\n"
    "                  (default hex)\n"
    "  --eol none|cr|lf|crlf  what ends a text line sent (default crlf)\n"
    "  --no-time       lines without the seconds since the start (the log\n"
    "                  keeps the time of day)\n";

void AddLinkOptions(CLI::App& sub, LinkWords& words) {
    // Each --send and --send-text as it is parsed, so that the frames keep
    // the order of the command line.
    sub.add_option_function<std::string>("--send", [&words](const std::string& word) {
           words.sends.emplace_back(false, word);
       })
        ->trigger_on_parse()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    sub.add_option_function<std::string>("--send-text", [&words](const std::string& word) {
           words.sends.emplace_back(true, word);
       })
        ->trigger_on_parse()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    words.check_option = sub.add_option("--check", words.check);
    words.head_option = sub.add_option("--head", words.head);
    words.tail_option = sub.add_option("--tail", words.tail);
    words.repeat_option = sub.add_option("--repeat", words.repeat);
    words.count_option = sub.add_option("--count", words.count);
    words.gap_option = sub.add_option("--gap", words.gap);
    words.frame_option = sub.add_option("--frame", words.frame);
    words.wait_option = sub.add_option("--wait", words.wait);
    words.log_option = sub.add_option("--log", words.log);
    words.encoding_option = sub.add_option("--encoding", words.encoding);
    words.input_option = sub.add_option("--input", words.input);
    words.eol_option = sub.add_option("--eol", words.eol);
    words.no_time = sub.add_flag("--no-time")->disable_flag_override();
}

namespace {

// ---- Judging the command line ------------------------------------------

// Text to send (UTF-8, as typed) in the link's encoding; `what` names it in
// the error.
bool LinkTextBytes(const std::string& text, TextEncoding encoding, const std::string& what, std::string& bytes,
                   std::string& error) {
    if (encoding != TextEncoding::kGbk) {
        bytes = text;
        return true;
    }
    return GbkTextBytes(text, what, bytes, error);
}

bool ReadGap(const std::string& text, bool has_baud, LinkOptions& options, std::string& error) {
    std::string number = text;
    options.gap_in_characters = !number.empty() && number.back() == 'c';
    if (options.gap_in_characters) number.pop_back();
    char* end = nullptr;
    errno = 0;
    const double value = number.empty() ? -1 : std::strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0' || errno != 0 || !(value > 0) || value > 3.6e6) {
        error = "--gap takes milliseconds (20, 2.5) or characters (3.5c), not '" + EscapeBytes(text) + "'";
        return false;
    }
    if (options.gap_in_characters && !has_baud) {
        error = "--gap " + EscapeBytes(text) + ": a TCP link has no characters to count; give milliseconds";
        return false;
    }
    options.gap = value;
    return true;
}

bool ReadRule(const std::string& text, FramingRule& rule, std::string& error) {
    const std::string what = "--frame '" + EscapeBytes(text) + "'";
    if (text == "lines" || text.rfind("lines=", 0) == 0) {
        rule.kind = FramingRule::kLines;
        const std::string end = text == "lines" ? "any" : text.substr(6);
        if (end == "any") {
            rule.line_end = FramingRule::kAnyEnd;
        } else if (end == "cr") {
            rule.line_end = FramingRule::kCr;
        } else if (end == "lf") {
            rule.line_end = FramingRule::kLf;
        } else if (end == "crlf") {
            rule.line_end = FramingRule::kCrLf;
        } else {
            error = what + ": lines ends with cr, lf or crlf";
            return false;
        }
        return true;
    }
    if (text.rfind("length=", 0) == 0) {
        rule.kind = FramingRule::kLength;
        std::vector<std::string> parts;
        std::string rest = text.substr(7) + ":";
        for (std::size_t at; (at = rest.find(':')) != std::string::npos; rest.erase(0, at + 1)) {
            parts.push_back(rest.substr(0, at));
        }
        unsigned long long offset = 0, size = 0;
        bool sound = parts.size() >= 2 && parts.size() <= 4 && ReadDecimalWord(parts[0], 1 << 16, offset) &&
                     ReadDecimalWord(parts[1], 4, size) && (size == 1 || size == 2 || size == 4);
        if (sound && parts.size() >= 3) sound = parts[2] == "be" || parts[2] == "le";
        long long adjust = 0;
        if (sound && parts.size() == 4) {
            const std::string& a = parts[3];
            unsigned long long magnitude = 0;
            const bool negative = !a.empty() && a[0] == '-';
            const std::size_t digits = !a.empty() && (a[0] == '-' || a[0] == '+') ? 1 : 0;
            sound = ReadDecimalWord(a.substr(digits), 1 << 16, magnitude);
            adjust = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
        }
        if (!sound) {
            error = what + ": length=OFFSET:SIZE[:be|le[:ADJUST]], SIZE 1, 2 or 4 (length=4:2:be:6)";
            return false;
        }
        rule.offset = offset;
        rule.field_size = static_cast<int>(size);
        rule.big_endian = parts.size() < 3 || parts[2] == "be";
        rule.adjust = adjust;
        return true;
    }
    rule.kind = FramingRule::kMarks;
    std::string rest = text + ",";
    for (std::size_t at; (at = rest.find(',')) != std::string::npos; rest.erase(0, at + 1)) {
        const std::string part = rest.substr(0, at);
        const bool start = part.rfind("start=", 0) == 0, end = part.rfind("end=", 0) == 0;
        if (!start && !end) {
            error = what + ": RULE is lines, start=HEX, end=HEX or length=OFFSET:SIZE[:be|le[:ADJUST]]";
            return false;
        }
        std::string hex_error;
        if (!ReadHexBytes(part.substr(start ? 6 : 4), start ? "--frame start" : "--frame end",
                          start ? rule.start : rule.end, hex_error)) {
            error = hex_error;
            return false;
        }
    }
    return true;
}

}  // namespace

bool CompleteLinkOptions(const LinkWords& words, bool has_baud, LinkOptions& options, std::string& error) {
    if (words.encoding_option->count() > 0) {
        if (words.encoding != "utf-8" && words.encoding != "gbk") {
            error = "--encoding takes utf-8 or gbk, not '" + EscapeBytes(words.encoding) + "'";
            return false;
        }
        options.encoding = words.encoding == "gbk" ? TextEncoding::kGbk : TextEncoding::kUtf8;
    }
    for (const auto& [is_text, word] : words.sends) {
        LinkBytes bytes;
        if (is_text) {
            // The text as the peer reads it: in the encoding the text column
            // shows, so what is sent and what is shown agree.
            std::string encoded;
            if (!LinkTextBytes(word, options.encoding, "--send-text", encoded, error)) return false;
            bytes.assign(encoded.begin(), encoded.end());
        } else if (!ReadHexBytes(word, "--send", bytes, error)) {
            return false;
        }
        options.sends.push_back(bytes);
    }
    std::optional<LinkBytes> head, tail;
    for (auto [option, text, name, end] :
         {std::make_tuple(words.head_option, &words.head, "--head", &head),
          std::make_tuple(words.tail_option, &words.tail, "--tail", &tail)}) {
        if (option->count() == 0) continue;
        *end = LinkBytes();
        if (!ReadHexBytes(*text, name, **end, error)) return false;
    }
    if (words.check_option->count() > 0) {
        LinkCheck check;
        if (!ReadLinkCheck(words.check, head, tail, check, options.check_note, error)) return false;
        if (!options.sends.empty() && !CanSend(check, error)) return false;
        options.check = check;
    } else if (head || tail) {
        error = "--head and --tail go with --check";
        return false;
    }
    unsigned long long value = 0;
    if (words.repeat_option->count() > 0) {
        if (!ReadDecimalWord(words.repeat, 86400000ULL, value)) {
            error = "--repeat takes milliseconds, not '" + EscapeBytes(words.repeat) + "'";
            return false;
        }
        options.repeat_ms = static_cast<long long>(value);
        options.count = 0;  // repeated until --count or Ctrl+C says stop
    }
    if (words.count_option->count() > 0 && !ReadDecimalWord(words.count, ~0ULL >> 1, options.count)) {
        error = "--count takes a number of rounds, not '" + EscapeBytes(words.count) + "'";
        return false;
    }
    if (words.wait_option->count() > 0) {
        if (!ReadDecimalWord(words.wait, 86400000ULL, value)) {
            error = "--wait takes milliseconds, not '" + EscapeBytes(words.wait) + "'";
            return false;
        }
        options.wait_ms = static_cast<long long>(value);
    }
    options.gap_given = words.gap_option->count() > 0;
    if (options.gap_given && !ReadGap(words.gap, has_baud, options, error)) return false;
    if (words.frame_option->count() > 0) {
        FramingRule rule;
        if (!ReadRule(words.frame, rule, error)) return false;
        options.rule = rule;
    }
    if (words.log_option->count() > 0) options.log_path = words.log;
    options.no_time = words.no_time->count() > 0;
    if (words.input_option->count() > 0) {
        if (words.input != "hex" && words.input != "text") {
            error = "--input takes hex or text, not '" + EscapeBytes(words.input) + "'";
            return false;
        }
        options.text_input = words.input == "text";
    }
    if (words.eol_option->count() > 0) {
        const std::string& e = words.eol;
        if (e != "none" && e != "cr" && e != "lf" && e != "crlf") {
            error = "--eol takes none, cr, lf or crlf, not '" + EscapeBytes(e) + "'";
            return false;
        }
        options.eol = e == "none" ? "" : e == "cr" ? "\r" : e == "lf" ? "\n" : "\r\n";
    }
    return true;
}

namespace {

// ---- The session -------------------------------------------------------

// Standard input's lines, read on a thread of their own: the session waits
// on the link, and no single wait covers a console and a port on every system.
class StdinLines {
public:
    StdinLines() {
        // Read by the descriptor, not through stdio: a thread blocked in
        // getchar holds the stream's lock, which exit() may wait for.
        std::thread([shared = shared_] {
            std::string line;
            char block[4096];
            for (;;) {
                const auto n = QUOBRIX_READ(0, block, sizeof block);
                if (n <= 0) break;
                for (int i = 0; i < static_cast<int>(n); ++i) {
                    if (block[i] != '\n') {
                        line += block[i];
                        continue;
                    }
                    Put(*shared, line, false);
                    line.clear();
                }
            }
            Put(*shared, line, true);
        }).detach();
    }
    // The next line, if one is there; `ended` once input ended and every
    // line was taken.
    bool Take(std::string& line, bool& ended) {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        ended = shared_->ended && shared_->lines.empty();
        if (shared_->lines.empty()) return false;
        line = shared_->lines.front();
        shared_->lines.pop_front();
        return true;
    }

private:
    // Shared with the thread, which outlives the session at an interrupt
    // (it is blocked in a read no one can end) and so must not point into it.
    struct Shared {
        std::mutex mutex;
        std::deque<std::string> lines;
        bool ended = false;
    };
    static void Put(Shared& shared, const std::string& line, bool end) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (!end || !line.empty()) shared.lines.push_back(line);
        shared.ended = end;
    }
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

class Session {
public:
    Session(Link& link, const LinkOptions& options, const SerialSettings* settings, const CliEnvironment& env,
            std::string& out, std::string& err)
        : link_(link), options_(options), env_(env), out_(out), err_(err), framer_(Rule(options, settings)) {
        // With --frame, a part left incomplete is given up after --gap, or
        // after a second: long enough for a peer that writes a frame in
        // pieces, short enough to show one that stopped.
        constexpr LinkTime kDefaultIdleUs = 1000000;
        idle_us_ = !options.rule ? 0 : options.gap_given ? gap_us_ : kDefaultIdleUs;
    }

    int Run();

private:
    FramingRule Rule(const LinkOptions& options, const SerialSettings* settings) {
        gap_us_ = options.gap_in_characters && settings != nullptr
                      ? (options.gap == 3.5 ? ModbusGapUs(*settings) : CharacterGapUs(options.gap, *settings))
                      : static_cast<LinkTime>(options.gap * 1000.0 + 0.5);
        if (gap_us_ < 1) gap_us_ = 1;
        if (options.rule) return *options.rule;
        FramingRule rule;
        rule.gap_us = gap_us_;
        return rule;
    }

    bool OpenLog();
    void Print(const std::string& line, LinkTime at = -1);
    void Message(const std::string& line);
    // Reads and frames until `deadline`, or, with `until_frame`, until more
    // than `frames_before` frames have come; false once the link ended
    // (`closed_`), what came before shown. Whether that is an error is the
    // caller's to say: not after the last answer.
    bool Pump(LinkTime deadline, bool until_frame, std::size_t frames_before);
    void Show(const LinkFrame& frame);
    // Writes the frame, reading meanwhile; false, with the message out,
    // when not all of it went.
    bool Send(const LinkBytes& data);
    void ReportGone() {
        Message(link_.Name() + ": " + closed_error_);
        link_lost_ = true;
    }
    bool Interactive();
    bool Rounds();

    Link& link_;
    const LinkOptions& options_;
    const CliEnvironment& env_;
    std::string& out_;
    std::string& err_;
    LinkTime gap_us_ = 0, idle_us_ = 0;
    Framer framer_;
    LinkTime start_ = LinkNow();
    std::FILE* log_ = nullptr;
    bool failed_ = false;     // a check failed or an answer did not come
    bool link_lost_ = false;  // the port or the peer went away while needed
    bool closed_ = false;       // it went away
    std::string closed_error_;  // how
    std::size_t frames_seen_ = 0;
    std::vector<LinkBytes> unchecked_;  // frames received with no --check, for naming theirs
    bool named_ = false;
};

bool Session::OpenLog() {
    if (options_.log_path.empty()) return true;
    log_ = std::fopen(options_.log_path.c_str(), "ab");
    if (log_ == nullptr) {
        err_ += kPrefix + EscapeBytes(options_.log_path) + ": " + std::strerror(errno) + "\n";
        return false;
    }
    return true;
}

// One line to standard output and the log, each written out at once: an
// interrupt or a pulled cable loses nothing that was shown.
// A frame received is stamped with the time its first byte arrived, not
// the time the silence after it ended the frame: a round trip read off the
// lines is the device's, without the --gap waited for.
void Session::Print(const std::string& line, LinkTime at) {
    const LinkTime since = std::max<LinkTime>((at < 0 ? LinkNow() : at) - start_, 0);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%lld.%06lld ", static_cast<long long>(since / 1000000),
                  static_cast<long long>(since % 1000000));
    const std::string text = (options_.no_time ? "" : stamp) + line + "\n";
    if (env_.write_stdout) {
        env_.write_stdout(text);
    } else {
        out_ += text;
    }
    if (log_ != nullptr) {
        const std::time_t now = std::time(nullptr);
        char wall[32];
        std::strftime(wall, sizeof wall, "%Y-%m-%d %H:%M:%S ", std::localtime(&now));
        const std::string logged = wall + text;
        std::fwrite(logged.data(), 1, logged.size(), log_);
        std::fflush(log_);
    }
}

// A message line on standard error, and in the log.
void Session::Message(const std::string& line) {
    const std::string text = kPrefix + line + "\n";
    if (env_.write_stderr) {
        env_.write_stderr(text);
    } else {
        err_ += text;
    }
    if (log_ != nullptr) {
        std::fwrite(text.data(), 1, text.size(), log_);
        std::fflush(log_);
    }
}

void Session::Show(const LinkFrame& frame) {
    std::string line = frame.kind == LinkFrame::kFrame ? "RX " : frame.kind == LinkFrame::kNoise ? "RX noise " : "RX incomplete ";
    line += HexLine(frame.bytes.data(), frame.bytes.size());
    // Each frame's text on its own: a character cut by the frame's end is
    // shown as bytes in the frame that holds them, not joined to the next
    // frame's (the reads within a frame are joined by the framer already).
    TextView text(options_.encoding);
    line += " | " + text.Decode(frame.bytes.data(), frame.bytes.size());
    line += text.Finish();  // after Decode: a + b would leave the order to the compiler
    if (frame.kind == LinkFrame::kFrame) {
        ++frames_seen_;
        if (options_.check) {
            bool ok = false;
            line += " | " + CheckVerdict(*options_.check, frame.bytes, ok);
            if (!ok) failed_ = true;
        }
    }
    Print(line, frame.first_time);
    if (frame.kind == LinkFrame::kFrame && !options_.check && !named_ && unchecked_.size() < 64) {
        unchecked_.push_back(frame.bytes);
        // From three frames on the evidence may suffice.
        if (unchecked_.size() >= 3) {
            const std::string found = IdentifyCheck(unchecked_);
            if (!found.empty()) {
                named_ = true;
                Message("the frames carry " + found + " (--check '" + found + "' verifies them)");
            }
        }
    }
}

bool Session::Pump(LinkTime deadline, bool until_frame, std::size_t frames_before) {
    std::vector<LinkFrame> frames;
    bool looked = false;  // at least one read, even with the deadline past
    while (!Interrupted() && !closed_) {
        const LinkTime now = LinkNow();
        framer_.Idle(now, idle_us_, frames);
        for (const LinkFrame& f : frames) Show(f);
        frames.clear();
        if (until_frame && frames_seen_ > frames_before) return true;
        if (deadline >= 0 && now >= deadline && looked) return true;
        looked = true;
        LinkTime wait = deadline < 0 ? 100000 : std::max<LinkTime>(deadline - now, 0);
        const LinkTime framer_deadline = framer_.Deadline(idle_us_);
        if (framer_deadline >= 0) wait = std::min(wait, std::max<LinkTime>(framer_deadline - now, 0));
        // Not long at once: Ctrl+C is looked at between reads.
        const LinkRead read = link_.Read(std::min<LinkTime>(wait, 100000));
        if (read.status == LinkRead::kData) {
            framer_.Push(read.bytes.data(), read.bytes.size(), read.time, frames);
        } else if (read.status != LinkRead::kTimeout) {
            framer_.Finish(frames);
            for (const LinkFrame& f : frames) Show(f);
            closed_ = true;
            closed_error_ = read.error;
        }
    }
    return !closed_;
}

bool Session::Send(const LinkBytes& data) {
    const LinkBytes frame = options_.check ? BuildLinkFrame(*options_.check, data) : data;
    TextView text(options_.encoding);
    const std::string shown = text.Decode(frame.data(), frame.size());
    Print("TX " + HexLine(frame.data(), frame.size()) + " | " + shown + text.Finish());
    std::size_t done = 0;
    while (done < frame.size() && !Interrupted()) {
        if (closed_) {
            ReportGone();
            return false;
        }
        std::string error;
        const long long n = link_.WriteSome(frame.data() + done, frame.size() - done, 10000, error);
        if (n < 0) {
            Message(link_.Name() + ": " + error);
            link_lost_ = true;
            return false;
        }
        done += static_cast<std::size_t>(n);
        // What comes back meanwhile is read, so a peer that answers as it
        // reads never waits on us while we wait on it.
        Pump(LinkNow(), false, frames_seen_);
    }
    return true;
}

bool Session::Interactive() {
    StdinLines lines;
    while (!Interrupted()) {
        std::string line;
        bool ended = false;
        while (lines.Take(line, ended)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            LinkBytes bytes;
            if (options_.text_input) {
                std::string encoded, error;
                if (!LinkTextBytes(line, options_.encoding, "the line", encoded, error)) {
                    Message(error);
                    continue;
                }
                encoded += options_.eol;
                bytes.assign(encoded.begin(), encoded.end());
            } else if (line.find_first_not_of(" \t") == std::string::npos) {
                continue;
            } else {
                std::string error;
                if (!ReadHexBytes(line, "the line", bytes, error)) {
                    Message(error);
                    continue;
                }
            }
            if (!Send(bytes)) return false;
        }
        // Input ended: the answers to the last lines still count.
        const LinkTime until = LinkNow() + (ended ? options_.wait_ms * 1000 : 50000);
        if (!Pump(until, false, frames_seen_)) {
            // The terminal needs the link for as long as it runs.
            ReportGone();
            return false;
        }
        if (ended) return true;
    }
    return true;
}

// Each round sends every frame and waits for its answer; false when the
// link failed while still needed.
bool Session::Rounds() {
    for (unsigned long long round = 0; !Interrupted() && (options_.count == 0 || round < options_.count); ++round) {
        const LinkTime round_start = LinkNow();
        const bool last_round = options_.count != 0 && round + 1 >= options_.count;
        for (std::size_t i = 0; i < options_.sends.size() && !Interrupted(); ++i) {
            const std::size_t before = frames_seen_;
            if (!Send(options_.sends[i])) return false;
            if (options_.wait_ms > 0) Pump(LinkNow() + options_.wait_ms * 1000, true, before);
            const bool answered = frames_seen_ > before;
            if (options_.wait_ms > 0 && !answered && !Interrupted()) {
                if (!closed_) Message(link_.Name() + ": no answer within " + std::to_string(options_.wait_ms) + " ms");
                failed_ = true;
            }
            // A peer that closes once it answered the last frame (as many a
            // device's server does) leaves nothing undone.
            if (closed_) {
                if (!(answered && last_round && i + 1 == options_.sends.size())) ReportGone();
                return !link_lost_;
            }
        }
        if (options_.repeat_ms >= 0 && !last_round && !Pump(round_start + options_.repeat_ms * 1000, false, 0)) {
            ReportGone();
            return false;
        }
    }
    return true;
}

int Session::Run() {
    if (!OpenLog()) return kExitUsage;
    const InterruptScope interrupt;
    if (!options_.check_note.empty()) Message(options_.check_note);
    const bool ok = options_.sends.empty() ? Interactive() : Rounds();
    if (ok && !closed_ && !Interrupted()) {
        // What is still arriving completes the last frame; the link may
        // end meanwhile, which is no longer an error.
        if (framer_.pending()) Pump(LinkNow() + std::max(gap_us_, idle_us_), false, 0);
        std::vector<LinkFrame> frames;
        framer_.Finish(frames);
        for (const LinkFrame& f : frames) Show(f);
    }
    if (Interrupted()) Message(link_.Name() + ": interrupted; the log is complete");
    if (log_ != nullptr) std::fclose(log_);
    if (link_lost_) return kExitUsage;
    return failed_ ? kExitMessageBox : kExitReport;
}

}  // namespace

int RunLinkSession(Link& link, const LinkOptions& options, const SerialSettings* settings, const CliEnvironment& env,
                   std::string& out, std::string& err) {
    Session session(link, options, settings, env, out, err);
    return session.Run();
}
