// Text to date and time: ScanDateTime reads a date and time laid out as a
// format text describes.

#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "kvl/core/math1/internal/textscan.h"
#include "kvl/core/math1/numtext.h"

namespace kvl {

namespace {

enum class TElemKind { Literal, White, Day, DayName, Month, MonthName, Minute, Year2, Year4, Hour, Second, Fraction, AmPm };

struct TElem {
  TElemKind Kind;
  std::string_view Text;  // for Literal: the characters to match
};

using TNames = std::array<std::string_view, 12>;

// Full names first: a full name that starts with its abbreviation must win.
struct TLanguageNames {
  TNames Months;
  TNames MonthsShort;
  std::array<std::string_view, 7> Days;
  std::array<std::string_view, 7> DaysShort;
};

constexpr TLanguageNames kEnglish{
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
     "November", "December"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"},
    {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}};

constexpr TLanguageNames kGerman{
    {"Januar", "Februar", "M\xC3\xA4rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
     "November", "Dezember"},
    {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"},
    {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"}};

// Splits FormatStr into elements (see ScanDateTime in the header).
std::vector<TElem> ParseFormat(std::string_view Fmt) {
  std::vector<TElem> elems;
  std::size_t i = 0;
  while (i < Fmt.size()) {
    const char c = Fmt[i];
    if (IsWhiteChar(static_cast<unsigned char>(c))) {
      i = numtext_internal::SkipWhite(Fmt, i);
      elems.push_back({TElemKind::White, {}});
      continue;
    }
    if (c == '"' || c == '\'') {
      const std::size_t close = Fmt.find(c, i + 1);
      const std::size_t end = close == std::string_view::npos ? Fmt.size() : close;
      elems.push_back({TElemKind::Literal, Fmt.substr(i + 1, end - i - 1)});
      i = end == Fmt.size() ? end : end + 1;
      continue;
    }
    if (numtext_internal::StartsWithFolded(Fmt, i, "am/pm")) {
      elems.push_back({TElemKind::AmPm, {}});
      i += 5;
      continue;
    }
    const char f = FoldASCII(c);
    std::size_t run = 1;
    while (i + run < Fmt.size() && FoldASCII(Fmt[i + run]) == f) ++run;
    TElemKind kind = TElemKind::Literal;
    switch (f) {
      case 'd': kind = run <= 2 ? TElemKind::Day : TElemKind::DayName; break;
      case 'm': kind = run <= 2 ? TElemKind::Month : TElemKind::MonthName; break;
      case 'y': kind = run <= 2 ? TElemKind::Year2 : TElemKind::Year4; break;
      case 'h': kind = TElemKind::Hour; break;
      case 'n': kind = TElemKind::Minute; break;
      case 's': kind = TElemKind::Second; break;
      case 'z': kind = TElemKind::Fraction; break;
      default: run = 1; break;
    }
    elems.push_back({kind, Fmt.substr(i, run)});
    i += run;
  }
  // "m" and "mm" mean minutes right after an hour or right before seconds.
  const auto isField = [](const TElem& e) { return e.Kind != TElemKind::Literal && e.Kind != TElemKind::White; };
  for (std::size_t k = 0; k < elems.size(); ++k) {
    if (elems[k].Kind != TElemKind::Month) continue;
    std::size_t p = k;
    while (p > 0 && !isField(elems[p - 1])) --p;
    std::size_t n = k + 1;
    while (n < elems.size() && !isField(elems[n])) ++n;
    if ((p > 0 && elems[p - 1].Kind == TElemKind::Hour) || (n < elems.size() && elems[n].Kind == TElemKind::Second))
      elems[k].Kind = TElemKind::Minute;
  }
  return elems;
}

// The 0-based index of the name at Ix among Full and then Short, moving Ix
// past it; -1 when none stands there.
template <std::size_t N>
int MatchName(std::string_view Text, std::size_t& Ix, const std::array<std::string_view, N>& Full,
              const std::array<std::string_view, N>& Short) {
  for (const auto* list : {&Full, &Short}) {
    for (std::size_t k = 0; k < N; ++k) {
      if (numtext_internal::StartsWithFolded(Text, Ix, (*list)[k])) {
        Ix += (*list)[k].size();
        return static_cast<int>(k);
      }
    }
  }
  return -1;
}

struct TFields {
  int Day = -1, Month = -1, Year = -1;
  int Hour = 0, Minute = 0, Second = 0;
  double Fraction = 0.0;
  int AmPm = -1;  // 0 am, 1 pm
  bool HasDate = false;
};

// Reads Text from Ix as Elems say; the index after the text read, or none.
std::optional<std::size_t> MatchElems(std::string_view Text, std::size_t Ix, const std::vector<TElem>& Elems,
                                      const TLanguageNames& Names, TFields& F) {
  const auto number = [&](std::size_t MaxDigits, int& Out) {
    const numtext_internal::TDigitRun run = numtext_internal::ReadDigits(Text, Ix, 10, MaxDigits);
    if (run.Count == 0) return false;
    Out = static_cast<int>(run.Value);
    Ix = run.End;
    return true;
  };
  for (const TElem& e : Elems) {
    bool ok = true;
    switch (e.Kind) {
      case TElemKind::White: Ix = numtext_internal::SkipWhite(Text, Ix); break;
      case TElemKind::Literal:
        ok = numtext_internal::StartsWithFolded(Text, Ix, e.Text);
        Ix += ok ? e.Text.size() : 0;
        break;
      case TElemKind::Day: ok = number(2, F.Day); break;
      case TElemKind::Month: ok = number(2, F.Month); break;
      case TElemKind::Year2:
        ok = number(2, F.Year);
        F.Year += F.Year < 50 ? 2000 : 1900;
        break;
      case TElemKind::Year4: ok = number(4, F.Year); break;
      case TElemKind::Hour: ok = number(2, F.Hour); break;
      case TElemKind::Minute: ok = number(2, F.Minute); break;
      case TElemKind::Second: ok = number(2, F.Second); break;
      case TElemKind::Fraction: {
        const numtext_internal::TDigitRun run = numtext_internal::ReadDigits(Text, Ix, 10, 3);
        ok = run.Count > 0;
        F.Fraction = static_cast<double>(run.Value) / (run.Count == 1 ? 10.0 : run.Count == 2 ? 100.0 : 1000.0);
        Ix = run.End;
        break;
      }
      case TElemKind::MonthName: {
        const int m = MatchName(Text, Ix, Names.Months, Names.MonthsShort);
        ok = m >= 0;
        F.Month = m + 1;
        break;
      }
      case TElemKind::DayName: ok = MatchName(Text, Ix, Names.Days, Names.DaysShort) >= 0; break;
      case TElemKind::AmPm:
        F.AmPm = numtext_internal::StartsWithFolded(Text, Ix, "am") ? 0 : numtext_internal::StartsWithFolded(Text, Ix, "pm") ? 1 : -1;
        ok = F.AmPm >= 0;
        Ix += 2;
        break;
    }
    if (!ok) return std::nullopt;
    F.HasDate = F.HasDate || e.Kind == TElemKind::Day || e.Kind == TElemKind::Month || e.Kind == TElemKind::MonthName ||
                e.Kind == TElemKind::Year2 || e.Kind == TElemKind::Year4;
  }
  return Ix;
}

// The TDateTime of the fields read, or none when they name no existing time.
std::optional<TDateTime> FieldsToDateTime(TFields F) {
  if (F.AmPm >= 0) {
    if (F.Hour < 1 || F.Hour > 12) return std::nullopt;
    F.Hour = F.Hour % 12 + 12 * F.AmPm;
  }
  if (F.Hour > 23 || F.Minute > 59 || F.Second > 59) return std::nullopt;
  const double time = (F.Hour * 3600.0 + F.Minute * 60.0 + F.Second + F.Fraction) / 86400.0;
  if (!F.HasDate) return time;

  using namespace std::chrono;
  if (F.Year < 1 || F.Month < 1 || F.Day < 1) return std::nullopt;
  const year_month_day date{year{F.Year}, month{static_cast<unsigned>(F.Month)}, day{static_cast<unsigned>(F.Day)}};
  if (!date.ok()) return std::nullopt;
  constexpr sys_days kEpoch = year{1899} / December / 30;
  const double days = static_cast<double>((sys_days{date} - kEpoch).count());
  return days < 0.0 ? days - time : days + time;
}

}  // namespace

TDateTime ScanDateTime(std::string_view Instring, std::string_view FormatStr, TLanguage Language,
                       std::int32_t& Pos) {
  const std::string_view text = numtext_internal::ScanView(Instring);
  std::size_t ix = 0;
  if (!numtext_internal::ScanStart(text, Pos, ix) || FormatStr.empty()) return 0.0;
  const std::vector<TElem> elems = ParseFormat(FormatStr);
  const TLanguageNames& names = Language == TLanguage::lanGerman ? kGerman : kEnglish;
  TFields fields;
  const std::optional<std::size_t> end = MatchElems(text, ix, elems, names, fields);
  if (!end) return 0.0;
  const std::optional<TDateTime> result = FieldsToDateTime(fields);
  if (!result) return 0.0;
  Pos = numtext_internal::ScanEndPos(*end);
  return *result;
}

}  // namespace kvl
