#include "workbench_window/pages/frame_page.h"

#include "cli/environment.h"
#include "cli/frame_check.h"
#include "cli/messages.h"
#include "workbench/frames/frame_search.h"

namespace frame_page {

namespace {

Answer Run(const Form& form, bool verify) {
    FrameRequest request;
    request.check = form.check;
    // A one-byte check has no order: the line's own word, or none, decides.
    request.order = form.order == Order::kLittleEndian ? CheckOrder::kLittleEndian : CheckOrder::kBigEndian;
    const auto given = [](const std::string& hex) -> std::optional<std::string> {
        if (hex.find_first_not_of(" \t\r\n") == std::string::npos) return std::nullopt;
        return hex;
    };
    request.head = given(form.head);
    request.tail = given(form.tail);
    request.verify = verify;
    request.data = form.data;
    std::string out, err;
    const int code = RunFrameRequest(request, out, err);
    Answer answer;
    answer.ok = code == kExitReport;
    const std::vector<std::string> out_lines = MessageLines(out);
    if (!out_lines.empty()) answer.line = out_lines.front();
    answer.notes = MessageLines(err);
    return answer;
}

}  // namespace

Answer Build(const Form& form) { return Run(form, false); }
Answer Verify(const Form& form) { return Run(form, true); }

std::vector<std::string> CheckNames() {
    std::vector<std::string> names;
    for (const CheckMethod& method : NamedCheckMethods()) names.push_back(method.name());
    return names;
}

}  // namespace frame_page
