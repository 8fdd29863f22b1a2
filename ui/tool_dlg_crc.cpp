// The CRC-8, CRC-16 and CRC-32 buttons: the CRC, then the frame of the TRV
// device protocol built around the input bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/crc.h"
#include "core/hexdump.h"
#include "core/texts.h"
#include "ui/tool_dlg.h"

namespace {

constexpr int kMaxCrcBytes = 4;

// Appends the bytes as "%02X " pieces, written straight into the report: a
// formatted append per byte would take most of a full buffer's report time.
void AppendSpacedHex(CString& report, const unsigned char* bytes, int length) {
    std::string& text = report.Bytes();
    const std::size_t at = text.size();
    text.resize(at + static_cast<std::size_t>(kSpacedHexLength * length));
    WriteSpacedHex(bytes, length, &text[at]);
}

// Appends the header line and the frame: AA, the data bytes, the `crc_bytes`
// low bytes of `crc` most significant first (whatever the byte order option
// says: the protocol fixes it), then the closing text.
void AppendFrame(CString& report, const char* header, int length, std::uint32_t crc, int crc_bytes,
                 const char* frame_end) {
    report += header;
    report += texts::kCrcFrameStart;
    AppendSpacedHex(report, g_workBuffer, length);
    unsigned char crc_bytes_first_high[kMaxCrcBytes];
    for (int i = 0; i < crc_bytes; ++i)
        crc_bytes_first_high[i] = static_cast<unsigned char>(crc >> (8 * (crc_bytes - 1 - i)));
    AppendSpacedHex(report, crc_bytes_first_high, crc_bytes);
    report += frame_end;
}

// What sets the three CRC reports apart.
struct CrcReport {
    const char* headline;  // format of the first line, with the CRC
    const char* header;    // the protocol's header line
    int crc_bytes;         // how many CRC bytes the frame carries
    const char* frame_end;
};

// Decodes the input, runs `engine` over it and shows the report.
template <typename Engine>
void RunCrcTool(CToolDlg& dialog, Engine engine, const CrcReport& report) {
    int length = 0;
    if (!dialog.DecodeForTool(length, BY_FORMAT_OPTION)) return;
    const std::uint32_t crc = engine(g_workBuffer, static_cast<std::size_t>(length));
    dialog.m_strOutput.Format(report.headline, static_cast<unsigned>(crc));
    AppendFrame(dialog.m_strOutput, report.header, length, crc, report.crc_bytes, report.frame_end);
    dialog.UpdateData(FALSE);
}

}  // namespace

void CToolDlg::OnBtnCrc8() {
    RunCrcTool(*this, [](const unsigned char* data, std::size_t n) -> std::uint32_t { return Crc8(0, data, n); },
               {texts::kCrc8Headline, texts::kCrcHeaderTrv41Trv42, 1, texts::kCrc8FrameEnd});
}

void CToolDlg::OnBtnCrc16() {
    RunCrcTool(*this, [](const unsigned char* data, std::size_t n) { return Crc16(0, data, n); },
               {texts::kCrc16Headline, texts::kCrcHeaderTrv41Trv42, 2, texts::kCrc16FrameEnd});
}

void CToolDlg::OnBtnCrc32() {
    RunCrcTool(*this, [](const unsigned char* data, std::size_t n) { return Crc32(0, data, n); },
               {texts::kCrc32Headline, texts::kCrcHeaderTrv42, 4, texts::kCrc32FrameEnd});
}
