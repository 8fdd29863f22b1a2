// Reading the input box into the work buffer, and showing a text.
#include <cstring>

#include "core/texts.h"
#include "ui/tool_dlg.h"
#include "ui/tool_dlg_tools.h"

const char* const kInputTooLongMessages[2] = {texts::kTooManyCharacters, texts::kDecodeFailed};

int CToolDlg::DecodeInput(unsigned char* buffer, int capacity, int& length, DecodeMode mode) {
    UpdateData(TRUE);
    if (mode != BY_FORMAT_OPTION && mode != AS_ASCII && mode != AS_HEX) return 1;

    const bool hex = mode == AS_HEX || (mode == BY_FORMAT_OPTION && IsChecked(IDC_RADIO_HEX));
    if (hex) {
        // The edit box's own limit keeps typed hex text within the buffer;
        // text from elsewhere (the command line, WM_SETTEXT) has no limit, so
        // a text that decodes to more than fits fails like too many characters.
        const int count = HexTextToBytes(m_strInput, m_strInput.GetLength(), buffer, capacity);
        if (count >= 0) {
            length = count;
            return 1;
        }
    } else if (m_strInput.GetLength() <= capacity) {
        const int n = m_strInput.GetLength();
        if (n > 0) std::memcpy(buffer, m_strInput.GetString(), static_cast<size_t>(n));
        length = n;
        return 1;
    }

    AfxMessageBox(texts::kTooManyCharacters, MB_OK);
    ShowOutput(texts::kTooManyCharacters);
    return 0;
}

void CToolDlg::ShowOutput(const char* text) {
    m_strOutput = text;
    UpdateData(FALSE);
}

bool CToolDlg::DecodeForTool(int& length, DecodeMode mode) {
    if (DecodeInput(g_workBuffer, WORK_BUFFER_SIZE, length, mode) == 1) return true;
    AfxMessageBox(texts::kDecodeFailed, MB_OK);
    return false;
}
