#pragma once
// `kvl spectrum`: the power spectrum and magnitudes of a column of an ASC file.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// SpectrumHelp: the text of `kvl spectrum --help`.
std::string SpectrumHelp();

/// RunSpectrum: runs `kvl spectrum FILE [--window NAME] [--size N]
/// [--column C]` with the arguments after the command word; writes the
/// spectrum as ASC text to IO.Out and one line per problem to IO.Err;
/// returns the exit code.
int RunSpectrum(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
