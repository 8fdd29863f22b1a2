#include "cli/tcp.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/link_session.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"

const char kTcpUsageHint[] =
    "Usage: quobrix tcp HOST:PORT [--send HEX]... | quobrix tcp --listen PORT; quobrix tcp --help tells more";

namespace {

struct TcpOptions {
    std::string host, port;  // no host: listen on `port`
    LinkOptions link;
};

struct TcpWords {
    std::vector<std::string> arguments;
    std::string listen;
    CLI::Option* listen_option = nullptr;
    LinkWords link;
};

bool Complete(const TcpWords& words, const CLI::App& chosen, TcpOptions& options, std::string& error);
int RunTcp(const TcpOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

CommandParse SetupTcp(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kTcpSummary, kTcpGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<TcpWords>();
    given->listen_option = sub->add_option("--listen", given->listen);
    AddLinkOptions(*sub, given->link);
    AddAllWords(*sub, "HOST:PORT", given->arguments);
    return OneSubcommandParse<TcpWords, TcpOptions>(sub, given, name, Complete, RunTcp);
}

namespace {

bool ValidPort(const std::string& port) {
    if (port.empty() || port.size() > 5) return false;
    unsigned value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535;
}

bool Complete(const TcpWords& words, const CLI::App&, TcpOptions& options, std::string& error) {
    const bool listen = words.listen_option->count() > 0;
    if (listen) {
        if (!words.arguments.empty()) {
            error = "--listen takes no HOST:PORT";
            return false;
        }
        if (!ValidPort(words.listen)) {
            error = "--listen takes a port number 0-65535, not '" + EscapeBytes(words.listen) + "'";
            return false;
        }
        options.port = words.listen;
    } else {
        if (words.arguments.size() != 1) {
            error = words.arguments.empty() ? "no HOST:PORT given (or --listen PORT)"
                                            : "one HOST:PORT only, not '" + EscapeBytes(words.arguments[1]) + "' too";
            return false;
        }
        // The last colon: an IPv6 address has colons of its own ([::1]:502).
        const std::string& target = words.arguments.front();
        const std::size_t colon = target.rfind(':');
        if (colon == std::string::npos || colon == 0 || !ValidPort(target.substr(colon + 1))) {
            error = "'" + EscapeBytes(target) + "' is no HOST:PORT (127.0.0.1:502, [::1]:502)";
            return false;
        }
        options.host = target.substr(0, colon);
        if (options.host.size() > 2 && options.host.front() == '[' && options.host.back() == ']') {
            options.host = options.host.substr(1, options.host.size() - 2);
        }
        options.port = target.substr(colon + 1);
    }
    return CompleteLinkOptions(words.link, false, options.link, error);
}

int RunTcp(const TcpOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    std::string error;
    std::unique_ptr<Link> link;
    if (options.host.empty()) {
        const std::unique_ptr<LinkListener> listener = ListenTcp(options.port, error);
        if (!listener) {
            err += kPrefix + "port " + options.port + ": " + error + "\n";
            return kExitUsage;
        }
        // Said at once: a peer started next needs the port (port 0: the
        // system's choice).
        const std::string note =
            kPrefix + "listening on port " + std::to_string(listener->port()) + ", waiting for a peer\n";
        if (env.write_stderr) {
            env.write_stderr(note);
        } else {
            err += note;
        }
        while (!link) {
            link = listener->Accept(-1, error);
            if (!link && !error.empty()) {
                err += kPrefix + "port " + options.port + ": " + error + "\n";
                return kExitUsage;
            }
        }
    } else {
        link = ConnectTcpLink(options.host, options.port, error);
        if (!link) {
            err += kPrefix + EscapeBytes(options.host) + ":" + options.port + ": " + error + "\n";
            return kExitUsage;
        }
    }
    return RunLinkSession(*link, options.link, nullptr, env, out, err);
}

}  // namespace

const CliCommand kTcpCommand = {"tcp", SetupTcp, TcpHelpSection, TcpHelp, kTcpUsageHint};
