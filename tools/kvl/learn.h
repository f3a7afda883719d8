#pragma once
// `kvl learn`: trains a memory-based (k-nearest-neighbour) model on an ASC
// data table and applies a stored model to the rows of another.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// LearnHelp: the text of `kvl learn --help`.
std::string LearnHelp();

/// RunLearn: runs `kvl learn` with the arguments after the command word:
/// `train DATA --target COL [--k N] [--model NAME] [--dist NAME]
/// [--standardize] --out MODEL` or `predict MODEL DATA`. Writes the summary
/// or the estimates to IO.Out and one line per problem to IO.Err; returns
/// the exit code.
int RunLearn(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
