#pragma once

#include "world.hpp"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace scenery_bake_tool {

// Exit statuses of the tools: 0 done, 1 failed, 2 unusable arguments.
inline constexpr int exit_failure = 1;
inline constexpr int exit_usage = 2;

// --portal PATH, --cell PATH and --landblocks SELECTION, shared by the tools that
// read a world.
void add_world_options(CLI::App& app, ArchivePaths& archives, std::string& landblocks);

// Parses the command line. Nothing when the tool should go on; otherwise the
// exit status: 0 after printing the help on standard output, exit_usage
// after printing "Error: {problem}" and a hint on standard error.
[[nodiscard]] std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv);

// Reports a problem with the arguments found after parsing, like
// parse_command_line does, and returns exit_usage.
int usage_error(const CLI::App& app, const ToolError& error);

}  // namespace scenery_bake_tool
