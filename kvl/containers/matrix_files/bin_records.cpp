// Record 0 of the binary matrix files and the checks of its validity.

#include "kvl/containers/matrix_files/internal/bin_records.h"

#include <bit>
#include <filesystem>

namespace kvl::matfile_internal {

static_assert(std::endian::native == std::endian::little, "the records are little-endian");

namespace {
constexpr std::size_t kIdOffset = 16;
constexpr std::size_t kFormatOffset = 272;
}  // namespace

bool ValidFor(const TBinHeader& H, TMatFileKind Kind) noexcept {
  switch (Kind) {
    case TMatFileKind::Matrix:
      return H.Layers == 0 && H.TSlots == 0 && H.Format == 1;
    case TMatFileKind::IntMatrix:
      return H.Layers == 0 && H.TSlots == 0 && H.Format == 2;
    case TMatFileKind::Mat3D:
      return H.Layers > 0 && H.TSlots == 0 && H.Format == 1;
    case TMatFileKind::Mat4D:
      return H.Layers > 0 && H.TSlots > 0 && H.Format == 1;
  }
  return false;
}

bool EncodeHeader(const TBinHeader& H, std::array<char, kRecordBytes>& Rec) {
  if (H.DataID.size() > 255) return false;
  Rec.fill(0);
  const std::int32_t dims[4] = {H.Cols, H.Rows, H.Layers, H.TSlots};
  std::memcpy(Rec.data(), dims, sizeof dims);
  Rec[kIdOffset] = static_cast<char>(H.DataID.size());
  std::memcpy(Rec.data() + kIdOffset + 1, H.DataID.data(), H.DataID.size());
  std::memcpy(Rec.data() + kFormatOffset, &H.Format, 4);
  return true;
}

std::int32_t ReadHeader(const std::string& FName, std::ifstream& In, TBinHeader& H) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(FName, ec)) return -1;
  In.open(FName, std::ios::binary);
  if (!In) return -1;
  std::array<char, kRecordBytes> rec{};
  In.read(rec.data(), kRecordBytes);
  if (In.gcount() != static_cast<std::streamsize>(kRecordBytes)) return -2;
  std::int32_t dims[4];
  std::memcpy(dims, rec.data(), sizeof dims);
  H.Cols = dims[0];
  H.Rows = dims[1];
  H.Layers = dims[2];
  H.TSlots = dims[3];
  // The length byte can reach at most the last of the 255 bytes after it.
  const auto len = static_cast<unsigned char>(rec[kIdOffset]);
  H.DataID.assign(rec.data() + kIdOffset + 1, len);
  std::memcpy(&H.Format, rec.data() + kFormatOffset, 4);
  return 0;
}

bool ReadHeaderOf(const std::string& FName, TBinHeader& H) {
  std::ifstream in;
  const std::int32_t status = ReadHeader(FName, in, H);
  if (status == -2) RaiseReadBeyondEnd();
  return status == 0;
}

std::uint64_t FileBytes(std::ifstream& In) {
  In.clear();
  const auto here = In.tellg();
  In.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(In.tellg());
  In.seekg(here);
  return size;
}

void RaiseReadBeyondEnd() { throw EInOutError("Read beyond end of file"); }

}  // namespace kvl::matfile_internal
