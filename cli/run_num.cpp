#include "cli/run_num.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "cli/cli.h"
#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "core/hexdump.h"
#include "workbench/numbers/byte_orders.h"

namespace {

std::string Count(std::size_t bytes) { return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes"); }

// Columns two blanks apart under a header; numbers right-aligned, the last
// column (the float, or text) left-aligned and unpadded.
std::string Table(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right_aligned) {
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string padding(widths[c] - row[c].size(), ' ');
            const bool last = c + 1 == row.size();
            if (c > 0) text += "  ";
            text += right_aligned[c] ? padding + row[c] : row[c] + (last ? "" : padding);
        }
        text += "\n";
    }
    return text;
}

// A row per common order: the order, the number in hex, and the number as
// each type of its size.
std::string NumberTable(const std::vector<unsigned char>& bytes) {
    const int size = static_cast<int>(bytes.size());
    const std::vector<NumberType> types = NumberTypesOfSize(size);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header = {"order", "hex"};
    std::vector<bool> right_aligned = {false, false};
    for (const NumberType& type : types) {
        header.push_back(type.name);
        right_aligned.push_back(type.kind != NumberKind::Float);
    }
    rows.push_back(header);
    for (const std::string& order : CommonByteOrders(size)) {
        const std::uint64_t value = NumberFromBytes(bytes.data(), order);
        char hex[17];
        std::snprintf(hex, sizeof hex, "%0*" PRIX64, 2 * size, value);
        std::vector<std::string> row = {order, hex};
        for (const NumberType& type : types) row.push_back(NumberText(type, value));
        rows.push_back(row);
    }
    return Table(rows, right_aligned);
}

int ValueToBytes(const NumCliOptions& options, std::string& out, std::string& err) {
    const NumberType& type = *options.type;
    const NumberRead read = ReadNumberText(type, options.value);
    const std::string value = "--from '" + EscapeBytes(options.value) + "'";
    switch (read.error) {
        case NumberTextError::None:
            break;
        case NumberTextError::NoNumber:
            err += kPrefix + value + " is no " + type.name +
                   (type.kind == NumberKind::Float ? " (a decimal number, inf or nan)\n"
                                                   : " (decimal, or 0x and hex digits, with an optional sign)\n");
            return kExitUsage;
        case NumberTextError::TrailingText:
            err += kPrefix + value + ": '" + EscapeBytes(options.value.substr(read.position)) + "' at character " +
                   std::to_string(read.position + 1) + " follows the number\n";
            return kExitUsage;
        case NumberTextError::OutOfRange:
            err += kPrefix + value + " is out of " + type.name + "'s range, " + NumberRangeText(type) + "\n";
            return kExitUsage;
    }
    unsigned char bytes[8];
    BytesFromNumber(read.value, options.order, bytes);
    out += SpacedHex(bytes, static_cast<std::size_t>(type.size)) + "\n";
    return kExitReport;
}

}  // namespace

int RunNum(const NumCliOptions& options, std::string& out, std::string& err) {
    if (options.from_value) return ValueToBytes(options, out, err);
    std::vector<unsigned char> bytes;
    std::string error;
    if (!ReadHexBytes(options.hex, "HEX", bytes, error)) {
        err += kPrefix + EscapeBytes(error) + "\n";
        return kExitUsage;
    }
    if (options.type == nullptr) {
        if (CommonByteOrders(static_cast<int>(bytes.size())).empty()) {
            err += kPrefix + "HEX gives " + Count(bytes.size()) + "; the table takes 2, 4 or 8\n";
            return kExitUsage;
        }
        out += NumberTable(bytes);
        return kExitReport;
    }
    const NumberType& type = *options.type;
    if (bytes.size() != static_cast<std::size_t>(type.size)) {
        err += kPrefix + type.name + " takes " + Count(static_cast<std::size_t>(type.size)) + "; HEX gives " +
               Count(bytes.size()) + "\n";
        return kExitUsage;
    }
    out += NumberText(type, NumberFromBytes(bytes.data(), options.order)) + "\n";
    return kExitReport;
}
