#pragma once
// Text pieces shared by the table's file forms: numbers written at a
// precision and read back, XML attribute look-up, the buffered writer with
// progress, and names made safe for XML.

#include <charconv>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "kvl/base/KVL_kvlbase.h"

namespace kvl::datatable_internal {

/// AppendNumber: x in the shortest form that reads back to the same Double
/// when Precision >= 17 (or < 1), else with Precision significant digits;
/// "NaN", "Inf", "-Inf" for the non-finite values.
void AppendNumber(std::string& Out, double x, std::int32_t Precision);

/// ParseNumber: a whole word as a Double (decimal point, optional sign and
/// exponent, "NaN", "Inf" and "Infinity" in any case); false otherwise.
bool ParseNumber(std::string_view Word, double& x) noexcept;

/// ParseInt: a whole word as a 32-bit integer; false otherwise.
bool ParseInt(std::string_view Word, std::int32_t& v) noexcept;


/// TLineWriter: writes lines to Out through a large buffer. Build a line
/// in Line, then Emit passes it to Hook (the OnExportText of Sender, when
/// assigned) and appends it with LineEnd.
class TLineWriter {
 public:
  TLineWriter(std::ostream& Out, const TExportTextEvent& Hook, TObject* Sender, std::string_view LineEnd)
      : FOut(Out), FHook(Hook), FSender(Sender), FEnd(LineEnd) {
    FBuf.reserve(kBlock + 4096);
  }
  ~TLineWriter() { Flush(); }
  TLineWriter(const TLineWriter&) = delete;
  TLineWriter& operator=(const TLineWriter&) = delete;
  std::string Line;
  void Emit() {
    if (FHook) FHook(FSender, Line);
    FBuf += Line;
    FBuf += FEnd;
    Line.clear();
    if (FBuf.size() >= kBlock) Flush();
  }
  void Flush() {
    FOut.write(FBuf.data(), static_cast<std::streamsize>(FBuf.size()));
    FBuf.clear();
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  std::ostream& FOut;
  const TExportTextEvent& FHook;
  TObject* FSender;
  std::string_view FEnd;
  std::string FBuf;
};

/// TProgress: calls Report with whole percentages as Done goes from 0 to Total.
class TProgress {
 public:
  TProgress(std::function<void(double)> Report, std::int64_t Total) : FReport(std::move(Report)), FTotal(Total) {}
  void Step(std::int64_t Done) {
    if (!FReport || FTotal <= 0) return;
    const std::int64_t pct = Done * 100 / FTotal;
    if (pct > FLast) {
      FLast = pct;
      FReport(static_cast<double>(pct));
    }
  }

 private:
  std::function<void(double)> FReport;
  std::int64_t FTotal;
  std::int64_t FLast = 0;
};

}  // namespace kvl::datatable_internal
