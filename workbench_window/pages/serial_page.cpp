#include "workbench_window/pages/serial_page.h"

#include <algorithm>
#include <cstdio>

#include "cli/hex_bytes.h"
#include "codepage/gbk_codec.h"
#include "workbench/frames/frame_build.h"
#include "workbench_window/pages/field_number.h"

namespace serial_page {

namespace {

std::string Spaced(const Bytes& bytes) { return HexLine(bytes.data(), bytes.size()); }

}  // namespace

std::vector<std::string> BaudChoices() {
    return {"9600", "1200", "2400", "4800", "19200", "38400", "57600", "115200", "230400", "460800", "921600"};
}
std::vector<std::string> DataBitsChoices() { return {"8", "7", "6", "5"}; }
std::vector<std::string> ParityChoices() { return {"无", "偶", "奇", "标记", "空格"}; }
std::vector<std::string> StopBitsChoices() { return {"1", "1.5", "2"}; }
std::vector<std::string> FlowChoices() { return {"无", "RTS/CTS", "XON/XOFF"}; }

bool ReadSettings(const std::string& baud, int data_bits_index, int parity_index, int stop_bits_index,
                  int flow_index, SerialSettings& settings, std::string& error) {
    long long rate = 0;
    if (!ReadFieldNumber(baud, kMinBaud, kMaxBaud, rate)) {
        error = "波特率应为 " + std::to_string(kMinBaud) + " 到 " + std::to_string(kMaxBaud) + " 的整数";
        return false;
    }
    if (data_bits_index < 0 || data_bits_index > 3 || parity_index < 0 || parity_index > 4 || stop_bits_index < 0 ||
        stop_bits_index > 2 || flow_index < 0 || flow_index > 2) {
        error = "请选择数据位、校验位、停止位和流控";
        return false;
    }
    settings.baud = static_cast<unsigned long>(rate);
    settings.data_bits = 8 - data_bits_index;
    settings.parity = static_cast<Parity>(parity_index);
    settings.stop_bits = static_cast<StopBits>(stop_bits_index);
    settings.flow = static_cast<FlowControl>(flow_index);
    return true;
}

int DefaultGapMs(const SerialSettings& settings) {
    constexpr int kAdapterGapMs = 20;
    const LinkTime characters_us = CharacterGapUs(3.5, settings);
    return std::max<int>(kAdapterGapMs, static_cast<int>((characters_us + 999) / 1000));
}

bool ReadGapMs(const std::string& text, int& gap_ms, std::string& error) {
    long long value = 0;
    if (!ReadFieldNumber(text, 1, 60000, value)) {
        error = "帧间隔应为 1 到 60000 毫秒";
        return false;
    }
    gap_ms = static_cast<int>(value);
    return true;
}

bool ReadHostPort(const std::string& text, std::string& host, std::string& port, std::string& error) {
    const std::size_t colon = text.rfind(':');
    long long number = 0;
    if (colon == std::string::npos || colon == 0 || !ReadFieldNumber(text.substr(colon + 1), 1, 65535, number)) {
        error = "地址应为 主机:端口，如 192.168.1.10:502";
        return false;
    }
    host = text.substr(0, colon);
    // [::1]:502: the brackets only set the port apart.
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    port = std::to_string(number);
    return true;
}

bool ReadListenPort(const std::string& text, std::string& port, std::string& error) {
    long long number = 0;
    if (!ReadFieldNumber(text, 1, 65535, number)) {
        error = "监听端口应为 1 到 65535";
        return false;
    }
    port = std::to_string(number);
    return true;
}

bool SendBytes(const std::string& text, bool hex, TextEncoding encoding, LinkBytes& bytes, std::string& error) {
    bytes.clear();
    if (hex) {
        std::string why;
        if (!ReadHexBytes(text, "发送内容", bytes, why)) {
            error = why;
            return false;
        }
        return true;
    }
    if (text.empty()) {
        error = "发送内容为空";
        return false;
    }
    if (encoding == TextEncoding::kUtf8) {
        bytes.assign(text.begin(), text.end());
        return true;
    }
    std::string gbk;
    std::size_t at = 0;
    if (Utf8ToGbk(text, gbk, at) != Utf8ToGbkResult::Ok) {
        error = "第 " + std::to_string(at + 1) + " 字节处的字符在 GBK 中没有编码，请改用 UTF-8";
        return false;
    }
    bytes.assign(gbk.begin(), gbk.end());
    return true;
}

bool ReadCheck(const std::string& model, bool little_endian, LinkCheck& check, std::string& error) {
    std::string note;
    if (!ReadLinkCheck(model + (little_endian ? " le" : " be"), std::nullopt, std::nullopt, check, note, error)) {
        // A one-byte check has no order: asked again without one.
        std::string second;
        if (!ReadLinkCheck(model, std::nullopt, std::nullopt, check, note, second)) return false;
        error.clear();
    }
    return true;
}

std::string Verdict(const LinkCheck& check, const std::string& model, const LinkBytes& frame, bool& ok) {
    const FrameVerdict verdict = VerifyFrame(check.method, check.order, check.head, check.tail, frame);
    ok = verdict.kind == FrameVerdict::kOk;
    switch (verdict.kind) {
        case FrameVerdict::kOk:
            return "✔ " + model;
        case FrameVerdict::kTooShort:
            return "✘ 太短";
        case FrameVerdict::kCheckDiffers:
            return "✘ 应为 " + Spaced(CheckBytes(verdict.computed, check.method.byte_count(), check.order));
        case FrameVerdict::kHeadDiffers:
        case FrameVerdict::kTailDiffers:
            break;
    }
    return "✘ 帧头或帧尾不符";
}

std::string DirectionWord(Direction direction) { return direction == Direction::kSent ? "发" : "收"; }

std::string ListCell(const std::string& utf8, std::size_t frame_bytes) {
    std::size_t chars = 0, at = 0;
    for (; at < utf8.size(); ++at) {
        // A character starts at every byte but a UTF-8 continuation byte.
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) continue;
        if (chars == kListCellChars) break;
        ++chars;
    }
    if (at == utf8.size()) return utf8;
    return utf8.substr(0, at) + "…（共 " + std::to_string(frame_bytes) + " 字节）";
}

