#include "input.h"

#include <iterator>
#include <ostream>

#include "kvl/containers/asc_format.h"

namespace kvl::tool {

int BadInput(const TStreams& IO, std::string_view Name, std::string_view Problem) {
  IO.Err << "kvl: " << Name << ": " << Problem << '\n';
  return kExitBadInput;
}

TInput::TInput(const std::string& File, const TStreams& IO)
    : FIO(IO), FStdin(File == "-"), FName(FStdin ? "standard input" : File) {
  if (!FStdin)
    if (const std::int32_t status = OpenASCFile(File, FFile)) FProblem = ASCStatusText(status);
}

std::string TInput::ReadAll() {
  std::istream& in = Stream();
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kvl::tool
