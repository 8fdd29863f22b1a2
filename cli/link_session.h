// What quobrix serial and quobrix tcp share: the options about frames
// (what to send, the check, how the answers are cut and waited for, the
// log), and the session that sends, listens and prints over a link.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/environment.h"
#include "link/link.h"
#include "link/link_check.h"
#include "link/text_view.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

// What the parser fills for the shared options.
struct LinkWords {
    std::vector<std::pair<bool, std::string>> sends;  // (text?, word) in the order given
    CLI::Option* no_time = nullptr;
    std::string check, head, tail, repeat, count, gap, frame, wait, log, encoding, input, eol;
    CLI::Option* check_option = nullptr;
    CLI::Option* head_option = nullptr;
    CLI::Option* tail_option = nullptr;
    CLI::Option* repeat_option = nullptr;
    CLI::Option* count_option = nullptr;
    CLI::Option* gap_option = nullptr;
    CLI::Option* frame_option = nullptr;
    CLI::Option* wait_option = nullptr;
    CLI::Option* log_option = nullptr;
    CLI::Option* encoding_option = nullptr;
    CLI::Option* input_option = nullptr;
    CLI::Option* eol_option = nullptr;
};

void AddLinkOptions(CLI::App& sub, LinkWords& words);

struct LinkOptions {
    std::vector<LinkBytes> sends;
    std::optional<LinkCheck> check;
    std::string check_note;
    long long repeat_ms = -1;  // -1: no repeat
    unsigned long long count = 1;  // rounds; 0: until interrupted
    bool gap_in_characters = false;
    double gap = 20;  // ms, or characters at the port's settings
    bool gap_given = false;
    std::optional<FramingRule> rule;  // --frame; none: silence of `gap`
    long long wait_ms = 1000;
    std::string log_path;
    TextEncoding encoding = TextEncoding::kUtf8;
    bool text_input = false;
    std::string eol = "\r\n";
    bool no_time = false;  // lines without the seconds since the start
};

// False with what is wrong in `error`. `has_baud`: the link has a baud
// rate, so a gap may be given in characters.
bool CompleteLinkOptions(const LinkWords& words, bool has_baud, LinkOptions& options, std::string& error);

// Runs the session over `link`: sends and waits for answers, or, with no
// --send, sends standard input's lines and prints what comes until the
// input ends or the user presses Ctrl+C. `settings` is the port's, for a
// gap in characters. Returns the exit status.
int RunLinkSession(Link& link, const LinkOptions& options, const SerialSettings* settings, const CliEnvironment& env,
                   std::string& out, std::string& err);

// The options' text for both commands' help.
extern const char kLinkOptionsHelp[];
