// The floating-point buttons: hex bytes to single-precision values, and a
// decimal number to its single- and double-precision bytes.
#include <cstdint>
#include <cstdio>

#include "core/floatconv.h"
#include "core/texts.h"
#include "ui/tool_dlg.h"

namespace {

// Appends the `count` low bytes of `bits` as " %02X" pieces, the least
// significant first when `low_first`, else the most significant first.
void AppendBytes(CString& output, std::uint64_t bits, int count, bool low_first) {
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (low_first ? i : count - 1 - i);
        output.AppendFormat(texts::kByteFormat, static_cast<unsigned>((bits >> shift) & 0xFF));
    }
}

}  // namespace

void CToolDlg::OnBtnHex2float() {
    int length = 0;
    if (!DecodeForTool(length, AS_HEX)) return;
    if (length == 0 || length % 4 != 0) {
        AfxMessageBox(texts::kNeedMultipleOfFour, MB_OK);
        return;
    }
    const bool low_first = IsChecked(IDC_CHECK_LOWFIRST);
    m_strOutput.Empty();
    char number[kGeneralTextSize];
    for (int group = 0; group < length; group += 4) {
        const unsigned char* g = g_workBuffer + group;
        const std::uint32_t bits =
            low_first ? g[0] | g[1] << 8 | g[2] << 16 | static_cast<std::uint32_t>(g[3]) << 24
                      : static_cast<std::uint32_t>(g[0]) << 24 | g[1] << 16 | g[2] << 8 | g[3];
        // Widening a float to a double is exact; values follow each other
        // with nothing between them.
        const double value = SingleFromBits(bits);
        FormatGeneral(value, 6, number, sizeof number);
        m_strOutput += number;
    }
    UpdateData(FALSE);
}

void CToolDlg::OnBtnFloat2hex() {
    UpdateData(TRUE);
    const bool low_first = IsChecked(IDC_CHECK_LOWFIRST);
    m_strOutput = texts::kSingleHeader;

    const double d = ReadDecimalNumber(m_strInput);
    const float f = ToSingle(d);
    char number[kGeneralTextSize];
    // The single-precision line shows d, the number as read, not f.
    FormatGeneral(d, 7, number, sizeof number);
    m_strOutput.AppendFormat(texts::kSingleLineFormat, number);
    AppendBytes(m_strOutput, SingleBits(f), 4, low_first);

    m_strOutput += texts::kDoubleHeader;
    const double again = ReadDecimalNumber(m_strInput);
    FormatGeneral(again, 15, number, sizeof number);
    // At most 56 bytes: the label, 22 characters of "%.15g", the line break
    // and the second label.
    char double_line[100];
    std::snprintf(double_line, sizeof double_line, texts::kDoubleLineFormat, number);
    m_strOutput += double_line;
    AppendBytes(m_strOutput, DoubleBits(again), 8, low_first);
    UpdateData(FALSE);
}
