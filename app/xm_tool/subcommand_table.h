#pragma once
#include <ostream>
#include <string>
#include <string_view>

#include "app/xm_tool/commands.h"

namespace zumbrik {

// Everything zumbrik-xm says about one subcommand, kept together so its
// --help, its usage line and the tool's overview cannot drift apart.
struct Subcommand {
    const char* name;
    const char* synopsis;  // the arguments, after "zumbrik-xm "
    const char* summary;   // one line: what it does
    const char* options;   // one line per argument or option, already indented
    XmToolCommand run;
};

// The subcommand of that name, or null.
const Subcommand* FindSubcommand(std::string_view name);

// The tool's --help: usage, every subcommand's synopsis and summary, the
// common options and the exit statuses.
void PrintToolHelp(std::ostream& out);

// A subcommand's --help: its usage line, summary and options.
void PrintSubcommandHelp(const Subcommand& command, std::ostream& out);

// A usage error of a subcommand: "zumbrik-xm: PROBLEM" then its usage line.
// Returns the usage status, 2.
int UsageError(std::string_view subcommand, const std::string& problem, std::ostream& err);

}  // namespace zumbrik
