#pragma once
// The NIST StRD data sets of ../shared/data/nist-strd for the accuracy
// tests: the folder found above the source file (or the working
// directory), one set read into its header keys and data rows, and the log
// relative error that counts correct digits.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kvl::test {

/// TStrdSet: the "# key: value" lines and the rows of numbers of one set.
struct TStrdSet {
  std::map<std::string, std::string> Header;
  std::vector<std::vector<double>> Rows;
  /// Cert: the certified value of Key ("B1.estimate", "residual_sd", ...).
  double Cert(const std::string& Key) const { return std::strtod(Header.at("certified." + Key).c_str(), nullptr); }
};

/// StrdFolder: shared/data/nist-strd under the first ancestor of this file
/// or of the working directory that has one; empty when none has.
inline std::filesystem::path StrdFolder() {
  for (std::filesystem::path start : {std::filesystem::absolute(__FILE__), std::filesystem::current_path()}) {
    for (auto p = start; p.has_relative_path(); p = p.parent_path()) {
      const auto candidate = p / "shared" / "data" / "nist-strd";
      if (std::filesystem::is_directory(candidate)) return candidate;
    }
  }
  return {};
}

/// LoadStrd: reads set Name; false when it is missing or holds no rows.
inline bool LoadStrd(const std::string& Name, TStrdSet& Set) {
  std::ifstream in(StrdFolder() / (Name + ".txt"));
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line[0] == '#') {
      const auto colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string key = line.substr(1, colon - 1), value = line.substr(colon + 1);
      key.erase(0, key.find_first_not_of(' '));
      value.erase(0, value.find_first_not_of(' '));
      Set.Header[key] = value;
      continue;
    }
    std::istringstream s(line);
    std::vector<double> row;
    for (std::string tok; s >> tok;) row.push_back(std::strtod(tok.c_str(), nullptr));
    Set.Rows.push_back(row);
  }
  return !Set.Rows.empty();
}

/// Lre: correct digits of Estimate, −lg of the relative error (−lg|Estimate|
/// for a certified 0), within 0..15.
inline double Lre(double Estimate, double Certified) {
  const double err = Certified == 0 ? std::fabs(Estimate) : std::fabs(Estimate - Certified) / std::fabs(Certified);
  return err == 0 ? 15.0 : std::clamp(-std::log10(err), 0.0, 15.0);
}

}  // namespace kvl::test
