package eu.velquor.mod.manager.keyboard;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;

/**
 * Duvek through a real JVM.  Each registration puts one stand-in variant of
 * the effect library on the library path and names it in DVGLOW_VARIANT;
 * the cases for other variants are skipped.
 */
class DuvekControllerTest {
    private final DuvekController duvek = new DuvekController();

    private static boolean variant(String name) {
        return name.equals(System.getenv("DVGLOW_VARIANT"));
    }

    @AfterEach
    void stop() throws InterruptedException {
        Thread.sleep(350); // let any flash end
        duvek.unInit0();
    }

    @Test
    void missingLibraryGives1062AndNothingDraws() {
        assumeTrue(variant("none"));
        assertEquals(1062L, duvek.init0());
        assertEquals(1062L, duvek.init0());
        assertEquals(-1, duvek.update());
        assertEquals(5023L, duvek.unInit0());
    }

    @Test
    void minusOneFromInitArrivesAsMinusOneLong() {
        assumeTrue(variant("dvglow_init_m1"));
        long rc = duvek.init0();
        assertEquals(-1L, rc);
        assertEquals(5023L, duvek.init0());
        assertEquals(0L, duvek.unInit0());
    }

    @Test
    void completeLibraryDrawsUntilUnInit() throws InterruptedException {
        assumeTrue(variant("dvglow_complete"));
        assertEquals(5023L, duvek.unInit0());
        assertEquals(-1, duvek.update());
        assertEquals(0L, duvek.init0());
        duvek.setIlluminatedKeys(2, 0x00FF8000);
        duvek.setShowHealth(true);
        duvek.setShowArmor(false);
        duvek.updateHealthAndArmor(0.5f, Float.NaN);
        assertEquals(0, duvek.update());
        duvek.displayPotionColor(0x0000FF00);
        duvek.onDamage();
        boolean heldOff = false;
        for (int i = 0; i < 200 && !heldOff; i++) {
            heldOff = duvek.update() == -1; // draws until the flash starts
            Thread.sleep(1);
        }
        assertTrue(heldOff, "no drawing over a flash");
        Thread.sleep(400);
        assertEquals(0, duvek.update());
        assertEquals(5023L, duvek.init0());
        assertEquals(-1, duvek.update());
        assertEquals(0L, duvek.unInit0());
        assertEquals(-1, duvek.update());
    }

    @Test
    void missingUnInitGivesMinusOneLong() {
        assumeTrue(variant("dvglow_no_uninit"));
        assertEquals(0L, duvek.init0());
        assertEquals(-1L, duvek.unInit0());
        assertEquals(0L, duvek.init0(), "released, so it starts afresh");
    }
}
