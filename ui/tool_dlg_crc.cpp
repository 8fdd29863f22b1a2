// The CRC-8, CRC-16 and CRC-32 buttons: the CRC of the input bytes, shown with
// the frame of the TRV device protocol built around them.
#include <cstddef>
#include <cstdint>

#include "core/crc.h"
#include "core/crc_report.h"
#include "ui/tool_dlg.h"

namespace {

// Decodes the input, runs `engine` over it and shows the report of `tool`.
template <typename Engine>
void RunCrcTool(CToolDlg& dialog, Engine engine, CrcTool tool) {
    int length = 0;
    if (!dialog.DecodeForTool(length, BY_FORMAT_OPTION)) return;
    const std::uint32_t crc = engine(g_workBuffer, static_cast<std::size_t>(length));
    WriteCrcReport(tool, crc, g_workBuffer, length, dialog.m_strOutput.Bytes());
    dialog.UpdateData(FALSE);
}

}  // namespace

void CToolDlg::OnBtnCrc8() {
    RunCrcTool(*this, [](const unsigned char* data, std::size_t n) -> std::uint32_t { return Crc8(0, data, n); },
               CrcTool::Crc8);
}

void CToolDlg::OnBtnCrc16() {
    RunCrcTool(*this, [](const unsigned char* data, std::size_t n) { return Crc16(0, data, n); }, CrcTool::Crc16);
}

void CToolDlg::OnBtnCrc32() {
    RunCrcTool(*this, [](const unsigned char* data, std::size_t n) { return Crc32(0, data, n); }, CrcTool::Crc32);
}
