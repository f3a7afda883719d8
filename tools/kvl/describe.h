#pragma once
// `kvl describe`: summary statistics of a one-column ASC file.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// DescribeHelp: the text of `kvl describe --help`.
std::string DescribeHelp();

/// RunDescribe: runs `kvl describe` with the arguments after the command
/// word (FILE, or - for standard input); writes the report to IO.Out and one
/// line per problem to IO.Err; returns the exit code.
int RunDescribe(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
