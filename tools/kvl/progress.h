#pragma once
// The progress line of the kvl program.
//
// Long library routines report their steps through the progress hook
// (MathFeedBackProc). While a TProgressDisplay lives it holds that hook and
// shows the work on standard error as one line, rewritten in place:
//
//   kvl cluster: 1843200 steps, 2.4 s
//   kvl learn: 46 % (2300 of 5000), 3.1 s
//
// The line appears only once the work has taken a second, changes at most
// ten times a second and is cleared when the work is done, or before the
// command's own output reaches the terminal. When standard error is not a
// terminal the display does nothing at all.

#include <functional>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "kvl/base/KVL_kvlbase.h"

namespace kvl::tool {

class TProgressDisplay {
 public:
  /// TClock: seconds since any fixed moment.
  using TClock = std::function<double()>;

  static constexpr double kDelay = 1.0;     ///< seconds of work before the line appears
  static constexpr double kInterval = 0.1;  ///< seconds between two updates of the line

  /// TProgressDisplay: shows the progress reported from now on, labelled
  /// Label, on Err when Enabled. Output to Out (when given) first clears
  /// the line. The default clock is std::chrono::steady_clock.
  TProgressDisplay(std::ostream& Err, std::string Label, bool Enabled, std::ostream* Out = nullptr,
                   TClock Clock = {});
  /// ~TProgressDisplay: clears the line and gives the hook back.
  ~TProgressDisplay();
  TProgressDisplay(const TProgressDisplay&) = delete;
  TProgressDisplay& operator=(const TProgressDisplay&) = delete;

  /// SetTotal: the number of steps the work will report, for a percentage;
  /// 0 (the default) shows the steps alone.
  void SetTotal(double Steps) { FTotal = Steps; }

  /// Clear: removes the line, if shown.
  void Clear();

 private:
  class TClearingBuf;
  void Show(double Stat);

  std::ostream& FErr;
  std::string FLabel;
  bool FEnabled;
  TClock FClock;
  double FStart = 0, FLastShown = 0, FBase = 0, FTotal = 0;
  std::size_t FShownWidth = 0;  // characters of the line on the terminal; 0: none
  TMathFeedBackProc FPrevious;
  std::ostream* FOut = nullptr;
  std::streambuf* FOutBuf = nullptr;
  std::unique_ptr<TClearingBuf> FClearing;
};

}  // namespace kvl::tool
