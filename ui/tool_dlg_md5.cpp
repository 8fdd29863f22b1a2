// The MD5 button: the digest of the input bytes in three notations.
#include <cstdint>

#include "core/md5.h"
#include "core/md5_report.h"
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnMd5() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    MD5Context context;
    MD5Init(&context);
    MD5Update(&context, g_workBuffer, static_cast<std::uint32_t>(length));
    unsigned char digest[MD5_DIGEST_SIZE];
    MD5Final(digest, &context);
    m_strOutput = CString(Md5Report(digest));
    UpdateData(FALSE);
}
