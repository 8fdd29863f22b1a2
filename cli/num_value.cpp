#include "cli/num_value.h"

#include <cinttypes>
#include <cstdio>

#include "cli/messages.h"
#include "workbench/numbers/byte_orders.h"

std::vector<std::vector<std::string>> NumberTableRows(const std::vector<unsigned char>& bytes) {
    const int size = static_cast<int>(bytes.size());
    const std::vector<NumberType> types = NumberTypesOfSize(size);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header = {"order", "hex"};
    for (const NumberType& type : types) header.push_back(type.name);
    rows.push_back(header);
    for (const std::string& order : CommonByteOrders(size)) {
        const std::uint64_t value = NumberFromBytes(bytes.data(), order);
        char hex[17];
        std::snprintf(hex, sizeof hex, "%0*" PRIX64, 2 * size, value);
        std::vector<std::string> row = {order, hex};
        for (const NumberType& type : types) row.push_back(NumberText(type, value));
        rows.push_back(row);
    }
    return rows;
}

bool ReadNumberValue(const NumberType& type, const std::string& text, std::uint64_t& value, std::string& error) {
    const NumberRead read = ReadNumberText(type, text);
    const std::string given = "--from '" + EscapeBytes(text) + "'";
    switch (read.error) {
        case NumberTextError::None:
            value = read.value;
            return true;
        case NumberTextError::NoNumber:
            error = given + " is no " + type.name +
                    (type.kind == NumberKind::Float ? " (a decimal number, inf or nan)"
                                                    : " (decimal, or 0x and hex digits, with an optional sign)");
            return false;
        case NumberTextError::TrailingText:
            error = given + ": '" + EscapeBytes(text.substr(read.position)) + "' at character " +
                    std::to_string(read.position + 1) + " follows the number";
            return false;
        case NumberTextError::OutOfRange:
            error = given + " is out of " + type.name + "'s range, " + NumberRangeText(type);
            return false;
    }
    return false;
}
