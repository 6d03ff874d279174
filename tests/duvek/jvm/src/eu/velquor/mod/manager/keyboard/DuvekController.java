package eu.velquor.mod.manager.keyboard;

/** The Java face of Duvek.dll: lighting through the vendor effect library. */
public class DuvekController {
    static {
        System.loadLibrary("Duvek");
    }

    public native long init0();

    public native long unInit0();

    public native int update();

    public native void onDamage();

    public native void setIlluminatedKeys(int mode, int color);

    public native void setShowHealth(boolean show);

    public native void setShowArmor(boolean show);

    public native void updateHealthAndArmor(float health, float armor);

    public native void displayPotionColor(int color);
}
