// A MODBUS slave: a device simulated from a map of its coils, discrete
// inputs, input registers and holding registers, which answers every public
// function of pdu.h as a device would: the values asked for, writes kept,
// an exception for an address the map does not hold (02 ILLEGAL DATA
// ADDRESS), a count past the protocol's limits (03) or a function it does
// not know (01), and no answer at all to a request sent to unit 0
// (broadcast), whose writes it still carries out.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "link/link.h"
#include "modbus/addressing.h"
#include "modbus/adu.h"
#include "modbus/pdu.h"

// What the device holds: each table a map from address to value, so an
// address is there or it is not.
struct ModbusDataModel {
    std::map<std::uint16_t, bool> coils, discrete_inputs;
    std::map<std::uint16_t, std::uint16_t> input_registers, holding_registers;
    // The objects a device identification request reads (0x00 vendor name,
    // 0x01 product code, 0x02 revision, ...).
    std::map<unsigned char, std::string> identification;
};

// A map file, one entry a line, '#' to the end of a line a comment:
//   TYPE [ORDER] REFERENCE VALUE...
// TYPE is bit (coils, discrete inputs), u16, i16, u32, i32, u64, i64, f32,
// f64 or string; ORDER the byte order of a wider number (abcd, cdab, ...,
// as register_numbers.h names them; abcd when left out); REFERENCE the
// table and first address as 40001 or 400001 (addressing.h), or a table
// word and a 0-based address ("holding 0"); the VALUEs fill the following
// addresses in turn. `id NUMBER TEXT` sets an identification object. An
// entry that overlaps one before it is an error. False with the line
// number and what is wrong in `error`.
bool ReadModbusMap(const std::string& text, ModbusDataModel& model, std::string& error);

struct ModbusSlaveSettings {
    unsigned char unit = 1;  // the unit it answers as; 0: any unit
};

// What the slave did with one request, for its log.
struct ModbusSlaveEvent {
    ModbusAdu request;
    ModbusBytes response_pdu;  // empty when no answer went out
    // One line: "unit 1 Read Holding Registers 0 count 2 -> 2 registers",
    // "... -> exception 02 ILLEGAL DATA ADDRESS", "broadcast: no answer",
    // "unit 5 is not ours: no answer", or what was wrong with the frame.
    std::string summary;
    // The bytes as the link carried them, for a traffic view: the request
    // (or the bytes skipped), and the answer's frame, empty when none went.
    ModbusBytes received, sent;
};

class ModbusSlave {
public:
    ModbusSlave(ModbusDataModel& model, const ModbusSlaveSettings& settings);

    // The response PDU to `request` (function code first), or an empty PDU
    // when none is due (broadcast, another unit). Writes change the model.
    // Safe from several threads at once (the clients of one TCP server):
    // each request is answered whole under the slave's lock.
    // Unit 0 is a broadcast on a serial line (and RTU over TCP, which a
    // gateway puts on one); on TCP, 0 and 255 address the device itself.
    ModbusBytes Answer(const ModbusAdu& request, ModbusSlaveEvent& event,
                       ModbusFraming framing = ModbusFraming::kRtu);

    // Runs `change` on the model under the slave's lock: the device's own
    // side (a simulator's user setting an input) changes what the masters
    // read, never halfway through an answer.
    void Change(const std::function<void(ModbusDataModel&)>& change);

private:
    ModbusDataModel& model_;
    ModbusSlaveSettings settings_;
    std::mutex mutex_;
};

// Serves `link` (one serial port, or one TCP connection) in `framing`
// until the link closes or `stop` says so (asked at least every 50 ms):
// requests cut from the stream as the framing says (RTU by the function's
// layout and the silence of `gap_us`), each answered through `slave` and
// told to `log`. Returns "" when the peer closed or `stop` said so, else
// what failed.
std::string ServeModbusLink(Link& link, ModbusFraming framing, LinkTime gap_us, ModbusSlave& slave,
                            const std::function<void(const ModbusSlaveEvent&)>& log,
                            const std::function<bool()>& stop);

// One thing a TCP server did, for its log: a client came, a client's
// request was served, a client went.
struct ModbusClientEvent {
    enum Kind { kConnected, kRequest, kEnded };
    Kind kind = kConnected;
    int client = 0;                             // 1, 2, ... in the order they came
    const ModbusSlaveEvent* request = nullptr;  // kRequest's
    std::string failure;                        // kEnded's: "" when the client closed
};

// Serves every client `listener` accepts, each on its own thread through
// ServeModbusLink and the one `slave`, until `stop` says so (asked at
// least every 200 ms); then waits for the clients' threads. `log` is called
// from those threads, perhaps at once. A client's thread is joined once it
// ends, so a master that connects for every poll leaves nothing behind.
// Returns "" when `stop` said so, else what failed with the listener.
std::string ServeModbusTcp(LinkListener& listener, ModbusFraming framing, ModbusSlave& slave,
                           const std::function<void(const ModbusClientEvent&)>& log,
                           const std::function<bool()>& stop);
