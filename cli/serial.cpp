#include "cli/serial.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/link_session.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"

const char kSerialUsageHint[] =
    "Usage: quobrix serial PORT [--baud N] [--framing 8N1] [--send HEX]...; quobrix serial --help tells more";

namespace {

struct SerialOptions {
    bool list = false;
    std::string port;
    SerialSettings settings;
    LinkOptions link;
};

struct SerialWords {
    std::vector<std::string> arguments;
    std::string baud, framing, flow;
    CLI::Option* list = nullptr;
    CLI::Option* baud_option = nullptr;
    CLI::Option* framing_option = nullptr;
    CLI::Option* flow_option = nullptr;
    LinkWords link;
};

bool Complete(const SerialWords& words, const CLI::App& chosen, SerialOptions& options, std::string& error);
int RunSerial(const SerialOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

CommandParse SetupSerial(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kSerialSummary, kSerialGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<SerialWords>();
    given->list = sub->add_flag("--list")->disable_flag_override();
    given->baud_option = sub->add_option("--baud", given->baud);
    given->framing_option = sub->add_option("--framing", given->framing);
    given->flow_option = sub->add_option("--flow", given->flow);
    AddLinkOptions(*sub, given->link);
    AddAllWords(*sub, "PORT", given->arguments);
    return OneSubcommandParse<SerialWords, SerialOptions>(sub, given, name, Complete, RunSerial);
}

namespace {

bool Complete(const SerialWords& words, const CLI::App&, SerialOptions& options, std::string& error) {
    options.list = words.list->count() > 0;
    if (options.list) {
        if (!words.arguments.empty()) {
            error = "--list takes no PORT";
            return false;
        }
        return true;
    }
    if (words.arguments.size() != 1) {
        error = words.arguments.empty() ? "no PORT given (quobrix serial --list lists them)"
                                        : "one PORT only, not '" + EscapeBytes(words.arguments[1]) + "' too";
        return false;
    }
    options.port = words.arguments.front();
    if (words.baud_option->count() > 0) {
        const std::string& b = words.baud;
        unsigned long baud = 0;
        bool digits = !b.empty() && b.size() <= 8;
        for (char c : b) {
            digits = digits && c >= '0' && c <= '9';
            if (digits) baud = baud * 10 + static_cast<unsigned long>(c - '0');
        }
        if (!digits || baud < kMinBaud || baud > kMaxBaud) {
            error = "--baud takes a rate from " + std::to_string(kMinBaud) + " to " + std::to_string(kMaxBaud) +
                    ", not '" + EscapeBytes(b) + "'";
            return false;
        }
        options.settings.baud = baud;
    }
    if (words.framing_option->count() > 0 && !ParseFraming(words.framing, options.settings, error)) {
        error = "--framing: " + EscapeBytes(error);
        return false;
    }
    if (words.flow_option->count() > 0 && !ParseFlow(words.flow, options.settings.flow, error)) {
        error = "--flow: " + EscapeBytes(error);
        return false;
    }
    return CompleteLinkOptions(words.link, true, options.link, error);
}

int RunSerial(const SerialOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    if (options.list) {
        for (const PortInfo& port : ListSerialPorts()) {
            out += port.name + (port.description.empty() ? "" : "  " + port.description) + "\n";
        }
        return kExitReport;
    }
    std::string error;
    const std::unique_ptr<Link> link = OpenSerialLink(options.port, options.settings, error);
    if (!link) {
        err += kPrefix + EscapeBytes(options.port) + ": " + error + "\n";
        return kExitUsage;
    }
    return RunLinkSession(*link, options.link, &options.settings, env, out, err);
}

}  // namespace

const CliCommand kSerialCommand = {"serial", SetupSerial, SerialHelpSection, SerialHelp, kSerialUsageHint};
