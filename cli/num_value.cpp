#include "cli/num_value.h"

#include <cinttypes>
#include <cstdio>

#include "cli/messages.h"
#include "i18n/translate.h"
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
    using i18n::Format;
    using i18n::Tr;
    const std::string given = EscapeBytes(text);
    switch (read.error) {
        case NumberTextError::None:
            value = read.value;
            return true;
        case NumberTextError::NoNumber:
            error = Format(type.kind == NumberKind::Float
                               ? Tr("--from '%1$s' is no %2$s (a decimal number, inf or nan)")
                               : Tr("--from '%1$s' is no %2$s (decimal, or 0x and hex digits, with an optional sign)"),
                           {given, type.name});
            return false;
        case NumberTextError::TrailingText:
            error = Format(Tr("--from '%1$s': '%2$s' at character %3$s follows the number"),
                           {given, EscapeBytes(text.substr(read.position)), std::to_string(read.position + 1)});
            return false;
        case NumberTextError::OutOfRange:
            error = Format(Tr("--from '%1$s' is out of %2$s's range, %3$s"), {given, type.name, NumberRangeText(type)});
            return false;
    }
    return false;
}
