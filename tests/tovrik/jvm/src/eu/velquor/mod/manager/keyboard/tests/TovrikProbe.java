package eu.velquor.mod.manager.keyboard.tests;

/** Test-only natives: a lighting service thread and an empty method. */
final class TovrikProbe {
  static {
    System.loadLibrary("tovrik_jvm_probe");
  }

  private TovrikProbe() {}

  static native void startService();

  static native void stopService();

  static native void clear();

  /** What the service got, once at least {@code atLeast} messages are in. */
  static native String[] events(int atLeast, int timeoutMs);

  static native void empty();
}
