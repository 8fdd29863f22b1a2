// The commands of `quobrix`: rows of one table, each a group of subcommands
// with its options, its help texts and its run.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/environment.h"
#include "cli/subcommand_words.h"

namespace CLI {
class App;
}

// A command whose command line is complete: writes its report to `out` and
// its messages to `err`, and returns the exit status.
using CommandRun = std::function<int(const CliEnvironment& env, std::string& out, std::string& err)>;

// What a command's setup leaves for one parse. The parser fills the options
// it registered; the complete step then judges them.
struct CommandParse {
    // The subcommands setup added: those a word of the command line names.
    std::vector<const CLI::App*> subcommands;
    // After a parse that chose one of `subcommands`: takes over the words the
    // parser did not place (`leftover` before the subcommand, the chosen
    // one's remaining after it, marked as MarkedWords marks them) and sets
    // `run`; false, with what is wrong with the command line in `error`.
    std::function<bool(const CLI::App& chosen, const std::vector<std::string>& leftover, CommandRun& run,
                       std::string& error)>
        complete;
};

// The parse of a command of one subcommand: no stray words around it, then
// `complete` reads the parser's `Words` into `Options`, and the run is `run`
// of those options.
template <typename Words, typename Options>
CommandParse OneSubcommandParse(const CLI::App* sub, std::shared_ptr<const Words> given, const std::string& name,
                                bool (*complete)(const Words&, const CLI::App&, Options&, std::string&),
                                int (*run)(const Options&, const CliEnvironment&, std::string&, std::string&)) {
    return {{sub}, [given, name, complete, run](const CLI::App& chosen, const std::vector<std::string>& leftover,
                                                CommandRun& command_run, std::string& error) {
                Options options;
                if (!NoStrayWords(chosen, leftover, name, error) || !complete(*given, chosen, options, error)) {
                    return false;
                }
                command_run = [run, options](const CliEnvironment& env, std::string& out, std::string& err) {
                    return run(options, env, out, err);
                };
                return true;
            }};
}

struct CliCommand {
    // As typed after `quobrix`; TOOL stands for the dialog's tools, a
    // subcommand each.
    const char* name;
    // Adds the command's subcommands and options to the parser. `words` are
    // the command line's: a subcommand costs a CLI11 App at every start, so
    // one no word names is left out.
    CommandParse (*setup)(const char* name, CLI::App& app, const std::vector<std::string>& words);
    // Its section of `quobrix --help`, and `quobrix SUBCOMMAND --help`.
    std::string (*help_section)();
    std::string (*help)(const std::string& subcommand);
    // The line after a usage error that its complete step found, pointing to
    // its help; null: the top level's.
    const char* usage_hint;
};

// Each command's row, defined beside its run (TOOL's beside the dialog's
// tools), so that a table names a row without linking the others.
extern const CliCommand kDialogToolsCommand, kCrcCommand, kFindCommand, kFrameCommand, kNumCommand, kArrayCommand,
    kRandomCommand, kPartsCommand, kFilterCommand, kPrintfCommand, kSerialCommand, kTcpCommand, kModbusCommand;

// Every row, in the order of `quobrix --help`.
extern const CliCommand kCliCommands[];
extern const std::size_t kCliCommandCount;

// The commands one face runs: quobrix's are all of kCliCommands; a face that
// offers fewer (the page) names its own, and the others' code stays out of
// its program.
struct CliCommandTable {
    const CliCommand* commands;
    std::size_t count;
};
