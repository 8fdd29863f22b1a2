#include "workbench_window/pages/number_page.h"

#include <cstdint>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/num_value.h"
#include "core/hexdump.h"
#include "workbench/numbers/byte_orders.h"
#include "workbench/numbers/number_types.h"

namespace number_page {

namespace {

std::string Count(std::size_t bytes) { return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes"); }

}  // namespace

Table NumbersOf(const std::string& hex) {
    Table table;
    std::vector<unsigned char> bytes;
    std::string error;
    if (!ReadHexBytes(hex, "HEX", bytes, error)) {
        table.error = EscapeBytes(error);
        return table;
    }
    if (CommonByteOrders(static_cast<int>(bytes.size())).empty()) {
        table.error = "HEX gives " + Count(bytes.size()) + "; the table takes 2, 4 or 8";
        return table;
    }
    std::vector<std::vector<std::string>> rows = NumberTableRows(bytes);
    table.header = rows.front();
    table.rows.assign(rows.begin() + 1, rows.end());
    return table;
}

std::vector<std::string> TypeNames() {
    std::vector<std::string> names;
    for (const NumberType& type : NumberTypes()) names.emplace_back(type.name);
    return names;
}

Table BytesOf(const std::string& type_name, const std::string& value) {
    Table table;
    const NumberType* type = FindNumberType(type_name);
    if (type == nullptr) {
        table.error = "--type '" + EscapeBytes(type_name) + "' is none of the types";
        return table;
    }
    std::uint64_t number = 0;
    if (!ReadNumberValue(*type, value, number, table.error)) return table;
    table.header = {"order", "bytes"};
    for (const std::string& order : CommonByteOrders(type->size)) {
        unsigned char bytes[8];
        BytesFromNumber(number, order, bytes);
        table.rows.push_back({order, SpacedHex(bytes, static_cast<std::size_t>(type->size))});
    }
    return table;
}

}  // namespace number_page
