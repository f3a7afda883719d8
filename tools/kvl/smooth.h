#pragma once
// `kvl smooth`: smooths or differentiates the column of a one-column ASC file.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// SmoothHelp: the text of `kvl smooth --help`.
std::string SmoothHelp();

/// RunSmooth: runs `kvl smooth` with the arguments after the command word
/// (FILE --method NAME [--window W] [--order K] [--deriv D] [--out FILE]);
/// writes the result column as ASC text to IO.Out or the --out file and
/// one line per problem to IO.Err; returns the exit code.
int RunSmooth(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