std::string TimeOfDay(long long ms_of_day) {
    ms_of_day %= 24LL * 3600 * 1000;
    if (ms_of_day < 0) ms_of_day += 24LL * 3600 * 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", ms_of_day / 3600000, ms_of_day / 60000 % 60,
                  ms_of_day / 1000 % 60, ms_of_day % 1000);
    return text;
}

std::string CountersText(const Counters& c) {
    return "收 " + std::to_string(c.rx_frames) + " 帧 / " + std::to_string(c.rx_bytes) + " 字节   发 " +
           std::to_string(c.tx_frames) + " 帧 / " + std::to_string(c.tx_bytes) + " 字节";
}

void Remember(std::deque<LinkBytes>& history, const LinkBytes& frame, std::size_t limit) {
    const auto same = std::find(history.begin(), history.end(), frame);
    if (same != history.end()) history.erase(same);
    history.push_front(frame);
    while (history.size() > limit) history.pop_back();
}

std::string LogLine(const Row& row) {
    std::string line = row.time + " " + DirectionWord(row.direction) + " " + row.hex + " | " + row.text;
    if (!row.verdict.empty()) line += " | " + row.verdict;
    return line;
}

namespace {

std::string TextOf(const LinkBytes& bytes, TextEncoding encoding) {
    // Each frame on its own: a character its end cuts shows as bytes.
    TextView view(encoding);
    std::string text = view.Decode(bytes.data(), bytes.size());
    text += view.Finish();
    return text;
}

}  // namespace

void Session::AddSent(const LinkBytes& frame, long long ms_of_day) {
    Row row;
    row.time = TimeOfDay(ms_of_day);
    row.direction = Direction::kSent;
    row.hex = Spaced(frame);
    row.text = TextOf(frame, encoding_);
    row.bytes = frame;
    counters_.tx_bytes += frame.size();
    ++counters_.tx_frames;
    Add(std::move(row));
}

void Session::AddReceived(const LinkFrame& frame, long long ms_of_day) {
    Row row;
    row.time = TimeOfDay(ms_of_day);
    row.hex = Spaced(frame.bytes);
    row.text = TextOf(frame.bytes, encoding_);
    row.bytes = frame.bytes;
    counters_.rx_bytes += frame.bytes.size();
    if (frame.kind == LinkFrame::kFrame) {
        ++counters_.rx_frames;
        if (check_) row.verdict = Verdict(*check_, model_, frame.bytes, row.ok);
    } else {
        row.verdict = frame.kind == LinkFrame::kNoise ? "(帧外字节)" : "(不完整)";
        row.ok = false;
    }
    Add(std::move(row));
}

void Session::Add(Row row) {
    kept_bytes_ += row.bytes.size();
    rows_.push_back(std::move(row));
    ++untaken_;
    // The newest row stays, however long.
    while (rows_.size() > 1 && (rows_.size() > max_rows_ || kept_bytes_ > max_bytes_)) {
        kept_bytes_ -= rows_.front().bytes.size();
        rows_.pop_front();
        ++dropped_;
    }
    untaken_ = std::min(untaken_, rows_.size());
}

std::vector<Row> Session::TakeNew() {
    std::vector<Row> rows;
    if (paused_) return rows;
    rows.assign(rows_.end() - static_cast<std::ptrdiff_t>(untaken_), rows_.end());
    untaken_ = 0;
    return rows;
}

void Session::Clear() {
    rows_.clear();
    kept_bytes_ = 0;
    untaken_ = 0;
    dropped_ = 0;
    counters_ = Counters();
}

std::string Session::LogText() const {
    std::string text;
    for (const Row& row : rows_) text += LogLine(row) + "\r\n";
    return text;
}

std::string FramesText(const std::vector<LinkBytes>& frames) {
    std::string text;
    for (const LinkBytes& frame : frames) {
        if (!text.empty()) text += "\r\n";
        text += Spaced(frame);
    }
    return text;
}

}  // namespace serial_page
