// The configuration the simulated unit holds at power-on: the program's own
// default configuration of the bike a fresh start begins with, normalised as
// the program would, so that a Read leaves it as it is and the verify passes.

#include "UnitSim.h"
#include "image/BikeDefaults.h"
#include "image/BikeTypes.h"
#include "image/FieldCatalogue.h"
#include "image/Normalise.h"
#include "image/ParamSet.h"

ConfigImage DefaultSimImage() {
  ConfigImage image{};
  WriteRaw(image, FieldId::kBike, 0, kStartBikeType);
  CParamSet params;
  ApplyBikeDefaults(image, params, kWholeImage);
  NormaliseImage(image);
  return image;
}

ConfigImage BlankSimImage() {
  ConfigImage image{};
  WriteRaw(image, FieldId::kBike, 0, kStartBikeType);
  return image;
}
