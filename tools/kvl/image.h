#pragma once
// `kvl image`: a matrix ASC file drawn as an image through a colour scale.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// ImageHelp: the text of `kvl image --help`.
std::string ImageHelp();

/// RunImage: runs `kvl image` with the arguments after the command word
/// (FILE --out IMAGE [--scale NAME] [--range LOW HIGH] [--magnify M]); writes
/// the image file and one line per problem to IO.Err; returns the exit code.
int RunImage(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
