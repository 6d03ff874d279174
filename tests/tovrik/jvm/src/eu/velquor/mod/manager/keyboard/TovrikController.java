package eu.velquor.mod.manager.keyboard;

/** The Java face of the Tovrik keyboard bridge: nine native methods. */
public final class TovrikController {
  static {
    System.loadLibrary("Tovrik");
  }

  private TovrikController() {}

  public static native boolean init();

  public static native void unInit();

  public static native void update();

  public static native void onDamage();

  public static native void displayPotionColor(int color);

  public static native void setIlluminatedKeys(int mode, int color);

  public static native void setShowHealth(boolean show);

  public static native void setShowArmor(boolean show);

  public static native void updateHealthAndArmor(float health, float armor);
}
