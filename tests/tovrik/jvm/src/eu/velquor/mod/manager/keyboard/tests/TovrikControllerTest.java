package eu.velquor.mod.manager.keyboard.tests;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import eu.velquor.mod.manager.keyboard.TovrikController;
import java.util.Arrays;
import org.junit.jupiter.api.AfterAll;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.MethodOrderer;
import org.junit.jupiter.api.Order;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.TestMethodOrder;

/** The nine native methods as a JVM links them, against a service thread. */
@TestMethodOrder(MethodOrderer.OrderAnnotation.class)
class TovrikControllerTest {
  static final String OFF = "keys 20 " + "00".repeat(20);
  static final String ON = "keys 20 " + "ff".repeat(15) + "00".repeat(5);
  static final String WASD = "keys 20 000000000000026000020000000001" + "00".repeat(5);
  // W A S D Space after every key was lit: the unnamed positions stay on.
  static final String WASD_AFTER_ON =
      "keys 20 000000000100026180020008708083" + "00".repeat(5);

  @BeforeAll
  static void startService() {
    TovrikProbe.startService();
  }

  @AfterAll
  static void stopService() {
    TovrikProbe.stopService();
  }

  @Test
  @Order(1)
  void loadDiscoversThenInitDarkensEveryKey() {
    // The library loads here, with the service already running.
    assertTrue(TovrikController.init());
    String[] ev = TovrikProbe.events(3, 5000);
    assertEquals(3, ev.length, Arrays.toString(ev));
    assertTrue(ev[0].matches("discover 0x[0-9A-F]{8,16}"), ev[0]);
    assertArrayEquals(new String[] {"led-control 15 1", OFF}, Arrays.copyOfRange(ev, 1, 3));
  }

  @Test
  @Order(2)
  void workedExampleCarriesIntsAndFloats() {
    TovrikProbe.clear();
    TovrikController.setIlluminatedKeys(1, 0x0000FF00);
    TovrikController.updateHealthAndArmor(0.5f, 0.25f);
    TovrikController.update();
    assertArrayEquals(
        new String[] {
          "light-control 0x00010102 0x0000FF00",
          "keys 20 1ce00102000002600002000000000100000000" + "00"
        },
        TovrikProbe.events(2, 5000));
  }

  @Test
  @Order(3)
  void booleansAndArmourSeven() {
    TovrikProbe.clear();
    TovrikController.setShowHealth(false);
    TovrikController.setShowArmor(true);
    TovrikController.updateHealthAndArmor(0.0f, 0.7f);
    TovrikController.update();
    // Number keys 1 to 7 and W A S D Space.
    assertArrayEquals(
        new String[] {"keys 20 0020001e800102600002000000000100000000" + "00"},
        TovrikProbe.events(1, 5000));
    TovrikProbe.clear();
    TovrikController.setShowArmor(false);
    TovrikController.update();
    assertArrayEquals(new String[] {WASD}, TovrikProbe.events(1, 5000));
  }

  @Test
  @Order(4)
  void potionColourAndDamageFlash() throws InterruptedException {
    TovrikProbe.clear();
    TovrikController.displayPotionColor(0x00102030);
    TovrikController.onDamage();
    TovrikProbe.events(2 + 6, 5000);
    Thread.sleep(100);
    assertArrayEquals(
        new String[] {
          "light-control 0x00000102 0x00102030",
          ON,
          "light-control 0x00010102 0x00FF0000",
          ON,
          OFF,
          ON,
          "light-control 0x00010102 0x0000FF00",
          WASD_AFTER_ON
        },
        TovrikProbe.events(0, 0));
  }

  @Test
  @Order(5)
  void unInitHandsBack() {
    TovrikProbe.clear();
    TovrikController.unInit();
    assertArrayEquals(
        new String[] {"light-control 0xFFFFFFFF 0x00000000", "led-control 15 0"},
        TovrikProbe.events(2, 5000));
  }

  // Times update beside an empty native method (the figures go to the log,
  // nothing is asserted about speed) and checks what the timed updates did:
  // each sent exactly one frame, every frame whole and the same.
  @Test
  @Order(6)
  void timedUpdatesEachSendOneWholeFrame() {
    TovrikController.init();
    int n = 20000;
    for (int i = 0; i < 2000; i++) {
      TovrikController.update();
      TovrikProbe.empty();
    }
    TovrikProbe.clear();
    long t0 = System.nanoTime();
    for (int i = 0; i < n; i++) TovrikProbe.empty();
    long t1 = System.nanoTime();
    for (int i = 0; i < n; i++) TovrikController.update();
    long t2 = System.nanoTime();
    double empty = (t1 - t0) / (double) n, update = (t2 - t1) / (double) n;
    System.out.printf(
        "update %.0f ns/call, empty native %.0f ns/call, ratio %.1f%n",
        update, empty, update / empty);
    String[] ev = TovrikProbe.events(n, 5000);
    assertEquals(n, ev.length);
    assertTrue(ev[0].matches("keys 20 [0-9a-f]{30}0{10}"), ev[0]);
    assertEquals(n, Arrays.stream(ev).filter(ev[0]::equals).count());
    TovrikProbe.clear();
  }
}
