#!/usr/bin/env python3
"""Frames built by pymodbus 3.0's own framers, for the MODBUS library's tests
to build again and compare byte for byte.

Each line: FRAMING KIND UNIT TRANSACTION ARGS... = HEX, where FRAMING is rtu,
ascii or tcp; KIND names the message (read, write_register, write_coil,
write_registers, write_coils, read_registers_response, read_bits_response,
mask_write, read_write, exception, device_id, echo) and ARGS are its numbers in
decimal (lists as comma-separated values, "-" for an empty one). Exits 77
when pymodbus is not installed, so the test can skip.
"""
import random
import sys

try:
    from pymodbus.bit_read_message import ReadCoilsRequest, ReadCoilsResponse, ReadDiscreteInputsRequest
    from pymodbus.bit_write_message import WriteMultipleCoilsRequest, WriteSingleCoilRequest
    from pymodbus.diag_message import ReturnQueryDataRequest
    from pymodbus.factory import ClientDecoder
    from pymodbus.framer.ascii_framer import ModbusAsciiFramer
    from pymodbus.framer.rtu_framer import ModbusRtuFramer
    from pymodbus.framer.socket_framer import ModbusSocketFramer
    from pymodbus.mei_message import ReadDeviceInformationRequest
    from pymodbus.pdu import ExceptionResponse
    from pymodbus.register_read_message import (ReadHoldingRegistersRequest, ReadHoldingRegistersResponse,
                                                ReadInputRegistersRequest, ReadWriteMultipleRegistersRequest)
    from pymodbus.register_write_message import (MaskWriteRegisterRequest, WriteMultipleRegistersRequest,
                                                 WriteSingleRegisterRequest)
except ImportError:
    sys.exit(77)

FRAMERS = {
    "rtu": ModbusRtuFramer(ClientDecoder()),
    "ascii": ModbusAsciiFramer(ClientDecoder()),
    "tcp": ModbusSocketFramer(ClientDecoder()),
}


def listed(values):
    return ",".join(str(int(v)) for v in values) if values else "-"


def messages(rng):
    """(kind, args, message) for one of each kind, with random fields."""
    address = rng.randrange(0x10000)
    count = rng.randrange(1, 126)
    registers = [rng.randrange(0x10000) for _ in range(rng.randrange(1, 124))]
    bits = [rng.random() < 0.5 for _ in range(rng.randrange(1, 1969))]
    read_bits = [rng.random() < 0.5 for _ in range(8 * rng.randrange(1, 251))]
    for function, request in ((1, ReadCoilsRequest), (2, ReadDiscreteInputsRequest),
                              (3, ReadHoldingRegistersRequest), (4, ReadInputRegistersRequest)):
        yield "read", [function, address, count], request(address, count)
    value = rng.randrange(0x10000)
    yield "write_register", [address, value], WriteSingleRegisterRequest(address, value)
    on = rng.random() < 0.5
    yield "write_coil", [address, int(on)], WriteSingleCoilRequest(address, on)
    yield "write_registers", [address, listed(registers)], WriteMultipleRegistersRequest(address, registers)
    yield "write_coils", [address, listed(bits)], WriteMultipleCoilsRequest(address, bits)
    yield ("read_registers_response", [listed(registers[:125])], ReadHoldingRegistersResponse(registers[:125]))
    # pymodbus pads the bits to whole bytes itself: give it whole bytes.
    yield "read_bits_response", [listed(read_bits)], ReadCoilsResponse(read_bits)
    and_mask, or_mask = rng.randrange(0x10000), rng.randrange(0x10000)
    yield "mask_write", [address, and_mask, or_mask], MaskWriteRegisterRequest(address, and_mask, or_mask)
    written = registers[:121]
    yield ("read_write", [address, count, value, listed(written)],
           ReadWriteMultipleRegistersRequest(read_address=address, read_count=count, write_address=value,
                                             write_registers=written))
    code = rng.choice([1, 2, 3, 4, 5, 6, 8, 10, 11])
    yield "exception", [3, code], ExceptionResponse(3, code)
    read_code, object_id = rng.randrange(1, 5), rng.randrange(256)
    yield "device_id", [read_code, object_id], ReadDeviceInformationRequest(read_code=read_code, object_id=object_id)
    echo = [rng.randrange(256), rng.randrange(256)]
    yield "echo", [listed(echo)], ReturnQueryDataRequest(echo[0] << 8 | echo[1])


def main():
    rng = random.Random(20261210)
    for _ in range(8):
        for framing, framer in FRAMERS.items():
            for kind, args, message in messages(rng):
                message.unit_id = rng.randrange(1, 248)
                message.transaction_id = rng.randrange(0x10000)
                packet = framer.buildPacket(message)
                fields = [framing, kind, str(message.unit_id), str(message.transaction_id)] + [str(a) for a in args]
                print(" ".join(fields), "=", packet.hex(" ").upper())
    return 0


if __name__ == "__main__":
    sys.exit(main())
