package eu.velquor.natives;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStream;
import java.io.InputStreamReader;
import java.io.OutputStream;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.DirectoryStream;
import java.nio.file.FileSystemException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.security.DigestInputStream;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.Properties;
import java.util.TreeMap;
import java.util.TreeSet;

/**
 * Extracts the DLL of the running JVM's build from this jar, so that a
 * class with native methods can load it in two lines:
 *
 * <pre>
 * static {
 *   System.load(KeyboardNatives.extract("Tovrik").toString());
 * }
 * </pre>
 *
 * The caller loads the DLL itself, because the JVM binds a DLL to the class
 * loader of the class that calls {@code System.load}.  Every failure is an
 * {@link UnsatisfiedLinkError}, which is also what a failed load would give,
 * so a static initialiser needs no try block.
 */
public final class KeyboardNatives {
  /** The jar's digests of its DLLs, as sha256sum writes them. */
  private static final String DIGESTS = "/natives/windows.sha256";
  /** The first line of the digests: this text, then the version. */
  private static final String HEADER = "# velquor-keyboard-natives ";
  /** How long a failed move is tried again, and the longest pause between tries. */
  private static final long MOVE_RETRY_MILLIS = 1000;
  private static final long MOVE_PAUSE_MILLIS = 100;
  /** A partial file this much older than its last write belongs to a copy that died. */
  private static final long STALE_PART_MILLIS = 5 * 60 * 1000;

  private KeyboardNatives() {}

  /**
   * The path of {@code library}'s DLL ("Tovrik" gives Tovrik.dll) for this
   * JVM, extracted into a folder named by the jar's version under the
   * user's temporary folder.  Where this JVM could not load a DLL from
   * there (see {@link #extract(String, Path)}), or cannot write there, the
   * same folder beside the jar, then under the working folder, is used.
   */
  public static Path extract(String library) {
    return extract(library, null);
  }

  /**
   * The same, extracted under {@code folder}.  HotSpot hands the path of
   * {@code System.load} to Windows in the JVM's {@code sun.jnu.encoding}
   * (the ANSI code page), so a folder whose path that cannot represent is
   * refused.
   */
  public static Path extract(String library, Path folder) {
    return extract(library, folder, System.getProperties());
  }

  /** The same, for a JVM with the given system properties. */
  static Path extract(String library, Path folder, Properties system) {
    Digests digests = Digests.read();
    String build = buildFor(system);
    String entry = build + "/" + library + ".dll";
    String digest = digests.byEntry.get(entry);
    if (build == null || digest == null) {
      throw new UnsatisfiedLinkError("no build of " + library + ".dll for os.name="
          + system.getProperty("os.name") + ", os.arch=" + system.getProperty("os.arch")
          + ", sun.arch.data.model=" + system.getProperty("sun.arch.data.model")
          + "; the jar holds " + digests.buildsOf(library));
    }
    if (folder != null) {
      return extractInto(folder.resolve(entry), entry, digest, system);
    }
    // Each folder in turn, until one takes the DLL; the error says what
    // each one did.
    StringBuilder tried = new StringBuilder();
    String name = "velquor-keyboard-natives-" + digests.version;
    for (Path candidate : defaultFolders(system)) {
      try {
        return extractInto(candidate.resolve(name).resolve(entry), entry, digest, system);
      } catch (UnsatisfiedLinkError e) {
        tried.append(tried.length() == 0 ? "" : "; ").append(e.getMessage());
      }
    }
    throw new UnsatisfiedLinkError("cannot extract natives/" + entry + " into any folder this JVM "
        + "can load it from: " + tried + "; extract(\"" + library + "\", folder) takes a folder "
        + "of the mod's choice");
  }

  /** java.io.tmpdir, the jar's folder and user.dir, those that are known. */
  private static List<Path> defaultFolders(Properties system) {
    List<Path> folders = new ArrayList<Path>();
    String temporary = system.getProperty("java.io.tmpdir");
    String working = system.getProperty("user.dir");
    Path jar = jarFolder();
    if (temporary != null) {
      folders.add(Paths.get(temporary));
    }
    if (jar != null) {
      folders.add(jar);
    }
    if (working != null) {
      folders.add(Paths.get(working));
    }
    return folders;
  }

  /** The folder of the jar this class came from, or null. */
  private static Path jarFolder() {
    try {
      Path jar = Paths.get(
          KeyboardNatives.class.getProtectionDomain().getCodeSource().getLocation().toURI());
      return Files.isRegularFile(jar) ? jar.getParent() : null;
    } catch (Exception e) { // no code source, or not a file: no such folder
      return null;
    }
  }

