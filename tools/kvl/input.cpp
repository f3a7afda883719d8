#include "input.h"

#include <filesystem>
#include <iterator>
#include <system_error>
#include <ostream>

#include "kvl/containers/asc_format.h"

namespace kvl::tool {

int BadInput(const TStreams& IO, std::string_view Name, std::string_view Problem) {
  IO.Err << "kvl: " << Name << ": " << Problem << '\n';
  return kExitBadInput;
}

TInput::TInput(const std::string& File, const TStreams& IO)
    : FIO(IO), FStdin(File == "-"), FName(FStdin ? "standard input" : File) {
  if (FStdin) return;
  // A named pipe (as the shell's <(...) gives) or a character device is
  // read like standard input; a directory or other special file is refused.
  std::error_code ec;
  const auto type = std::filesystem::status(File, ec).type();
  if (!ec && (type == std::filesystem::file_type::fifo || type == std::filesystem::file_type::character)) {
    FFile.open(File, std::ios::binary);
    if (!FFile) FProblem = ASCStatusText(kASCCannotOpen);
    return;
  }
  if (const std::int32_t status = OpenASCFile(File, FFile)) FProblem = ASCStatusText(status);
}

std::string TInput::ReadAll() {
  std::istream& in = Stream();
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kvl::tool
