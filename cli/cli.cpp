#include "cli/cli.h"

#include "cli/command_line.h"
#include "cli/messages.h"

int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out,
           std::string& err) {
    CommandLine command_line;
    const ParseResult parsed = command_line.Parse(args);
    switch (parsed.outcome) {
        case ParseOutcome::Help:
            out += parsed.text;
            return kExitReport;
        case ParseOutcome::Version:
            out += "quobrix " QUOBRIX_VERSION "\n";
            return kExitReport;
        case ParseOutcome::UsageError:
            err += kPrefix + parsed.text + " (" + parsed.usage_hint + ")\n";
            return kExitUsage;
        case ParseOutcome::Run:
            break;
    }
    return parsed.command->Run(env, out, err);
}
