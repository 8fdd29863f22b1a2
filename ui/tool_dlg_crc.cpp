// The CRC-8, CRC-16 and CRC-32 buttons: the CRC, then the frame of the TRV
// device protocol built around the input bytes.
#include <cstddef>
#include <cstdint>

#include "core/crc.h"
#include "core/texts.h"
#include "ui/tool_dlg.h"

namespace {

void AppendByte(CString& report, unsigned value) {
    CString piece;
    piece.Format(texts::kCrcFrameByte, value & 0xFFu);
    report += piece;
}

// Appends the header line and the frame: AA, the data bytes, the `crc_bytes`
// low bytes of `crc` most significant first (whatever the byte order option
// says: the protocol fixes it), then the closing text.
void AppendFrame(CString& report, const char* header, int length, std::uint32_t crc, int crc_bytes,
                 const char* frame_end) {
    report += header;
    report += texts::kCrcFrameStart;
    for (int i = 0; i < length; ++i) AppendByte(report, g_workBuffer[i]);
    for (int shift = 8 * (crc_bytes - 1); shift >= 0; shift -= 8) AppendByte(report, crc >> shift);
    report += frame_end;
}

std::size_t Count(int length) { return static_cast<std::size_t>(length); }

}  // namespace

void CToolDlg::OnBtnCrc8() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    const unsigned crc = Crc8(0, g_workBuffer, Count(length));
    m_strOutput.Format(texts::kCrc8Headline, crc);
    AppendFrame(m_strOutput, texts::kCrcHeaderTrv41Trv42, length, crc, 1, texts::kCrc8FrameEnd);
    UpdateData(FALSE);
}

void CToolDlg::OnBtnCrc16() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    const std::uint32_t crc = Crc16(0, g_workBuffer, Count(length));
    m_strOutput.Format(texts::kCrc16Headline, static_cast<unsigned>(crc));
    AppendFrame(m_strOutput, texts::kCrcHeaderTrv41Trv42, length, crc, 2, texts::kCrc16FrameEnd);
    UpdateData(FALSE);
}

void CToolDlg::OnBtnCrc32() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    const std::uint32_t crc = Crc32(0, g_workBuffer, Count(length));
    m_strOutput.Format(texts::kCrc32Headline, static_cast<unsigned>(crc));
    AppendFrame(m_strOutput, texts::kCrcHeaderTrv42, length, crc, 4, texts::kCrc32FrameEnd);
    UpdateData(FALSE);
}
