// Frames built by pymodbus 3.0's framers (Debian's python3-pymodbus), built
// again here from the same fields and compared byte for byte, then parsed
// back. Skipped when that pymodbus is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "modbus/adu.h"
#include "modbus/pdu.h"
#include "support/modbus_oracle.h"

namespace {

using namespace modbus_oracle;

std::vector<unsigned long> List(const std::string& text) {
    std::vector<unsigned long> values;
    if (text == "-") return values;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) values.push_back(std::stoul(item));
    return values;
}

std::vector<std::uint16_t> Registers(const std::string& text) {
    std::vector<std::uint16_t> values;
    for (const unsigned long value : List(text)) values.push_back(static_cast<std::uint16_t>(value));
    return values;
}

std::vector<bool> Bits(const std::string& text) {
    std::vector<bool> bits;
    for (const unsigned long value : List(text)) bits.push_back(value != 0);
    return bits;
}

// The PDU of one line's message, built by this library; "" kind unknown.
bool BuildPdu(const std::string& kind, const std::vector<std::string>& args, ModbusBytes& pdu,
              ModbusDirection& direction) {
    const auto n = [&](std::size_t i) { return static_cast<std::uint16_t>(std::stoul(args.at(i))); };
    direction = ModbusDirection::kRequest;
    if (kind == "read") {
        pdu = ReadRequest(static_cast<unsigned char>(n(0)), n(1), n(2));
    } else if (kind == "write_register") {
        pdu = WriteSingleRegisterRequest(n(0), n(1));
    } else if (kind == "write_coil") {
        pdu = WriteSingleCoilRequest(n(0), n(1) != 0);
    } else if (kind == "write_registers") {
        pdu = WriteMultipleRegistersRequest(n(0), Registers(args.at(1)));
    } else if (kind == "write_coils") {
        pdu = WriteMultipleCoilsRequest(n(0), Bits(args.at(1)));
    } else if (kind == "read_registers_response") {
        pdu = ReadRegistersResponse(modbus_function::kReadHoldingRegisters, Registers(args.at(0)));
        direction = ModbusDirection::kResponse;
    } else if (kind == "read_bits_response") {
        pdu = ReadBitsResponse(modbus_function::kReadCoils, Bits(args.at(0)));
        direction = ModbusDirection::kResponse;
    } else if (kind == "mask_write") {
        pdu = MaskWriteRegisterRequest(n(0), n(1), n(2));
    } else if (kind == "read_write") {
        pdu = ReadWriteMultipleRegistersRequest(n(0), n(1), n(2), Registers(args.at(3)));
    } else if (kind == "exception") {
        pdu = ExceptionResponse(static_cast<unsigned char>(n(0)), static_cast<unsigned char>(n(1)));
        direction = ModbusDirection::kResponse;
    } else if (kind == "device_id") {
        pdu = ReadDeviceIdentificationRequest(static_cast<unsigned char>(n(0)), static_cast<unsigned char>(n(1)));
    } else if (kind == "echo") {
        ModbusBytes data;
        for (const unsigned long byte : List(args.at(0))) data.push_back(static_cast<unsigned char>(byte));
        pdu = DiagnosticsRequest(kDiagnosticsReturnQueryData, data);
    } else {
        return false;
    }
    return true;
}

TEST(ModbusPymodbus, BuildsTheFramesPymodbusBuilds) {
    const std::string command = std::string(QUOBRIX_DEBIAN_PYTHON) + " " + QUOBRIX_PYMODBUS_FRAMES + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int status = pclose(pipe);
    // 77: pymodbus is not installed; 127: no such Python.
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 77 || WEXITSTATUS(status) == 127)) {
        GTEST_SKIP() << "pymodbus 3.0 (python3-pymodbus) is not installed";
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;

    std::stringstream lines(output);
    std::string line;
    int compared = 0;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find(" = ");
        ASSERT_NE(equals, std::string::npos) << line;
        std::stringstream fields(line.substr(0, equals));
        std::string framing, kind, unit, transaction, arg;
        fields >> framing >> kind >> unit >> transaction;
        std::vector<std::string> args;
        while (fields >> arg) args.push_back(arg);
        ModbusBytes pdu;
        ModbusDirection direction;
        ASSERT_TRUE(BuildPdu(kind, args, pdu, direction)) << line;
        const ModbusFraming framing_of = framing == "rtu"     ? ModbusFraming::kRtu
                                         : framing == "ascii" ? ModbusFraming::kAscii
                                                              : ModbusFraming::kTcp;
        ModbusAdu adu;
        adu.unit = static_cast<unsigned char>(std::stoul(unit));
        adu.pdu = pdu;
        adu.transaction = framing_of == ModbusFraming::kTcp ? static_cast<std::uint16_t>(std::stoul(transaction)) : 0;
        const Bytes expected = FromHex(line.substr(equals + 3));
        const Bytes frame = EncodeAdu(framing_of, adu);
        ASSERT_EQ(ToHex(frame), ToHex(expected)) << line.substr(0, 200);
        // And back: the frame and its PDU read as pymodbus meant them.
        const AduParse parse = ParseAdu(framing_of, expected);
        ASSERT_TRUE(parse.ok()) << parse.message;
        EXPECT_EQ(parse.adu.pdu, pdu);
        const PduParse read = ParseModbusPdu(parse.adu.pdu, direction);
        EXPECT_TRUE(read.ok()) << kind << ": " << read.message;
        ++compared;
    }
    EXPECT_GT(compared, 300);
}

}  // namespace
