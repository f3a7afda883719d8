#pragma once
// `kvl table`: converts a data table between its XML, CSV and ASC forms and
// prints a summary of it.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// TableHelp: the text of `kvl table --help`.
std::string TableHelp();

/// RunTable: runs `kvl table` with the arguments after the command word;
/// writes the converted table or the summary to IO.Out (or --out) and one
/// line per problem to IO.Err; returns the exit code.
int RunTable(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
