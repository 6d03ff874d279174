#include "methods.h"

#include <cstring>

namespace preview {

namespace {

constexpr Kind I = Kind::Int;
constexpr Kind F = Kind::Float;
constexpr Kind Z = Kind::Boolean;
constexpr Kind B = Kind::Bytes;
constexpr Kind V = Kind::Void;
constexpr Kind J = Kind::Long;

const Method kTovrik[] = {
    {Library::Tovrik, "init", Z, 0, {}},
    {Library::Tovrik, "unInit", V, 0, {}},
    {Library::Tovrik, "update", V, 0, {}},
    {Library::Tovrik, "onDamage", V, 0, {}},
    {Library::Tovrik, "displayPotionColor", V, 1, {I}},
    {Library::Tovrik, "setIlluminatedKeys", V, 2, {I, I}},
    {Library::Tovrik, "setShowHealth", V, 1, {Z}},
    {Library::Tovrik, "setShowArmor", V, 1, {Z}},
    {Library::Tovrik, "updateHealthAndArmor", V, 2, {F, F}},
};

const Method kDuvek[] = {
    {Library::Duvek, "init0", J, 0, {}},
    {Library::Duvek, "unInit0", J, 0, {}},
    {Library::Duvek, "update", I, 0, {}},
    {Library::Duvek, "onDamage", V, 0, {}},
    {Library::Duvek, "setIlluminatedKeys", V, 2, {I, I}},
    {Library::Duvek, "setShowHealth", V, 1, {Z}},
    {Library::Duvek, "setShowArmor", V, 1, {Z}},
    {Library::Duvek, "updateHealthAndArmor", V, 2, {F, F}},
    {Library::Duvek, "displayPotionColor", V, 1, {I}},
};

const Method kUlvoran[] = {
    {Library::Ulvoran, "UlvoLedInit", Z, 0, {}},
    {Library::Ulvoran, "UlvoLedSetTargetDevice", Z, 1, {I}},
    {Library::Ulvoran, "UlvoLedSaveCurrentLighting", Z, 0, {}},
    {Library::Ulvoran, "UlvoLedSetLighting", Z, 3, {I, I, I}},
    {Library::Ulvoran, "UlvoLedRestoreLighting", Z, 0, {}},
    {Library::Ulvoran, "UlvoLedSaveLightingForKey", Z, 1, {I}},
    {Library::Ulvoran, "UlvoLedRestoreLightingForKey", Z, 1, {I}},
    {Library::Ulvoran, "UlvoLedFlashLighting", Z, 5, {I, I, I, I, I}},
    {Library::Ulvoran, "UlvoLedPulseLighting", Z, 5, {I, I, I, I, I}},
    {Library::Ulvoran, "UlvoLedSetLightingFromBitmap", Z, 1, {B}},
    {Library::Ulvoran,
     "UlvoLedSetLightingForKeyWithScanCode",
     Z,
     4,
     {I, I, I, I}},
    {Library::Ulvoran,
     "UlvoLedSetLightingForKeyWithHidCode",
     Z,
     4,
     {I, I, I, I}},
    {Library::Ulvoran,
     "UlvoLedSetLightingForKeyWithQuartzCode",
     Z,
     4,
     {I, I, I, I}},
    {Library::Ulvoran,
     "UlvoLedSetLightingForKeyWithKeyName",
     Z,
     4,
     {I, I, I, I}},
    {Library::Ulvoran, "UlvoLedFlashSingleKey", Z, 6, {I, I, I, I, I, I}},
    {Library::Ulvoran,
     "UlvoLedPulseSingleKey",
     Z,
     9,
     {I, I, I, I, I, I, I, I, Z}},
    {Library::Ulvoran, "UlvoLedStopEffectsOnKey", Z, 1, {I}},
    {Library::Ulvoran, "UlvoLedStopEffects", Z, 0, {}},
    {Library::Ulvoran, "UlvoLedShutdown", V, 0, {}},
};

template <int N> int countOf(const Method (&)[N]) { return N; }

} // namespace

const char *libraryName(Library lib) {
  switch (lib) {
  case Library::Tovrik:
    return "tovrik";
  case Library::Duvek:
    return "duvek";
  case Library::Ulvoran:
    return "ulvoran";
  }
  return "?";
}

bool parseLibrary(const std::string &word, Library *lib) {
  for (Library l : {Library::Tovrik, Library::Duvek, Library::Ulvoran}) {
    if (word == libraryName(l)) {
      *lib = l;
      return true;
    }
  }
  return false;
}

const Method *methodsOf(Library lib, int *count) {
  switch (lib) {
  case Library::Tovrik:
    *count = countOf(kTovrik);
    return kTovrik;
  case Library::Duvek:
    *count = countOf(kDuvek);
    return kDuvek;
  case Library::Ulvoran:
    *count = countOf(kUlvoran);
    return kUlvoran;
  }
  *count = 0;
  return nullptr;
}

const Method *findMethod(Library lib, const std::string &name) {
  int n = 0;
  const Method *m = methodsOf(lib, &n);
  for (int i = 0; i < n; i++) {
    if (name == m[i].name)
      return &m[i];
  }
  return nullptr;
}

} // namespace preview
