#include "input.h"

#include <cmath>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <system_error>

#include "kvl/containers/asc_format.h"

namespace kvl::tool {

int BadInput(const TStreams& IO, std::string_view Name, std::string_view Problem) {
  IO.Err << "kvl: " << Name << ": " << Problem << '\n';
  return kExitBadInput;
}

TInput::TInput(const std::string& File, const TStreams& IO)
    : FIO(IO), FStdin(File == "-"), FName(FStdin ? "standard input" : File) {
  if (FStdin) return;
  // A named pipe (as the shell's <(...) gives) is read like standard input;
  // a directory or a device (which may never end, as /dev/zero) is refused.
  std::error_code ec;
  if (std::filesystem::status(File, ec).type() == std::filesystem::file_type::fifo && !ec) {
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

std::string ReadFiniteColumn(TInput& In, TASCColumn& Column) {
  const std::int32_t status = ReadASCColumn(In.Stream(), Column);
  const std::size_t rows = Column.Values.size();
  if (status == kASCBadRowAttribute || status == kASCBadValue)
    return "row " + std::to_string(rows + 1) + ": " + ASCStatusText(status);
  if (status != 0) return ASCStatusText(status);
  if (rows == 0) return "the file holds no values";
  for (std::size_t i = 0; i < rows; ++i)
    if (!std::isfinite(Column.Values[i])) return "row " + std::to_string(i + 1) + ": the value is not finite";
  return {};
}

}  // namespace kvl::tool
