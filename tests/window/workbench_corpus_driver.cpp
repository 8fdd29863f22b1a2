// Puts the corpus's cases through the workbench window's real pages: the
// window is started once, and for each case the page's tab is clicked, its
// controls are filled as a user fills them (radio buttons, check boxes,
// lists, boxes), its button is clicked, and what the page then shows is read
// back. tests/corpus/wine_window_face.py writes the cases and reads the
// answers; the corpus runner compares them with the command line's.
//
// Usage: workbench_corpus_driver --app=PATH\QuobrixWorkbench.exe --cases=FILE --out=FILE
//
// The cases FILE (UTF-8) holds a case a line, its fields apart by tabs:
//   NAME PAGE JOB KEY=HEX...
// PAGE, JOB and KEY as corpus_window_face takes them (KEY a member of the
// page's fields struct), HEX the value's UTF-8 bytes. Each case starts from
// the fields' defaults: what a case does not name is set back to them.
// The out FILE gets a JSON object a line, in the cases' order:
//   {"name": N, "command": C, "out_hex": H, "messages_hex": H}
// C the command line the page shows, "out" the output box's text and
// "messages" the page's status line, UTF-8; the Printf page adds
// "table_hex", its box of each conversion's argument and type. A case the
// page's controls cannot express, or whose run did not end, is
//   {"name": N, "error": "why"}
// Exit status: 0 every case was tried; 1 the window could not be started or
// a run could not be stopped; 2 bad arguments or a bad cases file.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "res/workbench_resource.h"
#include "tests/corpus/face_json.h"
#include "tests/window/app_session.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "tests/window/workbench_pages.h"

namespace {

using namespace window_test;

// A run of the corpus is short; the bound only keeps a hung window from
// hanging the runner.
constexpr DWORD kRunWaitMs = 120000;

// What the command and table boxes hold until the run's answer replaces it.
const wchar_t kNotYetShown[] = L"(the corpus driver waits for the answer)";
// The status while a run goes on begins so: 正在计算… (正在保存… for a save).
const wchar_t kWorking[] = L"\x6B63\x5728";

// A case the page cannot take as it is: the answer is this message.
struct CaseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A run that did not end within the bound: the page is still busy with it.
struct RunNotEnded : CaseError {
    using CaseError::CaseError;
};

// ---- Texts of another process's controls, as UTF-16 -------------------------
// The window is Unicode: read and written as GBK its boxes would lose what
// code page 936 has no form for.

std::wstring Wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length, nullptr,
                            nullptr);
    }
    return utf8;
}

LRESULT SendWide(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kDefaultWaitMs, &result);
    return static_cast<LRESULT>(result);
}

