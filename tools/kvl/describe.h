#pragma once
// `kvl describe`: summary statistics of a one-column ASC file.

#include <iosfwd>
#include <span>
#include <string>

namespace kvl::tool {

/// Exit codes of the program.
inline constexpr int kExitOK = 0;
inline constexpr int kExitFileError = 1;  ///< the file is missing, malformed or holds a bad value
inline constexpr int kExitUsage = 2;      ///< the command line is wrong

/// DescribeHelp: the text of `kvl describe --help`.
std::string DescribeHelp();

/// RunDescribe: runs `kvl describe` with the arguments after the command
/// word; writes the report to Out and one line per problem to Err; returns
/// the exit code.
int RunDescribe(std::span<const std::string> Args, std::ostream& Out, std::ostream& Err);

}  // namespace kvl::tool
