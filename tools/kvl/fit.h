#pragma once
// `kvl fit`: fits a regression model to the pairs of a two-column ASC file.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// FitHelp: the text of `kvl fit --help`.
std::string FitHelp();

/// RunFit: runs `kvl fit` with the arguments after the command word
/// (FILE [--model NAME] [--order N] [--predict X [--p P]]); writes the
/// parameters, fit quality and residual SD (and the prediction with its
/// intervals) to IO.Out and one line per problem to IO.Err; returns the
/// exit code.
int RunFit(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
