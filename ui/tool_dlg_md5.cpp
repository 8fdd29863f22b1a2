// The MD5 button: the digest of the input bytes in three notations.
#include <cstdint>

#include "core/md5.h"
#include "core/texts.h"
#include "ui/tool_dlg.h"

namespace {

void AppendDigest(CString& report, const char* notation, const char* byte_format,
                  const unsigned char (&digest)[MD5_DIGEST_SIZE]) {
    report += notation;
    for (unsigned char byte : digest) report.AppendFormat(byte_format, static_cast<unsigned>(byte));
}

}  // namespace

void CToolDlg::OnBtnMd5() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    MD5Context context;
    MD5Init(&context);
    MD5Update(&context, g_workBuffer, static_cast<std::uint32_t>(length));
    unsigned char digest[MD5_DIGEST_SIZE];
    MD5Final(digest, &context);

    m_strOutput = texts::kMd5Headline;
    AppendDigest(m_strOutput, texts::kMd5Notation1, texts::kMd5ByteSpaced, digest);
    AppendDigest(m_strOutput, texts::kMd5Notation2, texts::kMd5ByteConstant, digest);
    AppendDigest(m_strOutput, texts::kMd5Notation3, texts::kMd5ByteBare, digest);
    UpdateData(FALSE);
}
