package com.ulvoran.gaming;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.api.MethodOrderer;
import org.junit.jupiter.api.Order;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.TestMethodOrder;

/**
 * UlvoLED through the JVM's own native-method binding, with Java arrays.
 * The binding's table lives as long as the JVM, so the cases run in order.
 */
@TestMethodOrder(MethodOrderer.OrderAnnotation.class)
class UlvoLEDTest {
  static {
    System.loadLibrary("UlvoranLedJNI");
    System.loadLibrary("ulvo_jvm_support");
  }

  static native void registerEngine();

  static native void unregisterEngine();

  static native void engineReset();

  static native void engineSetResult(boolean result);

  static native void engineSetBitmapBytes(int bytes);

  static native void engineSetQuiet(boolean quiet);

  static native int engineCallCount();

  static native String engineLastCall();

  static native boolean emptyNative(int a, int b, int c);

  private static String hex(byte[] bytes) {
    StringBuilder s = new StringBuilder();
    for (byte b : bytes) s.append(String.format("%02x", b & 0xff));
    return s.toString();
  }

  @Test
  @Order(1)
  void withoutEngineEverythingIsFalse() {
    unregisterEngine();
    assertFalse(UlvoLED.UlvoLedInit());
    assertFalse(UlvoLED.UlvoLedSetLighting(1, 2, 3));
    assertFalse(UlvoLED.UlvoLedSetLightingFromBitmap(new byte[144]));
    assertFalse(UlvoLED.UlvoLedPulseSingleKey(1, 2, 3, 4, 5, 6, 7, 8, true));
    UlvoLED.UlvoLedShutdown();
  }

  @Test
  @Order(2)
  void initBindsTheRegisteredEngine() {
    registerEngine();
    engineReset();
    assertTrue(UlvoLED.UlvoLedInit());
    assertEquals("UlvoLedInit -> 1", engineLastCall());
    assertTrue(UlvoLED.UlvoLedSetLightingForKeyWithHidCode(0x2c, -1, 50, 100));
    assertEquals("UlvoLedSetLightingForKeyWithHidCode 44 -1 50 100 -> 1", engineLastCall());
    assertTrue(UlvoLED.UlvoLedPulseSingleKey(1, 2, 3, 4, 5, 6, 7, -8, true));
    assertEquals("UlvoLedPulseSingleKey 1 2 3 4 5 6 7 -8 1 -> 1", engineLastCall());
  }

  @Test
  @Order(3)
  void byteArrayIsCopiedWholeAndTheResultReturned() {
    byte[] bitmap = new byte[144];
    for (int i = 0; i < bitmap.length; i++) bitmap[i] = (byte) (i * 37 - 128);
    engineSetBitmapBytes(bitmap.length);
    for (boolean result : new boolean[] {true, false}) {
      engineSetResult(result);
      assertEquals(result, UlvoLED.UlvoLedSetLightingFromBitmap(bitmap));
      assertEquals(
          "UlvoLedSetLightingFromBitmap " + hex(bitmap) + (result ? " -> 1" : " -> 0"),
          engineLastCall());
    }
    engineSetResult(true);
  }

  @Test
  @Order(4)
  void nullAndEmptyArrays() {
    engineReset();
    assertFalse(UlvoLED.UlvoLedSetLightingFromBitmap(null));
    assertEquals(0, engineCallCount());
    engineSetBitmapBytes(0);
    assertTrue(UlvoLED.UlvoLedSetLightingFromBitmap(new byte[0]));
    assertEquals("UlvoLedSetLightingFromBitmap -> 1", engineLastCall());
  }

  private static double nsPerCall(Runnable loop, int calls) {
    double best = Double.MAX_VALUE;
    for (int round = 0; round < 5; round++) {
      long t0 = System.nanoTime();
      loop.run();
      best = Math.min(best, (System.nanoTime() - t0) / (double) calls);
    }
    return best;
  }

  // Times UlvoLedSetLighting beside an empty native method (the figures go
  // to the log, nothing is asserted about speed) and checks that every timed
  // call was forwarded and brought back the engine's true.
  @Test
  @Order(5)
  void setLightingTimedBesideAnEmptyNative() {
    final int calls = 2_000_000;
    engineSetQuiet(true);
    long[] trues = new long[1];
    boolean[] sink = new boolean[1];
    Runnable forwarded = () -> {
      for (int i = 0; i < calls; i++) if (UlvoLED.UlvoLedSetLighting(i, 2, 3)) trues[0]++;
    };
    Runnable empty = () -> {
      for (int i = 0; i < calls; i++) sink[0] ^= emptyNative(i, 2, 3);
    };
    double e = nsPerCall(empty, calls);
    double f = nsPerCall(forwarded, calls);
    e = Math.min(e, nsPerCall(empty, calls));
    engineSetQuiet(false);
    System.out.printf(
        "ulvoran-jvm: UlvoLedSetLighting %.2f ns/call, empty native %.2f ns/call, ratio %.3f%n",
        f, e, f / e);
    assertEquals(5L * calls, trues[0]);
  }
}
