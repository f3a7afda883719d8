// A k-nearest-neighbour learner: trained on a data table, stored as an XML
// model file, reloaded into a second learner that gives the same estimate:
//   kvl_example_learner [data/alpine_stations.csv] [model.xml]
// The learner estimates a station's July temperature from its latitude
// and altitude, using the stations of the default file as training objects.

#include <cstdio>
#include <string>
#include <vector>

#include "kvl/kvl.h"

int main(int argc, char** argv) {
  const std::string file = argc > 1 ? argv[1] : "data/alpine_stations.csv";
  const std::string modelFile = argc > 2 ? argv[2] : "stations_model.xml";

  // 1. The training data: ModelData is a TDataTable owned by the learner,
  //    one row per object, one column per variable.
  kvl::TMemBasedLearner mbl;
  if (mbl.ModelData->ImportFromCSV(file, kvl::TCSVDelimiters::csvComma, true, true) <= 0) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  const kvl::TDataTable& t = *mbl.ModelData;
  const int lat = t.FindColIndex("latitude"), alt = t.FindColIndex("altitude_m"), jul = t.FindColIndex("jul_temp");
  if (lat <= 0 || alt <= 0 || jul <= 0) {
    std::fprintf(stderr, "%s lacks the columns latitude, altitude_m and jul_temp\n", file.c_str());
    return 1;
  }

  // 2. The roles of the columns: the distance is taken over the independent
  //    ones, the target is estimated, the rest is ignored. Latitude (degrees)
  //    and altitude (metres) differ in scale, so they are standardised; the
  //    estimate is the Gauss-weighted mean of the 4 nearest stations.
  mbl.SetAllVars(kvl::TMBLVarType::mblVarIgnore);
  mbl.SetVarType(lat, kvl::TMBLVarType::mblVarIndep);
  mbl.SetVarType(alt, kvl::TMBLVarType::mblVarIndep);
  mbl.SetVarType(jul, kvl::TMBLVarType::mblVarTarget);
  mbl.SetScalingMode(kvl::TMBLScalingMode::mblStandardized);
  mbl.SetLocalModel(kvl::TMBLLocalModel::mblLMWgtGauss);
  mbl.SetNumNearestNb(4);

  // 3. A probe has one value per column; ApplyModel writes the estimate into
  //    the target's place (0 = success).
  std::vector<double> probe(t.NrOfColumns(), 0.0);
  probe[lat - 1] = 47.1;
  probe[alt - 1] = 1200;
  std::vector<double> first = probe;
  if (mbl.ApplyModel(first, 0, 0) != 0) return 1;

  // 4. Store the model (data, roles and settings) and load it into a new learner.
  mbl.StoreModelXML(modelFile, "alpine stations");
  kvl::TMemBasedLearner loaded;
  std::string id;
  if (loaded.LoadModelXML(modelFile, id) != 0) {
    std::fprintf(stderr, "cannot load %s\n", modelFile.c_str());
    return 1;
  }
  std::vector<double> second = probe;
  if (loaded.ApplyModel(second, 0, 0) != 0) return 1;

  const double a = first[jul - 1], b = second[jul - 1];
  std::printf("%d training stations, model \"%s\" stored in %s\n", t.NrOfRows(), id.c_str(), modelFile.c_str());
  std::printf("July at 47.1 N, 1200 m: trained %.3f C, reloaded %.3f C (%s)\n", a, b,
              a == b ? "identical" : "DIFFERENT");
  return a == b ? 0 : 1;
}
