// The engine's exported names, in binding order: the binding looks them
// up, and the doctor checks an engine file for them.
#include "led_engine.h"

namespace ulvoran {

const char *const kLedEntryNames[kLedEntryCount] = {
    "UlvoLedInit",
    "UlvoLedSetTargetDevice",
    "UlvoLedSaveCurrentLighting",
    "UlvoLedSetLighting",
    "UlvoLedRestoreLighting",
    "UlvoLedFlashLighting",
    "UlvoLedPulseLighting",
    "UlvoLedSetLightingFromBitmap",
    "UlvoLedSetLightingForKeyWithScanCode",
    "UlvoLedSetLightingForKeyWithHidCode",
    "UlvoLedSetLightingForKeyWithQuartzCode",
    "UlvoLedSetLightingForKeyWithKeyName",
    "UlvoLedPulseSingleKey",
    "UlvoLedFlashSingleKey",
    "UlvoLedStopEffectsOnKey",
    "UlvoLedSaveLightingForKey",
    "UlvoLedRestoreLightingForKey",
    "UlvoLedStopEffects",
    "UlvoLedShutdown",
};

} // namespace ulvoran