void SetWideText(HWND window, const std::wstring& text) {
    SendWide(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring WideTextOf(HWND window) {
    // The window may replace the text between the two messages: a length
    // that changed meanwhile means the copy may be cut, so it is read again.
    constexpr int kAttempts = 10;
    std::wstring text;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const LRESULT length = SendWide(window, WM_GETTEXTLENGTH, 0, 0);
        text.assign(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied = SendWide(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<std::size_t>(copied));
        if (SendWide(window, WM_GETTEXTLENGTH, 0, 0) == length) break;
    }
    return text;
}

// ---- The pages ---------------------------------------------------------------

struct TextBox {
    const char* key;
    int id;
    bool lines = false;  // a value a line, each ended by Enter as typed (CR LF)
};

struct CheckBox {
    const char* key;
    int id;
};

struct Choice {
    const char* word;
    int id;
};

// Radio buttons of one group; the first is the fields' default.
struct RadioGroup {
    const char* key;
    std::vector<Choice> choices;
};

// A drop-down list: the value is one of its lines. A series list's first
// line (默认) is the command's own choice, the value "".
struct ListBox {
    const char* key;
    int id;
    const char* default_value;
    bool first_line_is_empty_value;
};

struct Job {
    const char* word;
    int button;
    bool reverse;  // the array page's direction, which its check box sets
};

struct Page {
    const char* name;
    int tab;
    int command, result, status, cancel, table;  // table 0: none
    std::vector<Job> jobs;
    std::vector<TextBox> texts;
    std::vector<CheckBox> checks;
    std::vector<RadioGroup> radios;
    std::vector<ListBox> lists;
};

const std::vector<Page>& Pages() {
    static const std::vector<Page> pages = {
        {"array",
         4,
         IDC_ARR_COMMAND,
         IDC_ARR_RESULT,
         IDC_ARR_STATUS,
         IDC_ARR_CANCEL,
         0,
         {{"to-c", IDC_ARR_RUN, false}, {"to-bytes", IDC_ARR_RUN, true}},
         {{"file", IDC_ARR_FILE}, {"input", IDC_ARR_INPUT}, {"name", IDC_ARR_NAME}, {"per_line", IDC_ARR_PER_LINE}},
         {{"reverse", IDC_ARR_REVERSE},
          {"decimal", IDC_ARR_DECIMAL},
          {"is_static", IDC_ARR_STATIC},
          {"is_mutable", IDC_ARR_MUTABLE},
          {"header", IDC_ARR_HEADER},
          {"crc", IDC_ARR_CRC},
          {"pad", IDC_ARR_PAD}},
         {{"source", {{"file", IDC_ARR_SRC_FILE}, {"hex", IDC_ARR_SRC_HEX}, {"text", IDC_ARR_SRC_TEXT}}}},
         {{"type", IDC_ARR_TYPE, "u8", false}}},
        {"parts",
         5,
         IDC_PARTS_COMMAND,
         IDC_PARTS_RESULT,
         IDC_PARTS_STATUS,
         IDC_PARTS_CANCEL,
         0,
         {{"nearest", IDC_PARTS_NEAREST, false},
          {"divider", IDC_PARTS_DIVIDER, false},
          {"code", IDC_PARTS_DECODE, false},
          {"mark", IDC_PARTS_MARK, false}},
         {{"value", IDC_PARTS_VALUE},
          {"tolerance", IDC_PARTS_TOLERANCE},
          {"tempco", IDC_PARTS_TEMPCO},
          {"code", IDC_PARTS_CODE},
          {"vin", IDC_PARTS_VIN},
          {"vout", IDC_PARTS_VOUT},
          {"total", IDC_PARTS_TOTAL},
          {"count", IDC_PARTS_COUNT}},
         {},
         {{"kind",
           {{"resistor", IDC_PARTS_RESISTOR}, {"capacitor", IDC_PARTS_CAPACITOR}, {"inductor", IDC_PARTS_INDUCTOR}}}},
         {{"series", IDC_PARTS_SERIES, "", true}}},
        {"filter",
         6,
         IDC_FLT_COMMAND,
         IDC_FLT_RESULT,
         IDC_FLT_STATUS,
         IDC_FLT_CANCEL,
         0,
         {{"design", IDC_FLT_DESIGN, false}, {"frequency", IDC_FLT_FREQ_OF, false}},
         {{"frequency", IDC_FLT_FREQ},
          {"q", IDC_FLT_Q},
          {"count", IDC_FLT_COUNT},
          {"r1", IDC_FLT_R1},
          {"r2", IDC_FLT_R2},
          {"c1", IDC_FLT_C1},
          {"c2", IDC_FLT_C2},
          {"l", IDC_FLT_L}},
         {},
         {{"kind",
           {{"rc-low", IDC_FLT_RC_LOW}, {"rc-high", IDC_FLT_RC_HIGH}, {"lc", IDC_FLT_LC}, {"sallen-key", IDC_FLT_SK}}}},
         {{"r_series", IDC_FLT_R_SERIES, "", true},
          {"c_series", IDC_FLT_C_SERIES, "", true},
          {"l_series", IDC_FLT_L_SERIES, "", true}}},
        // The page has one button: it shows the text and --explain's table
        // together, so both jobs click it.
        {"printf",
         7,
         IDC_PF_COMMAND,
         IDC_PF_RESULT,
         IDC_PF_STATUS,
         IDC_PF_CANCEL,
         IDC_PF_TABLE,
         {{"text", IDC_PF_RUN, false}, {"explain", IDC_PF_RUN, false}},
         {{"format", IDC_PF_FORMAT}, {"arguments", IDC_PF_ARGS, true}},
         {{"raw", IDC_PF_RAW}},
         {},
         {}},
        {"random",
         8,
         IDC_RND_COMMAND,
         IDC_RND_RESULT,
         IDC_RND_STATUS,
         IDC_RND_CANCEL,
         0,
         {{"draw", IDC_RND_RUN, false}},
         {{"count", IDC_RND_COUNT},
          {"low", IDC_RND_LOW},
          {"high", IDC_RND_HIGH},
          {"seed", IDC_RND_SEED},
          {"name", IDC_RND_NAME}},
         {{"unique", IDC_RND_UNIQUE}, {"sort", IDC_RND_SORT}, {"c_array", IDC_RND_C}},
         {{"kind", {{"integers", IDC_RND_INT}, {"floats", IDC_RND_FLOAT}, {"bytes", IDC_RND_BYTES}}}},
         {}},
    };
    return pages;
}

// ---- A case ------------------------------------------------------------------

struct Case {
    std::string name, page, job;
    std::map<std::string, std::string> values;  // KEY -> UTF-8 value
};

struct Shown {
    std::string command, out, messages, table;
};

std::string Quoted(const std::string& word) { return corpus_face::JsonString(word); }

class CorpusWindow {
public:
    explicit CorpusWindow(const AppSession& app) : app_(app) {}

    Shown Run(const Case& given) {
        const Page& page = PageNamed(given.page);
        const Job& job = JobNamed(page, given.job);
        std::map<std::string, std::string> values = given.values;
        ShowPage(page);
        for (const RadioGroup& group : page.radios) ChooseRadio(group, Take(values, group.key, group.choices[0].word));
        for (const ListBox& list : page.lists) ChooseLine(list, Take(values, list.key, list.default_value));
        for (const CheckBox& check : page.checks) {
            const bool by_job = check.id == IDC_ARR_REVERSE && job.reverse;
            const bool wanted = Flag(check.key, Take(values, check.key, by_job ? "true" : "false"));
            // The job sets the direction; a `reverse` that says otherwise is a case's mistake.
            if (check.id == IDC_ARR_REVERSE && wanted != job.reverse) {
                throw CaseError("reverse contradicts the job " + Quoted(job.word));
            }
            SetCheck(check, wanted);
        }
        for (const TextBox& box : page.texts) Type(box, Take(values, box.key, ""));
        if (!values.empty()) {
            throw CaseError("no control of page " + std::string(page.name) + " takes key " +
                            Quoted(values.begin()->first));
        }
        return Click(page, job);
    }

    // A run that did not end is stopped with 取消, so that the next case finds
    // the page idle; false when it does not stop either.
    bool Stop(const std::string& page_name) {
        const Page& page = PageNamed(page_name);
        HWND button = app_.Control(page.jobs[0].button);
        SendBounded(app_.Control(page.cancel), BM_CLICK);
        return WaitUntil([&] { return IsWindowEnabled(button) != FALSE; }, kRunWaitMs);
    }

private:
    static const Page& PageNamed(const std::string& name) {
        for (const Page& page : Pages()) {
            if (name == page.name) return page;
        }
        throw CaseError("unknown page " + Quoted(name));
    }

    static const Job& JobNamed(const Page& page, const std::string& word) {
        for (const Job& job : page.jobs) {
            if (word == job.word) return job;
        }
        throw CaseError("unknown job of page " + std::string(page.name) + ": " + Quoted(word));
    }

    static std::string Take(std::map<std::string, std::string>& values, const char* key, const char* otherwise) {
        const auto found = values.find(key);
        if (found == values.end()) return otherwise;
        std::string value = found->second;
        values.erase(found);
        return value;
    }

    static bool Flag(const char* key, const std::string& word) {
        if (word != "true" && word != "false") {
            throw CaseError("not true or false: " + std::string(key) + "=" + Quoted(word));
        }
        return word == "true";
    }

    // The page's tab clicked, unless its page is shown; a page's window is
    // made when its tab is first clicked.
    void ShowPage(const Page& page) {
        HWND tabs = app_.Control(IDC_WB_TABS);
        if (SendBounded(tabs, TCM_GETCURSEL) != page.tab) ClickWorkbenchTab(tabs, page.tab);
        const int first = kWorkbenchPageFirsts[page.tab];
        if (!WaitUntil([&] {
                HWND control = app_.Control(first);
                return SendBounded(tabs, TCM_GETCURSEL) == page.tab && control && IsWindowVisible(control);
            })) {
            throw CaseError("the tab of page " + std::string(page.name) + " did not show it");
        }
    }

    void ChooseRadio(const RadioGroup& group, const std::string& word) {
        for (const Choice& choice : group.choices) {
            if (word != choice.word) continue;
            HWND button = app_.Control(choice.id);
            if (!IsChecked(button)) SendBounded(button, BM_CLICK);
            if (!IsChecked(button)) {
                throw CaseError(std::string(group.key) + ": the button for " + Quoted(word) +
                                " did not take the click");
            }
            return;
        }
        throw CaseError(std::string(group.key) + ": no button for " + Quoted(word));
    }

    // The line chosen as the mouse chooses it: the selection, then the
    // notice the list gives its page.
    void ChooseLine(const ListBox& list, const std::string& value) {
        HWND box = app_.Control(list.id);
        const bool first_line = value.empty() && list.first_line_is_empty_value;
        const std::wstring wide = Wide(value);
        const LRESULT line = first_line ? 0
                                        : SendWide(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(wide.c_str()));
        // The list's search ignores case, and the page takes the line as the
        // list spells it: only a line spelt as the value will do.
        if (line < 0 || (!first_line && line == 0 && list.first_line_is_empty_value)) {
            throw CaseError(std::string(list.key) + ": the list has no line " + Quoted(value));
        }
        SendBounded(box, CB_SETCURSEL, static_cast<WPARAM>(line));
        SendBounded(GetParent(box), WM_COMMAND, MAKEWPARAM(list.id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
        const std::wstring shown = WideTextOf(box);
        if (SendBounded(box, CB_GETCURSEL) != line || (!first_line && shown != wide)) {
            throw CaseError(std::string(list.key) + ": the list has no line " + Quoted(value) + ", it shows " +
                            Quoted(Utf8(shown)));
        }
    }

    void SetCheck(const CheckBox& check, bool wanted) {
        HWND button = app_.Control(check.id);
        if (IsChecked(button) != wanted) SendBounded(button, BM_CLICK);
        if (IsChecked(button) != wanted) {
            throw CaseError(std::string(check.key) + ": the check box did not take the click");
        }
    }

    // The value as the box holds it after typing: a box of lines ends each
    // with Enter. A box that keeps something else (a line break in a box of
    // one line, a zero byte) cannot take the value.
    void Type(const TextBox& box, const std::string& value) {
        std::wstring wide = Wide(value);
        if (box.lines) {
            std::wstring typed;
            for (const wchar_t c : wide) {
                if (c == L'\n' && (typed.empty() || typed.back() != L'\r')) typed += L'\r';
                typed += c;
            }
            wide = typed;
        }
        HWND control = app_.Control(box.id);
        SetWideText(control, wide);
        if (WideTextOf(control) != wide) {
            throw CaseError(std::string(box.key) + ": the box does not keep " + Quoted(value) + ", it shows " +
                            Quoted(Utf8(WideTextOf(control))));
        }
    }

    Shown Click(const Page& page, const Job& job) {
        HWND command = app_.Control(page.command);
        HWND table = page.table ? app_.Control(page.table) : nullptr;
        HWND status = app_.Control(page.status);
        HWND button = app_.Control(job.button);
        SetWideText(command, kNotYetShown);
        if (table) SetWideText(table, kNotYetShown);
        SendBounded(button, BM_CLICK);
        // The page shows its answer once its worker has ended: the buttons
        // are enabled again, then the command line, the output, the status
        // and (Printf) the table are written in one go.
        const auto ended = [&] {
            return IsWindowEnabled(button) != FALSE && WideTextOf(command) != kNotYetShown &&
                   (!table || WideTextOf(table) != kNotYetShown) && WideTextOf(status).rfind(kWorking, 0) != 0;
        };
        if (!WaitUntil(ended, kRunWaitMs)) {
            throw RunNotEnded("the page showed no answer: its status says " + Quoted(Utf8(WideTextOf(status))));
        }
        Shown shown;
        shown.command = Utf8(WideTextOf(command));
        shown.out = Utf8(WideTextOf(app_.Control(page.result)));
        shown.messages = Utf8(WideTextOf(status));
        if (table) shown.table = Utf8(WideTextOf(table));
        return shown;
    }

    const AppSession& app_;
};

// ---- Files -------------------------------------------------------------------

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    FILE* file = std::fopen(WindowsPathOf(path).c_str(), "rb");
    if (!file) return false;
    char block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, n);
    const bool read = std::ferror(file) == 0;
    std::fclose(file);
    return read;
}

bool FromHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0) return false;
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    bytes.clear();
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = digit(hex[at]), low = digit(hex[at + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// The cases, or false with `error` naming the line that is wrong.
bool ParseCases(const std::string& text, std::vector<Case>& cases, std::string& error) {
    int number = 0;
    for (std::string line : Split(text, '\n')) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> fields = Split(line, '\t');
        if (fields.size() < 3) {
            error = "line " + std::to_string(number) + ": not NAME PAGE JOB KEY=HEX...";
            return false;
        }
        Case given{fields[0], fields[1], fields[2], {}};
        for (std::size_t i = 3; i < fields.size(); ++i) {
            const std::size_t equals = fields[i].find('=');
            std::string value;
            if (equals == std::string::npos || !FromHex(fields[i].substr(equals + 1), value)) {
                error = "line " + std::to_string(number) + ": not KEY=HEX: " + fields[i];
                return false;
            }
            if (!given.values.emplace(fields[i].substr(0, equals), value).second) {
                error = "line " + std::to_string(number) + ": key given twice: " + fields[i].substr(0, equals);
                return false;
            }
        }
        cases.push_back(given);
    }
    return true;
}

std::string AnswerLine(const std::string& name, const Shown& shown, bool with_table) {
    std::string json = "{\"name\": " + Quoted(name);
    json += ", \"command\": " + Quoted(shown.command);
    json += ", \"out_hex\": \"" + corpus_face::LowerHex(shown.out) + "\"";
    json += ", \"messages_hex\": \"" + corpus_face::LowerHex(shown.messages) + "\"";
    if (with_table) json += ", \"table_hex\": \"" + corpus_face::LowerHex(shown.table) + "\"";
    return json + "}\n";
}

std::string ErrorLine(const std::string& name, const std::string& why) {
    return "{\"name\": " + Quoted(name) + ", \"error\": " + Quoted(why) + "}\n";
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "workbench_corpus_driver: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string app_path, cases_path, out_path;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--app=", 6) == 0) app_path = argv[i] + 6;
        if (std::strncmp(argv[i], "--cases=", 8) == 0) cases_path = argv[i] + 8;
        if (std::strncmp(argv[i], "--out=", 6) == 0) out_path = argv[i] + 6;
    }
    if (app_path.empty() || cases_path.empty() || out_path.empty()) {
        std::fprintf(stderr,
                     "usage: workbench_corpus_driver --app=PATH_OF_QuobrixWorkbench.exe --cases=FILE --out=FILE\n");
        return 2;
    }
    std::string text, error;
    std::vector<Case> cases;
    if (!ReadWholeFile(cases_path, text)) {
        std::fprintf(stderr, "workbench_corpus_driver: cannot read %s\n", cases_path.c_str());
        return 2;
    }
    if (!ParseCases(text, cases, error)) {
        std::fprintf(stderr, "workbench_corpus_driver: %s: %s\n", cases_path.c_str(), error.c_str());
        return 2;
    }
    FILE* out = std::fopen(WindowsPathOf(out_path).c_str(), "wb");
    if (!out) return Fail("cannot write " + out_path);

    AppSession app;
    if (!app.Start(app_path, &error)) {
        std::fclose(out);
        return Fail(error);
    }
    CorpusWindow window(app);
    int status = 0;
    for (const Case& given : cases) {
        std::string line;
        bool stuck = false;
        try {
            line = AnswerLine(given.name, window.Run(given), given.page == "printf");
        } catch (const RunNotEnded& failure) {
            line = ErrorLine(given.name, failure.what());
            stuck = true;
        } catch (const CaseError& failure) {
            line = ErrorLine(given.name, failure.what());
        }
        // Each answer is kept as it comes: a window that fails later loses none.
        std::fputs(line.c_str(), out);
        std::fflush(out);
        if (stuck && !window.Stop(given.page)) {
            status = Fail("case " + given.name + ": the run neither ended nor stopped");
            break;
        }
        if (app.HasExited()) {
            status = Fail("the window ended during case " + given.name);
            break;
        }
    }
    std::fclose(out);
    if (status == 0 && !app.Close()) return Fail("the window did not end after WM_CLOSE");
    return status;
}
