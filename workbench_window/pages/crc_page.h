// The CRC page's logic, without a window: the model list and what a typed
// name selects, the parameter fields and their judgement, the input's bytes,
// and the answers as the window shows them. Texts are UTF-8; the window
// converts them to the code page its controls speak. Every answer comes from
// the same functions as quobrix crc's, so both give the same values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "workbench/crc/params.h"
#include "workbench/crc/uint128.h"

namespace crc_page {

// What the model box shows for parameters that are no catalogue model's.
extern const char kCustomName[];

// Every catalogue model's name, in the catalogue's order: by width, then name.
std::vector<std::string> ModelNames();

// The parameters of a model of the list.
CrcParams ParamsOf(int model);

// The parameter fields as the page shows them: width in decimal, numbers
// as the catalogue writes them (0x and lower-case digits), refin and refout
// as true or false. Check and residue are shown, never read.
struct Fields {
    std::string width, poly, init, refin, refout, xorout, check, residue;
};
Fields FieldsOf(const CrcParams& params);

// What a text typed into the model box selects: a name or a former name (any
// case), a polynomial (the first model, in list order, with it), or the
// first name that starts with it. `model` is an index into ModelNames(), -1
// for none; a name that means several CRCs (CCITT) selects none and offers
// them in `choices`. `note` is the command line's line beside the result (a
// former name's new name) or, when nothing matched, its error lines.
struct Lookup {
    int model = -1;
    std::vector<int> choices;
    std::string note;
};
Lookup LookUp(const std::string& typed);

// The parameters of the fields, judged as quobrix crc judges --width,
// --poly, --init, --refin, --refout and --xorout (its messages in `error`).
bool ReadFields(const Fields& fields, CrcParams& params, std::string& error);

// The model the parameters are (its index into ModelNames()), or -1: then
// the model box shows kCustomName.
int ModelOf(const CrcParams& params);

enum class InputMode {
    kTextGbk,   // the text's characters as GBK bytes, as the dialog holds them
    kTextUtf8,  // the text's characters as UTF-8 bytes
    kHex,       // hex digits, by the dialog's rules
    kFile,
};

// The bytes of a typed input (not kFile), as quobrix crc --text [--gbk] or
// --hex takes them; false with its message in `error`.
bool InputBytes(InputMode mode, const std::string& text, std::string& bytes, std::string& error);

// The CRC as a number and as the bytes that follow the data, high byte first
// and low byte first, as quobrix crc prints it without and with --bytes be
// and --bytes le.
struct Answer {
    std::string number, high_first, low_first;
};
Answer AnswerOf(Uint128 crc, int width);
Answer Compute(const CrcParams& params, const std::string& bytes);

// One line of 全部模型: a catalogue model and the CRC of the input under it.
struct ModelRow {
    std::size_t index;  // into ModelNames(), the list's own order
    std::string name;
    int width;
    std::string crc;  // as Answer::number
};
std::vector<ModelRow> AllModels(const std::string& bytes);

enum class Column { kName, kWidth, kCrc };
// Sorted by a column, ties in the catalogue's order; descending reverses the
// column's order only.
void SortRows(std::vector<ModelRow>& rows, Column column, bool ascending);

// The C source that quobrix crc --emit c writes for these parameters, under
// the model's name (none for kCustomName).
std::string CSource(const CrcParams& params, int model);

// A file's CRC, read block by block. `progress` is told the bytes read so
// far after each block and returns false to stop: then the outcome is
// kCancelled. A read that fails gives kFailed and, in `error`, the line that
// names the file and the reason, as quobrix crc FILE says it.
enum class FileOutcome { kDone, kCancelled, kFailed };
// The file's size for the progress bar; 0 when it cannot be known.
std::uint64_t FileSizeOf(const std::string& path);
FileOutcome FileCrc(const CrcParams& params, const std::string& path,
                    const std::function<bool(std::uint64_t done)>& progress, Uint128& crc, std::string& error);

// 全部模型 of a file: every catalogue model's CRC of its bytes, read once,
// with `progress` as for FileCrc.
FileOutcome FileAllModels(const std::string& path, const std::function<bool(std::uint64_t done)>& progress,
                          std::vector<ModelRow>& rows, std::string& error);

}  // namespace crc_page
