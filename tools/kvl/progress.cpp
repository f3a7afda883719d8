#include "progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace kvl::tool {

// Passes everything written to a stream on to its own buffer, clearing the
// progress line before the first character of each write.
class TProgressDisplay::TClearingBuf : public std::streambuf {
 public:
  TClearingBuf(std::streambuf* Target, TProgressDisplay& Display) : FTarget(Target), FDisplay(Display) {}

 protected:
  int_type overflow(int_type c) override {
    FDisplay.Clear();
    return traits_type::eq_int_type(c, traits_type::eof()) ? traits_type::not_eof(c)
                                                           : FTarget->sputc(traits_type::to_char_type(c));
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    FDisplay.Clear();
    return FTarget->sputn(s, n);
  }
  int sync() override { return FTarget->pubsync(); }

 private:
  std::streambuf* FTarget;
  TProgressDisplay& FDisplay;
};

namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TProgressDisplay::TProgressDisplay(std::ostream& Err, std::string Label, bool Enabled, std::ostream* Out,
                                   TClock Clock)
    : FErr(Err),
      FLabel(std::move(Label)),
      FEnabled(Enabled),
      FClock(Clock ? std::move(Clock) : SteadySeconds) {
  if (!FEnabled) return;
  FStart = FLastShown = FClock();
  FBase = ProcStat;
  FPrevious = MathFeedBackProc;
  MathFeedBackProc = [this](double Stat) { Show(Stat); };
  if (Out != nullptr && Out != &Err) {
    FOut = Out;
    FOutBuf = Out->rdbuf();
    FClearing = std::make_unique<TClearingBuf>(FOutBuf, *this);
    Out->rdbuf(FClearing.get());
  }
}

TProgressDisplay::~TProgressDisplay() {
  if (!FEnabled) return;
  MathFeedBackProc = FPrevious;
  if (FOut != nullptr) FOut->rdbuf(FOutBuf);
  Clear();
}

void TProgressDisplay::Clear() {
  if (FShownWidth == 0) return;
  FErr << '\r' << std::string(FShownWidth, ' ') << '\r' << std::flush;
  FShownWidth = 0;
}

void TProgressDisplay::Show(double Stat) {
  const double now = FClock();
  if (now - FStart < kDelay || now - FLastShown < kInterval) return;
  FLastShown = now;
  // A routine that started its own count afresh is shown from there.
  const double steps = Stat >= FBase ? Stat - FBase : Stat;
  char text[160];
  if (FTotal > 0)
    std::snprintf(text, sizeof text, "%s: %.0f %% (%.0f of %.0f), %.1f s", FLabel.c_str(),
                  std::min(100.0, 100.0 * steps / FTotal), steps, FTotal, now - FStart);
  else
    std::snprintf(text, sizeof text, "%s: %.0f %s, %.1f s", FLabel.c_str(), steps,
                  steps == 1 ? "step" : "steps", now - FStart);
  const std::string line(text);
  FErr << '\r' << line;
  if (line.size() < FShownWidth) FErr << std::string(FShownWidth - line.size(), ' ') << '\r' << line;
  FErr << std::flush;
  FShownWidth = std::max(FShownWidth, line.size());
}

}  // namespace kvl::tool
