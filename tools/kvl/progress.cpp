#include "progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace kvl::tool {

// Collects what is written to a stream in a buffer of its own and passes
// it on to the stream's buffer in blocks, clearing the progress line before
// each block, so that the command's output never lands in the line.
class TProgressDisplay::TClearingBuf : public std::streambuf {
 public:
  TClearingBuf(std::streambuf* Target, TProgressDisplay& Display) : FTarget(Target), FDisplay(Display) {
    setp(FBuf, FBuf + sizeof FBuf);
  }

 protected:
  int_type overflow(int_type c) override {
    if (!Pass()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  int sync() override { return Pass() ? FTarget->pubsync() : -1; }

 private:
  // The collected characters go on to the target.
  bool Pass() {
    const std::streamsize n = pptr() - pbase();
    if (n == 0) return true;
    FDisplay.Clear();
    const bool ok = FTarget->sputn(pbase(), n) == n;
    setp(FBuf, FBuf + sizeof FBuf);
    return ok;
  }

  std::streambuf* FTarget;
  TProgressDisplay& FDisplay;
  char FBuf[4096];
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
  if (FOut != nullptr) {
    FClearing->pubsync();
    FOut->rdbuf(FOutBuf);
  }
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
