#!/usr/bin/env python3
"""pymodbus 3.0 (Debian's python3-pymodbus) as the other end of a MODBUS TCP
link, for the master's and the slave's tests.

  pymodbus_peer.py server [rtu|ascii DEVICE]
      Serves unit 1 on 127.0.0.1 on a port the system chooses and prints
      "port N"; or, given a framing and a serial device (one end of a pty
      pair, 115200 8N1), serves it there and prints "serving". Then each line "dump" on standard input prints the values it
      holds as one JSON object; "quit" (or the end of input) ends it.
      Holding registers 0-19 start as 100 + address, input registers 0-9 as
      200 + address, coils 0-15 as address % 3 == 0, discrete inputs 0-15 as
      address % 2 == 1.

  pymodbus_peer.py check
      Exits 0 when everything above can be imported.

  pymodbus_peer.py client PORT
      Connects to 127.0.0.1:PORT as unit 1, reads and writes as below and
      prints one JSON object a line for each answer it got.

Exit status 77 when pymodbus is not installed.
"""
import asyncio
import json
import sys

try:
    from pymodbus.client import ModbusTcpClient
    from pymodbus.datastore import ModbusServerContext, ModbusSlaveContext, ModbusSequentialDataBlock
    from pymodbus.register_read_message import ReadWriteMultipleRegistersRequest
    from pymodbus.register_write_message import MaskWriteRegisterRequest
    from pymodbus.server.async_io import ModbusSerialServer, ModbusTcpServer
    from pymodbus.transaction import ModbusAsciiFramer, ModbusRtuFramer
    import serial_asyncio  # noqa: F401  the serial server's transport
except ImportError:
    sys.exit(77)


def dump(store):
    return json.dumps({
        "holding": store.getValues(3, 0, 20),
        "input": store.getValues(4, 0, 10),
        "coils": [bool(b) for b in store.getValues(1, 0, 16)],
        "discrete": [bool(b) for b in store.getValues(2, 0, 16)],
    }, sort_keys=True)


async def serve(framing=None, device=None):
    store = ModbusSlaveContext(
        hr=ModbusSequentialDataBlock(0, [100 + a for a in range(20)]),
        ir=ModbusSequentialDataBlock(0, [200 + a for a in range(10)]),
        co=ModbusSequentialDataBlock(0, [a % 3 == 0 for a in range(16)]),
        di=ModbusSequentialDataBlock(0, [a % 2 == 1 for a in range(16)]),
        zero_mode=True)
    context = ModbusServerContext(slaves={1: store}, single=False)
    if framing is None:
        server = ModbusTcpServer(context, address=("127.0.0.1", 0))
        task = asyncio.ensure_future(server.serve_forever())
        await server.serving
        print("port", server.server.sockets[0].getsockname()[1], flush=True)
    else:
        framer = ModbusRtuFramer if framing == "rtu" else ModbusAsciiFramer
        server = ModbusSerialServer(context, framer=framer, port=device, baudrate=115200)
        await server.start()
        task = asyncio.ensure_future(server.serve_forever())
        print("serving", flush=True)
    loop = asyncio.get_event_loop()
    while True:
        line = await loop.run_in_executor(None, sys.stdin.readline)
        if line.strip() == "dump":
            print(dump(store), flush=True)
        else:
            break
    task.cancel()
    if framing is None:
        await server.server_close()


def answer(name, response):
    if response.isError():
        return json.dumps({"op": name, "exception": getattr(response, "exception_code", -1)}, sort_keys=True)
    fields = {"op": name}
    if hasattr(response, "registers"):
        fields["registers"] = list(response.registers)
    if hasattr(response, "bits"):
        fields["bits"] = [bool(b) for b in response.bits]
    # What a write's answer confirms.
    for name in ("address", "count", "value", "and_mask", "or_mask"):
        if hasattr(response, name):
            fields[name] = getattr(response, name)
    return json.dumps(fields, sort_keys=True)


def client(port):
    connection = ModbusTcpClient("127.0.0.1", port=port, timeout=5, retries=0)
    if not connection.connect():
        print("cannot connect", file=sys.stderr)
        return 1
    steps = [
        ("read_holding", lambda: connection.read_holding_registers(0, 3, slave=1)),
        ("read_input", lambda: connection.read_input_registers(2, 2, slave=1)),
        ("read_coils", lambda: connection.read_coils(0, 10, slave=1)),
        ("read_discrete", lambda: connection.read_discrete_inputs(1, 3, slave=1)),
        ("write_registers", lambda: connection.write_registers(5, [7, 8, 9], slave=1)),
        ("write_register", lambda: connection.write_register(1, 0xBEEF, slave=1)),
        ("write_coils", lambda: connection.write_coils(0, [True, False, True], slave=1)),
        ("write_coil", lambda: connection.write_coil(9, True, slave=1)),
        ("mask_write", lambda: connection.execute(MaskWriteRegisterRequest(2, 0x00F2, 0x0025, unit=1))),
        ("read_write", lambda: connection.execute(ReadWriteMultipleRegistersRequest(
            read_address=4, read_count=4, write_address=6, write_registers=[0x1111, 0x2222], unit=1))),
        ("read_back", lambda: connection.read_holding_registers(0, 9, slave=1)),
        ("read_missing", lambda: connection.read_holding_registers(9, 2, slave=1)),
    ]
    for name, step in steps:
        print(answer(name, step()), flush=True)
    connection.close()
    return 0


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "check":
        sys.exit(0)
    elif len(sys.argv) == 2 and sys.argv[1] == "server":
        asyncio.run(serve())
    elif len(sys.argv) == 4 and sys.argv[1] == "server" and sys.argv[2] in ("rtu", "ascii"):
        asyncio.run(serve(sys.argv[2], sys.argv[3]))
    elif len(sys.argv) >= 3 and sys.argv[1] == "client":
        sys.exit(client(int(sys.argv[2])))
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
