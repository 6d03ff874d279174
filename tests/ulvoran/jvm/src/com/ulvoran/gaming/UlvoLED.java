package com.ulvoran.gaming;

/** The Ulvoran LED engine, one native method per engine entry point. */
public final class UlvoLED {
  private UlvoLED() {}

  public static native boolean UlvoLedInit();

  public static native boolean UlvoLedSetTargetDevice(int targetDevice);

  public static native boolean UlvoLedSaveCurrentLighting();

  public static native boolean UlvoLedSetLighting(int red, int green, int blue);

  public static native boolean UlvoLedRestoreLighting();

  public static native boolean UlvoLedSaveLightingForKey(int key);

  public static native boolean UlvoLedRestoreLightingForKey(int key);

  public static native boolean UlvoLedFlashLighting(
      int red, int green, int blue, int duration, int interval);

  public static native boolean UlvoLedPulseLighting(
      int red, int green, int blue, int duration, int interval);

  public static native boolean UlvoLedSetLightingFromBitmap(byte[] bitmap);

  public static native boolean UlvoLedSetLightingForKeyWithScanCode(
      int key, int red, int green, int blue);

  public static native boolean UlvoLedSetLightingForKeyWithHidCode(
      int key, int red, int green, int blue);

  public static native boolean UlvoLedSetLightingForKeyWithQuartzCode(
      int key, int red, int green, int blue);

  public static native boolean UlvoLedSetLightingForKeyWithKeyName(
      int key, int red, int green, int blue);

  public static native boolean UlvoLedFlashSingleKey(
      int key, int red, int green, int blue, int duration, int interval);

  public static native boolean UlvoLedPulseSingleKey(
      int key, int startRed, int startGreen, int startBlue,
      int endRed, int endGreen, int endBlue, int duration, boolean infinite);

  public static native boolean UlvoLedStopEffectsOnKey(int key);

  public static native boolean UlvoLedStopEffects();

  public static native void UlvoLedShutdown();
}
