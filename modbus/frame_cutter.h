// A received MODBUS byte stream cut into frames, as a master cuts answers
// and a slave requests: TCP by the MBAP length, ASCII from ':' to LF, RTU
// by the function's layout (rtu_length.h) and, where no layout tells, the
// line's silence. Bytes that can be no frame come out as noise, so a caller
// can log them. Pure: the caller says what time it is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "link/framer.h"
#include "modbus/adu.h"
#include "modbus/pdu.h"

struct ModbusStreamPiece {
    bool frame = true;  // false: noise, dropped
    LinkBytes bytes;
    std::string why;  // for noise: why it is no frame
};

class ModbusFrameCutter {
public:
    // `incoming`: what the other side sends, requests to a slave, responses
    // to a master. `gap_us`: RTU's silence between frames (0 over TCP, where
    // each arrival counts as one).
    ModbusFrameCutter(ModbusFraming framing, ModbusDirection incoming, LinkTime gap_us);

    void Push(const unsigned char* bytes, std::size_t size, LinkTime time);

    // The next frame or noise that the bytes so far and the silence up to
    // `now` make; false while what is pending may still grow into a frame.
    bool Next(LinkTime now, ModbusStreamPiece& piece);

    // The frame Next gave failed its check, so the stream is out of step:
    // in RTU the rest of its burst is dropped as noise, up to the next
    // silence, and incomplete frames give way to the silence until a new
    // burst starts a frame.
    void Resynchronise();

    // When the silence will next decide something pending (a frame by
    // silence, a stale part), or -1 when nothing waits on it.
    LinkTime NextWake(LinkTime now) const;

    // A diagnostics answer echoes its request: an RTU master knows its size.
    void SetDiagnosticsSize(std::size_t frame_size) { diagnostics_size_ = frame_size; }

    void Clear();
    bool pending() const { return !pending_.empty() || !skipped_.empty(); }

private:
    bool NextTcp(ModbusStreamPiece& piece);
    bool NextAscii(ModbusStreamPiece& piece);
    bool NextRtu(LinkTime now, ModbusStreamPiece& piece);
    ModbusStreamPiece Take(std::size_t size, bool frame, std::string why);

    ModbusFraming framing_;
    ModbusDirection incoming_;
    LinkTime gap_us_;
    // An incomplete frame silent this long is given up: a serial adapter may
    // pause within a frame for longer than the gap, never for this long.
    LinkTime stale_us_;
    std::size_t diagnostics_size_ = 0;

    LinkBytes pending_;
    std::vector<bool> burst_start_;  // for each pending byte: silence came before it
    LinkTime last_time_ = 0;         // when the last byte came
    bool resynchronising_ = false;
    bool skipping_ = false;  // dropping the rest of a refused burst until the line falls silent
    LinkBytes skipped_;
};
