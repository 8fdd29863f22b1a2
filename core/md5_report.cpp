#include "core/md5_report.h"

#include "core/string_format.h"
#include "core/texts.h"

namespace {

void AppendDigest(std::string& report, const char* heading, const char* byte_format,
                  const unsigned char (&digest)[MD5_DIGEST_SIZE]) {
    report += heading;
    for (unsigned char byte : digest) AppendFormat(report, byte_format, static_cast<unsigned>(byte));
}

}  // namespace

std::string Md5Report(const unsigned char (&digest)[MD5_DIGEST_SIZE]) {
    std::string report = texts::kMd5Headline;
    AppendDigest(report, texts::kMd5Notation1, texts::kMd5ByteSpaced, digest);
    AppendDigest(report, texts::kMd5Notation2, texts::kMd5ByteConstant, digest);
    AppendDigest(report, texts::kMd5Notation3, texts::kMd5ByteBare, digest);
    return report;
}
