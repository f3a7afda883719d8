#include "commands.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <ostream>

#include "cluster.h"
#include "describe.h"
#include "fit.h"
#include "fourier_cmd.h"
#include "image.h"
#include "learn.h"
#include "progress.h"
#include "smooth.h"
#include "table.h"

namespace kvl::tool {

namespace {

constexpr TCommand kCommands[] = {
    {"cluster", "FILE [--method NAME] [--k N]",
     "k-means or agglomerative clustering of the rows of a matrix ASC file", RunCluster},
    {"describe", "FILE", "summary statistics and a histogram of the values of a one-column ASC file",
     RunDescribe},
    {"fit", "FILE [--model NAME]", "fits a regression model to the pairs of a two-column ASC file", RunFit},
    {"image", "FILE --out IMAGE", "draws the matrix of an ASC file as a PNG, BMP or JPEG image", RunImage},
    {"learn", "train|predict ...", "trains a k-nearest-neighbour model on an ASC data table, or applies one",
     RunLearn},
    {"smooth", "FILE --method NAME", "smooths or differentiates the column of a one-column ASC file",
     RunSmooth},
    {"spectrum", "FILE [--window NAME] [--size N] [--column C]",
     "power spectrum and magnitudes of a column of an ASC file", RunSpectrum},
    {"table", "FILE --to FORM|--info", "converts a data table between XML, CSV and ASC, or summarises it",
     RunTable},
};

constexpr std::size_t kSynopsisWidth = 18;

}  // namespace

std::span<const TCommand> Commands() { return kCommands; }

std::string FormatNumber(double x, int Digits) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*g", Digits, x);
  return buf;
}

void PrintField(std::ostream& Out, std::string_view Label, std::string_view Value, std::size_t Width) {
  Out << Label << std::string(Label.size() < Width ? Width - Label.size() : 1, ' ') << Value << '\n';
}

int UsageError(const TStreams& IO, std::string_view Command, std::string_view Problem) {
  IO.Err << "kvl " << Command << ": " << Problem << " (try kvl " << Command << " --help)\n";
  return kExitUsage;
}

std::string Usage(std::span<const TCommand> Table) {
  std::string text =
      "kvl - command-line companion of the KVL numerics library\n"
      "\n"
      "usage: kvl COMMAND [ARGUMENTS]\n"
      "\n"
      "commands:\n";
  for (const TCommand& c : Table) {
    std::string head = "  ";
    head.append(c.Name).append(" ").append(c.Synopsis);
    head.resize(std::max(head.size() + 1, kSynopsisWidth), ' ');
    text.append(head).append(c.Summary).append("\n");
  }
  text +=
      "\n"
      "A FILE of - is standard input. Options take their value as the next word\n"
      "or after \"=\" (--k 3, --k=3). Work longer than a second shows its progress\n"
      "on standard error when that is a terminal.\n"
      "\n"
      "options:\n"
      "  -h, --help      this text; kvl COMMAND --help explains a command\n"
      "  --version       the program's version\n"
      "\n"
      "Exit status: 0 done, 1 bad input (a missing, malformed or unusable file),\n"
      "2 wrong command line, 3 internal error of the program.\n";
  return text;
}

std::string Version() { return std::string("kvl ") + KVL_TOOL_VERSION + "\n"; }

int RunKvl(std::span<const std::string> Args, const TStreams& IO, std::span<const TCommand> Table) {
  if (Args.empty()) {
    IO.Err << Usage(Table);
    return kExitUsage;
  }
  const std::string& word = Args[0];
  if (word == "-h" || word == "--help" || word == "help") {
    IO.Out << Usage(Table);
    return kExitOK;
  }
  if (word == "--version") {
    IO.Out << Version();
    return kExitOK;
  }
  const auto command = std::ranges::find(Table, std::string_view(word), &TCommand::Name);
  if (command == Table.end()) {
    IO.Err << "kvl: unknown command \"" << word << "\" (try kvl --help)\n";
    return kExitUsage;
  }
  try {
    TProgressDisplay progress(IO.Err, "kvl " + word, IO.ErrIsTerminal, &IO.Out);
    const TStreams io{IO.In, IO.Out, IO.Err, IO.ErrIsTerminal, &progress};
    return command->Run(Args.subspan(1), io);
  } catch (const std::exception& e) {
    IO.Err << "kvl: internal error: " << e.what() << '\n';
  } catch (...) {
    IO.Err << "kvl: internal error: unknown exception\n";
  }
  return kExitInternal;
}

}  // namespace kvl::tool