  /**
   * The DLL at {@code dll}, extracted unless it is already there whole,
   * after this loader's stale partial files beside it are removed.
   */
  private static Path extractInto(Path dll, String entry, String digest, Properties system) {
    String encoding = system.getProperty("sun.jnu.encoding");
    if (!representable(dll.toString(), encoding)) {
      throw new UnsatisfiedLinkError("cannot use " + dll + ": this JVM hands the path to "
          + "Windows in " + encoding + ", which cannot represent it");
    }
    removeStaleParts(dll.getParent());
    if (!checksOut(dll, digest)) {
      try {
        install(entry, dll, digest);
      } catch (IOException e) {
        UnsatisfiedLinkError error = new UnsatisfiedLinkError(
            "cannot extract natives/" + entry + " to " + dll + ": " + e.getMessage());
        error.initCause(e);
        throw error;
      }
    }
    return dll;
  }

  /** True unless {@code encoding} is a known charset that lacks a letter of {@code path}. */
  private static boolean representable(String path, String encoding) {
    try {
      return encoding == null || Charset.forName(encoding).newEncoder().canEncode(path);
    } catch (IllegalArgumentException | UnsupportedOperationException e) {
      return true; // a charset this JVM does not know: nothing to judge by
    }
  }

  /**
   * "windows-x64" or "windows-x86" for a Windows JVM of that bitness, null
   * for any other.  The bitness is sun.arch.data.model's, or, where that is
   * absent, os.arch's; an os.arch that is no x86 of either width (an ARM
   * JVM, say) has no build whatever the bitness.
   */
  static String buildFor(Properties system) {
    String os = system.getProperty("os.name", "");
    String arch = system.getProperty("os.arch", "");
    if (!os.startsWith("Windows")) {
      return null;
    }
    boolean x64 = arch.equals("amd64") || arch.equals("x86_64");
    boolean x86 = arch.equals("x86") || arch.matches("i[3-6]86");
    if (!x64 && !x86) {
      return null;
    }
    String model = system.getProperty("sun.arch.data.model", "");
    if (!model.equals("32") && !model.equals("64")) {
      model = x64 ? "64" : "32";
    }
    return model.equals("64") ? "windows-x64" : "windows-x86";
  }

  /** The file exists, can be read and has the digest. */
  private static boolean checksOut(Path file, String digest) {
    if (!Files.isRegularFile(file)) {
      return false;
    }
    try (InputStream in = Files.newInputStream(file)) {
      return digest.equals(sha256(in, null));
    } catch (IOException e) { // held by another program: no use to us as it is
      return false;
    }
  }

  /** How a partial file is moved into place; a test makes it fail. */
  interface Move {
    void move(Path part, Path dll) throws IOException;
  }

  // A class rather than a lambda: javac 17 and 25 order a lambda's constant
  // pool entries differently, and the jar is to be the same bytes on both.
  static Move mover = new Move() {
    @Override
    public void move(Path part, Path dll) throws IOException {
      Files.move(part, dll, StandardCopyOption.ATOMIC_MOVE, StandardCopyOption.REPLACE_EXISTING);
    }
  };

  /**
   * Copies the entry into a partial file beside {@code dll} (on its volume,
   * so that the move is atomic) and moves it into place in one step, so
   * that no process ever sees half a DLL.  The partial file goes, whatever
   * happens, as far as it can.
   */
  private static void install(String entry, Path dll, String digest) throws IOException {
    Path folder = dll.getParent();
    try {
      Files.createDirectories(folder);
    } catch (IOException e) {
      throw new IOException("cannot create the folder " + folder + " (" + e + ")", e);
    }
    Path part;
    try {
      part = Files.createTempFile(folder, dll.getFileName() + ".", ".part");
    } catch (IOException e) {
      throw new IOException("cannot create a file in " + folder + " (" + e + ")", e);
    }
    IOException failure = null;
    try {
      copyEntry(entry, part, digest);
      moveIntoPlace(part, dll, digest);
    } catch (IOException e) {
      failure = e;
      throw e;
    } finally {
      removePart(part, failure);
    }
  }

  /** The jar's entry, written to {@code part} and checked against its digest. */
  private static void copyEntry(String entry, Path part, String digest) throws IOException {
    InputStream in = KeyboardNatives.class.getResourceAsStream("/natives/" + entry);
    if (in == null) {
      throw new IOException("the jar lists natives/" + entry + " but does not hold it");
    }
    String copied;
    try (InputStream from = in; OutputStream out = Files.newOutputStream(part)) {
      copied = sha256(from, out);
    } catch (IOException e) {
      throw new IOException("cannot copy it to " + part + " (" + e + ")", e);
    }
    if (!digest.equals(copied)) {
      throw new IOException("natives/" + entry + " in the jar is damaged");
    }
  }

