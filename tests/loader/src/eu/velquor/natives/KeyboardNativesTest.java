package eu.velquor.natives;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.attribute.FileTime;
import java.util.ArrayList;
import java.util.List;
import java.util.Properties;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** The loader against the test jar's Sample.dll, in both builds. */
class KeyboardNativesTest {
  @TempDir Path folder;

  private static Properties jvm(String os, String arch, String model) {
    Properties p = new Properties();
    p.setProperty("os.name", os);
    p.setProperty("os.arch", arch);
    if (model != null) {
      p.setProperty("sun.arch.data.model", model);
    }
    return p;
  }

  private static final Properties WINDOWS64 = jvm("Windows 10", "amd64", "64");

  private static byte[] entry(String build) throws IOException {
    try (InputStream in = KeyboardNatives.class.getResourceAsStream(
        "/natives/" + build + "/Sample.dll")) {
      return in.readAllBytes();
    }
  }

  @Test
  void buildFollowsDataModelThenOsArch() {
    assertEquals("windows-x64", KeyboardNatives.buildFor(WINDOWS64));
    assertEquals("windows-x86", KeyboardNatives.buildFor(jvm("Windows 10", "x86", "32")));
    assertEquals("windows-x64", KeyboardNatives.buildFor(jvm("Windows 11", "amd64", null)));
    assertEquals("windows-x86", KeyboardNatives.buildFor(jvm("Windows XP", "x86", null)));
    assertEquals("windows-x86", KeyboardNatives.buildFor(jvm("Windows 7", "i686", "unknown")));
    assertEquals(null, KeyboardNatives.buildFor(jvm("Windows 11", "aarch64", "64")));
    assertEquals(null, KeyboardNatives.buildFor(jvm("Linux", "amd64", "64")));
  }

  @Test
  void noBuildNamesWhatItFoundAndWhatExists() {
    UnsatisfiedLinkError e = assertThrows(UnsatisfiedLinkError.class,
        () -> KeyboardNatives.extract("Sample", folder, jvm("Linux", "amd64", "64")));
    assertEquals("no build of Sample.dll for os.name=Linux, os.arch=amd64, "
        + "sun.arch.data.model=64; the jar holds windows-x64, windows-x86", e.getMessage());
    e = assertThrows(UnsatisfiedLinkError.class,
        () -> KeyboardNatives.extract("Absent", folder, WINDOWS64));
    assertTrue(e.getMessage().endsWith("; the jar holds no build of it"), e.getMessage());
  }

  @Test
  void extractsReusesAndReplacesDamaged() throws Exception {
    Path dll = KeyboardNatives.extract("Sample", folder, WINDOWS64);
    assertEquals(folder.resolve("windows-x64/Sample.dll"), dll);
    assertArrayEquals(entry("windows-x64"), Files.readAllBytes(dll));
    Path x86 = KeyboardNatives.extract("Sample", folder, jvm("Windows 10", "x86", "32"));
    assertArrayEquals(entry("windows-x86"), Files.readAllBytes(x86));

    // A whole file is used as it is, never written again.
    FileTime old = FileTime.fromMillis(1_000_000_000_000L);
    Files.setLastModifiedTime(dll, old);
    assertEquals(dll, KeyboardNatives.extract("Sample", folder, WINDOWS64));
    assertEquals(old, Files.getLastModifiedTime(dll));

    // A damaged one, cut short or of another build, is replaced.
    for (byte[] damage : new byte[][] {new byte[] {'M', 'Z'}, entry("windows-x86")}) {
      Files.write(dll, damage);
      KeyboardNatives.extract("Sample", folder, WINDOWS64);
      assertArrayEquals(entry("windows-x64"), Files.readAllBytes(dll));
    }
    try (Stream<Path> left = Files.list(dll.getParent())) {
      assertEquals(1, left.count(), "no temporary files left");
    }

    Path byVersion = KeyboardNatives.extract("Sample", null, WINDOWS64);
    assertEquals(Path.of(System.getProperty("java.io.tmpdir"),
        "velquor-keyboard-natives-0.0.1", "windows-x64", "Sample.dll"), byVersion);
    assertArrayEquals(entry("windows-x64"), Files.readAllBytes(byVersion));
  }

  // Extractions racing into one folder, each round from nothing: every
  // caller gets the path of a whole DLL, whoever's file ends up there.
  @Test
  void concurrentExtractionsAllGetWholeDll() throws Exception {
    int callers = 8;
    ExecutorService pool = Executors.newFixedThreadPool(callers);
    try {
      for (int round = 0; round < 10; round++) {
        Path dir = folder.resolve("round" + round);
        CyclicBarrier start = new CyclicBarrier(callers);
        List<Future<byte[]>> results = new ArrayList<>();
        for (int i = 0; i < callers; i++) {
          results.add(pool.submit(() -> {
            start.await();
            return Files.readAllBytes(KeyboardNatives.extract("Sample", dir, WINDOWS64));
          }));
        }
        for (Future<byte[]> r : results) {
          assertArrayEquals(entry("windows-x64"), r.get());
        }
        try (Stream<Path> left = Files.list(dir.resolve("windows-x64"))) {
          assertEquals(1, left.count(), "no temporary files left");
        }
      }
    } finally {
      pool.shutdownNow();
    }
  }
}
