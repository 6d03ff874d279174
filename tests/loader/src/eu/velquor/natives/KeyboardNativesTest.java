package eu.velquor.natives;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.io.InputStream;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.DirectoryNotEmptyException;
import java.nio.file.DirectoryStream;
import java.nio.file.FileSystemException;
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
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Tag;
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
    p.setProperty("java.io.tmpdir", System.getProperty("java.io.tmpdir"));
    return p;
  }

  private static final Properties WINDOWS64 = jvm("Windows 10", "amd64", "64");

  private static final Path TEST_JAR =
      Path.of(KeyboardNatives.class.getProtectionDomain().getCodeSource().getLocation().getPath());
  private static final KeyboardNatives.Move REAL_MOVE = KeyboardNatives.mover;

  @AfterEach
  void restoreMove() {
    KeyboardNatives.mover = REAL_MOVE;
  }

  /** The package-private extract of {@code jar}'s own copy of the loader. */
  interface Extract {
    Path extract(String library, Path folder, Properties system) throws Throwable;
  }

  private static Extract loaderIn(Path jar) throws Exception {
    Method extract = new URLClassLoader(new URL[] {jar.toUri().toURL()}, null)
        .loadClass(KeyboardNatives.class.getName())
        .getDeclaredMethod("extract", String.class, Path.class, Properties.class);
    extract.setAccessible(true);
    return (library, folder, system) -> {
      try {
        return (Path) extract.invoke(null, library, folder, system);
      } catch (InvocationTargetException e) {
        throw e.getCause();
      }
    };
  }

  /** Each DLL of dist/ as the shipped jar's loader extracts it, on the host JVM. */
  @Test
  @Tag("shipped")
  void shippedJarExtractsEveryDllOfDist() throws Throwable {
    Path dist = Path.of(System.getProperty("velquor.dist"));
    Path jar = dist.resolve("velquor-keyboard-natives-" + System.getProperty("velquor.version") + ".jar");
    assertTrue(Files.isRegularFile(jar), "no " + jar + ": scripts/build.sh rebuilds dist/");
    int dlls = 0;
    for (String[] build : new String[][] {{"x86", "x86", "32"}, {"x64", "amd64", "64"}}) {
      try (DirectoryStream<Path> built = Files.newDirectoryStream(dist.resolve(build[0]), "*.dll")) {
        for (Path dll : built) {
          Path extracted = loaderIn(jar).extract(dll.getFileName().toString().replace(".dll", ""),
              folder, jvm("Windows 10", build[1], build[2]));
          assertArrayEquals(Files.readAllBytes(dll), Files.readAllBytes(extracted),
              extracted + ", from " + jar + ", differs from " + dll);
          dlls++;
        }
      }
    }
    assertEquals(6, dlls, "the DLLs of " + dist + "/x86 and x64");
  }

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

  private static long filesIn(Path dir) throws IOException {
    try (Stream<Path> files = Files.list(dir)) {
      return files.count();
    }
  }

  /** A partial file turned into a folder that Files.delete refuses. */
  private static void makeUndeletable(Path part) throws IOException {
    if (Files.isRegularFile(part)) {
      Files.delete(part);
      Files.createDirectories(part.resolve("held"));
    }
  }

  private static FileSystemException held(Path file) {
    return new FileSystemException(file.toString(), null, "held by a scanner");
  }

  @Test
  void failedMoveTriedAgainBesideTheDllThenGivenUp() throws Throwable {
    List<Path> parts = new ArrayList<>();
    KeyboardNatives.mover = (part, dll) -> {
      parts.add(part);
      if (parts.size() <= 3) {
        throw held(part);
      }
      REAL_MOVE.move(part, dll);
    };
    Path dll = KeyboardNatives.extract("Sample", folder, WINDOWS64);
    assertArrayEquals(entry("windows-x64"), Files.readAllBytes(dll));
    assertEquals(4, parts.size());
    // On the DLL's volume, so that the move can be atomic.
    assertEquals(dll.getParent(), parts.get(0).getParent());
    assertEquals(1, filesIn(dll.getParent()), "no partial file left");

    // Held for good, and the partial file cannot be removed: the error is the move's.
    Files.delete(dll);
    parts.clear();
    KeyboardNatives.mover = (part, target) -> {
      parts.add(part);
      makeUndeletable(part);
      throw held(part);
    };
    UnsatisfiedLinkError e = assertThrows(UnsatisfiedLinkError.class,
        () -> KeyboardNatives.extract("Sample", folder, WINDOWS64));
    assertTrue(e.getMessage().startsWith("cannot extract natives/windows-x64/Sample.dll to " + dll
        + ": tried to move " + parts.get(0) + " over it " + parts.size() + " times in "));
    assertTrue(e.getMessage().endsWith(" ms; the last try failed with " + held(parts.get(0))
        + ", and the file there does not check out"), e.getMessage());
    assertTrue(parts.size() > 4, "tried for about a second");
    assertEquals(DirectoryNotEmptyException.class, e.getCause().getSuppressed()[0].getClass());
  }

  // Another JVM moved its copy in first: its DLL is used, and the partial
  // file goes, or stays without failing the call when it cannot be removed.
  @Test
  void failedMoveOverAWholeDllUsesIt() throws Throwable {
    for (boolean removable : new boolean[] {true, false}) {
      KeyboardNatives.mover = (part, dll) -> {
        Files.copy(part, dll);
        if (!removable) {
          makeUndeletable(part);
        }
        throw held(dll);
      };
      Path dll = KeyboardNatives.extract("Sample", folder.resolve("" + removable), WINDOWS64);
      assertArrayEquals(entry("windows-x64"), Files.readAllBytes(dll));
      assertEquals(removable ? 1 : 2, filesIn(dll.getParent()));
    }
  }

  @Test
  void stalePartialFilesAreRemoved() throws Exception {
    Path dir = Files.createDirectories(folder.resolve("windows-x64"));
    Path stale = Files.write(dir.resolve("Sample.dll8123.part"), new byte[] {'M'});
    Path fresh = Files.write(dir.resolve("Sample.dll.4567.part"), new byte[] {'M'});
    Path other = Files.write(dir.resolve("notes.part"), new byte[] {'M'});
    for (Path old : new Path[] {stale, other}) {
      Files.setLastModifiedTime(old, FileTime.fromMillis(System.currentTimeMillis() - 3_600_000));
    }
    KeyboardNatives.extract("Sample", folder, WINDOWS64);
    assertEquals(List.of(false, true, true),
        List.of(Files.exists(stale), Files.exists(fresh), Files.exists(other)));
  }

  // HotSpot passes the path to Windows in sun.jnu.encoding: a user folder in
  // Cyrillic on a Western-locale Windows cannot be loaded from.
  @Test
  void folderOutsideTheJvmEncodingIsNotUsed() throws Throwable {
    Path user = folder.resolve("Влад");
    Properties western = jvm("Windows 10", "amd64", "64");
    western.setProperty("sun.jnu.encoding", "Cp1252");
    western.setProperty("java.io.tmpdir", user.resolve("Temp").toString());
    western.setProperty("user.dir", folder.resolve("game").toString());
    Path inUser = Files.createDirectories(user.resolve("mods")).resolve("natives.jar");
    Path inMods = Files.createDirectories(folder.resolve("mods")).resolve("natives.jar");
    Files.copy(TEST_JAR, inUser);
    Files.copy(TEST_JAR, inMods);
    String under = "velquor-keyboard-natives-0.0.1/windows-x64/Sample.dll";

    assertEquals(inMods.resolveSibling(under), loaderIn(inMods).extract("Sample", null, western));
    Path dll = loaderIn(inUser).extract("Sample", null, western);
    assertEquals(folder.resolve("game").resolve(under), dll);
    assertArrayEquals(entry("windows-x64"), Files.readAllBytes(dll));

    western.setProperty("user.dir", user.toString());
    String refused = ": this JVM hands the path to Windows in Cp1252, which cannot represent it";
    UnsatisfiedLinkError e = assertThrows(UnsatisfiedLinkError.class,
        () -> loaderIn(inUser).extract("Sample", null, western));
    assertEquals("cannot extract natives/windows-x64/Sample.dll into any folder this JVM can load "
        + "it from: cannot use "
        + user.resolve("Temp").resolve(under) + refused + "; cannot use "
        + inUser.resolveSibling(under) + refused + "; cannot use " + user.resolve(under) + refused
        + "; extract(\"Sample\", folder) takes a folder of the mod's choice", e.getMessage());
    e = assertThrows(UnsatisfiedLinkError.class,
        () -> KeyboardNatives.extract("Sample", user, western));
    assertEquals("cannot use " + user.resolve("windows-x64/Sample.dll") + refused, e.getMessage());
    assertEquals(1, filesIn(user), "nothing written under " + user);
  }
}