  /**
   * Moves {@code part} over {@code dll}.  A move fails while another
   * program holds either file: a game that loaded the DLL (Windows refuses
   * to replace a loaded DLL), a second JVM that got there first, or a
   * scanner that is reading the fresh partial file.  A DLL in place that
   * checks out is used; otherwise the move is tried again for about a
   * second, long enough for a scanner to let go.
   */
  private static void moveIntoPlace(Path part, Path dll, String digest) throws IOException {
    long start = System.nanoTime();
    long pause = 10;
    for (int tries = 1; ; tries++) {
      try {
        mover.move(part, dll);
        return;
      } catch (IOException e) {
        if (checksOut(dll, digest)) {
          return;
        }
        long elapsed = (System.nanoTime() - start) / 1000000;
        if (elapsed >= MOVE_RETRY_MILLIS || !pause(pause)) {
          throw new IOException("tried to move " + part + " over it " + tries + " times in "
              + elapsed + " ms; the last try failed with " + e
              + ", and the file there does not check out", e);
        }
        pause = Math.min(2 * pause, MOVE_PAUSE_MILLIS);
      }
    }
  }

  /** Sleeps; false when the thread is interrupted, which stays set. */
  private static boolean pause(long millis) {
    try {
      Thread.sleep(millis);
      return true;
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      return false;
    }
  }

  /**
   * Removes the partial file if it is still there.  A failure changes
   * nothing about the DLL, so it fails no call; it goes beside the error
   * being thrown, if any, and the stale-file sweep retries later.
   */
  private static void removePart(Path part, IOException failure) {
    try {
      Files.deleteIfExists(part);
    } catch (IOException e) {
      if (failure != null) {
        failure.addSuppressed(e);
      }
    }
  }

  /**
   * Removes the partial files (name.dll*.part) in {@code folder} that have
   * not been written for minutes: a JVM killed mid-copy leaves its own
   * behind.  A copy in progress writes its file within milliseconds.
   */
  private static void removeStaleParts(Path folder) {
    long now = System.currentTimeMillis();
    try (DirectoryStream<Path> parts = Files.newDirectoryStream(folder, "*.dll*.part")) {
      for (Path part : parts) {
        try {
          if (now - Files.getLastModifiedTime(part).toMillis() > STALE_PART_MILLIS) {
            Files.deleteIfExists(part);
          }
        } catch (IOException e) { // still held by someone: the next call tries again
        }
      }
    } catch (IOException e) { // no such folder yet, or not readable: nothing to remove
    }
  }

  /** The SHA-256 of everything in {@code in} in hex, copied to {@code out}. */
  private static String sha256(InputStream in, OutputStream out) throws IOException {
    MessageDigest md;
    try {
      md = MessageDigest.getInstance("SHA-256");
    } catch (NoSuchAlgorithmException e) {
      throw new IOException(e);
    }
    byte[] buffer = new byte[65536];
    try (DigestInputStream digesting = new DigestInputStream(in, md)) {
      for (int n; (n = digesting.read(buffer)) > 0; ) {
        if (out != null) {
          out.write(buffer, 0, n);
        }
      }
    }
    StringBuilder hex = new StringBuilder();
    for (byte b : md.digest()) {
      hex.append(String.format("%02x", b));
    }
    return hex.toString();
  }

  /** The digests resource: the version and each entry's SHA-256. */
  private static final class Digests {
    String version = "unknown";
    final Map<String, String> byEntry = new TreeMap<String, String>();

    static Digests read() {
      Digests d = new Digests();
      InputStream in = KeyboardNatives.class.getResourceAsStream(DIGESTS);
      if (in == null) {
        throw new UnsatisfiedLinkError("the natives jar lacks " + DIGESTS);
      }
      try (BufferedReader lines =
          new BufferedReader(new InputStreamReader(in, StandardCharsets.UTF_8))) {
        for (String line; (line = lines.readLine()) != null; ) {
          if (line.startsWith(HEADER)) {
            d.version = line.substring(HEADER.length()).trim();
          } else if (line.matches("[0-9a-f]{64}  \\S+")) {
            d.byEntry.put(line.substring(66), line.substring(0, 64));
          }
        }
      } catch (IOException e) {
        UnsatisfiedLinkError error = new UnsatisfiedLinkError("cannot read " + DIGESTS);
        error.initCause(e);
        throw error;
      }
      return d;
    }

    /** "windows-x64, windows-x86"-style: the builds that hold the library. */
    String buildsOf(String library) {
      TreeSet<String> builds = new TreeSet<String>();
      for (String entry : byEntry.keySet()) {
        if (entry.endsWith("/" + library + ".dll")) {
          builds.add(entry.substring(0, entry.indexOf('/')));
        }
      }
      return builds.isEmpty() ? "no build of it" : String.join(", ", builds);
    }
  }
}
