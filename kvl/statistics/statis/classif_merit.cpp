// Free figures of merit, the one-class reduction of a confusion matrix and
// the comment reader of PLS model files.

#include "kvl/statistics/statis/classif_merit.h"

#include <array>
#include <fstream>
#include <string_view>

#include "kvl/base/KVL_stringl.h"
#include "kvl/statistics/statis/internal/classif_counts.h"

namespace kvl {

namespace {

statis_internal::TCounts Counts(std::int32_t tp, std::int32_t fp, std::int32_t tn, std::int32_t fn) noexcept {
  return {static_cast<long double>(tp), static_cast<long double>(fp), static_cast<long double>(tn),
          static_cast<long double>(fn)};
}

}  // namespace

double CFAccuracy(std::int32_t tp, std::int32_t fp, std::int32_t tn, std::int32_t fn) noexcept {
  return statis_internal::AccuracyOf(Counts(tp, fp, tn, fn));
}

double CFMatthewsCorr(std::int32_t tp, std::int32_t fp, std::int32_t tn, std::int32_t fn) noexcept {
  return statis_internal::MatthewsOf(Counts(tp, fp, tn, fn));
}

double CFInformedness(std::int32_t tp, std::int32_t fp, std::int32_t tn, std::int32_t fn) noexcept {
  return statis_internal::InformednessOf(Counts(tp, fp, tn, fn));
}

std::int32_t ExtractClassifPerformance(std::int32_t ClassIx, const TInt2DArray& ConfMat, std::int32_t& TP,
                                       std::int32_t& FP, std::int32_t& TN, std::int32_t& FN) {
  const auto n = static_cast<std::int64_t>(ConfMat.size());
  bool square = true;
  for (const auto& column : ConfMat) square = square && static_cast<std::int64_t>(column.size()) == n;
  return statis_internal::ExtractClassCounts(
      ClassIx, n, square ? n : -1,
      [&](std::int64_t c, std::int64_t r) {
        return static_cast<std::int64_t>(ConfMat[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)]);
      },
      TP, FP, TN, FN);
}

std::int32_t ExtractClassifPerformance(std::int32_t ClassIx, const TIntMatrix& ConfMat, std::int32_t& TP,
                                       std::int32_t& FP, std::int32_t& TN, std::int32_t& FN) {
  return statis_internal::ExtractClassCounts(
      std::int64_t{ClassIx} - 1, ConfMat.NrOfColumns(), ConfMat.NrOfRows(),
      [&](std::int64_t c, std::int64_t r) {
        return std::int64_t{ConfMat.GetVal(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1))};
      },
      TP, FP, TN, FN);
}

// --- PLS model files ------------------------------------------------------------------------

namespace {

/// The longest opening tag of the model element that is accepted.
constexpr std::size_t kMaxOpeningTag = 4096;

/// SkipPast: moves In past the next occurrence of Text (true), or to the
/// end of the input (false). Text is at most 3 characters long.
bool SkipPast(std::istream& In, std::string_view Text) {
  std::array<char, 3> last{};  // the last Text.size() characters read
  std::size_t read = 0;
  char ch;
  while (In.get(ch)) {
    for (std::size_t i = 0; i + 1 < Text.size(); ++i) last[i] = last[i + 1];
    last[Text.size() - 1] = ch;
    if (++read >= Text.size() && std::string_view(last.data(), Text.size()) == Text) return true;
  }
  return false;
}

/// OpenModelElement: reads up to and including the opening tag of the first
/// element, skipping white space, the declaration, processing instructions
/// and comments before it. 1: a <plsmodel> element with content follows;
/// 0: an empty <plsmodel/>; -1: anything else.
int OpenModelElement(std::istream& In) {
  for (;;) {
    In >> std::ws;
    if (In.get() != '<') return -1;
    const int next = In.peek();
    if (next == '?') {
      if (!SkipPast(In, "?>")) return -1;
    } else if (next == '!') {
      In.get();
      if (In.peek() == '-') {
        if (!SkipPast(In, "-->")) return -1;
      } else if (!SkipPast(In, ">")) {
        return -1;
      }
    } else {
      break;
    }
  }
  std::string tag;
  char ch;
  while (In.get(ch) && ch != '>') {
    if (tag.size() >= kMaxOpeningTag) return -1;
    tag += ch;
  }
  if (ch != '>') return -1;
  const bool empty = !tag.empty() && tag.back() == '/';
  if (empty) tag.pop_back();
  const std::size_t end = tag.find_first_of(WhiteChars);
  if (!EqualStrings(std::string_view(tag).substr(0, end), "plsmodel", false)) return -1;
  return empty ? 0 : 1;
}

}  // namespace

std::int32_t LoadPLSModelComment(const std::string& FName, std::string& Comment) {
  Comment.clear();
  std::ifstream in(FName, std::ios::binary);
  if (!in) return -1;
  const int opened = OpenModelElement(in);
  if (opened < 0) return -2;
  if (opened == 0) return -3;
  static constexpr std::array<std::string_view, 3> kTags{"comment", "/plsmodel", "invalidtag"};
  std::string attr, content;
  for (;;) {
    const std::int32_t tag = ReadNextTagInTextFile(in, kTags, attr, content);
    if (tag < 0 || tag == 1) return -3;
    if (tag == 0) {
      Comment = DecodeXMLText(content);
      return 0;
    }
  }
}

}  // namespace kvl
