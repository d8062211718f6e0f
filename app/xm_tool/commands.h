#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace zumbrik {

// One subcommand of zumbrik-xm: its arguments after the subcommand name, and
// the streams for its report and its one-line errors. Returns the exit code.
using XmToolCommand = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int InfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int PlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zumbrik
