#pragma once
// `kvl cluster`: k-means or agglomerative clustering of the rows of a matrix
// ASC file.

#include <span>
#include <string>

#include "commands.h"

namespace kvl::tool {

/// ClusterHelp: the text of `kvl cluster --help`.
std::string ClusterHelp();

/// RunCluster: runs `kvl cluster` with the arguments after the command word
/// (FILE [--method NAME] [--k N] [--seed S] [--runs R] [--distance NAME] [--flex A]);
/// writes the clusters (k-means: sizes, centres, assignment; agglomerative:
/// the merge list and, with --k, the assignment) to IO.Out and one line per
/// problem to IO.Err; returns the exit code.
int RunCluster(std::span<const std::string> Args, const TStreams& IO);

}  // namespace kvl::tool
