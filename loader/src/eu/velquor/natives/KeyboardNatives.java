package eu.velquor.natives;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStream;
import java.io.InputStreamReader;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.FileSystemException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.security.DigestInputStream;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
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

  private KeyboardNatives() {}

  /**
   * The path of {@code library}'s DLL ("Tovrik" gives Tovrik.dll) for this
   * JVM, extracted into a folder named by the jar's version under the
   * user's temporary folder.
   */
  public static Path extract(String library) {
    return extract(library, null);
  }

  /** The same, extracted under {@code folder}. */
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
    if (folder == null) {
      folder = Paths.get(System.getProperty("java.io.tmpdir"),
          "velquor-keyboard-natives-" + digests.version);
    }
    Path dll = folder.resolve(entry);
    try {
      if (!checksOut(dll, digest)) {
        install(entry, dll, digest);
      }
    } catch (IOException e) {
      UnsatisfiedLinkError error = new UnsatisfiedLinkError("cannot extract " + dll + ": " + e);
      error.initCause(e);
      throw error;
    }
    return dll;
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

  /** The file exists and has the digest; a damaged or absent one does not. */
  private static boolean checksOut(Path file, String digest) throws IOException {
    if (!Files.isRegularFile(file)) {
      return false;
    }
    try (InputStream in = Files.newInputStream(file)) {
      return digest.equals(sha256(in, null));
    }
  }

  /**
   * Copies the entry into a temporary file beside {@code dll} and moves it
   * into place in one step, so that no process ever sees half a DLL.  When
   * the move fails, another process holds the file: a game that loaded it
   * (Windows refuses to replace a loaded DLL), or a second JVM that got
   * there first.  Either way the file is used if it checks out.
   */
  private static void install(String entry, Path dll, String digest) throws IOException {
    Files.createDirectories(dll.getParent());
    Path part = Files.createTempFile(dll.getParent(), dll.getFileName().toString(), ".part");
    try {
      String copied;
      try (InputStream in = KeyboardNatives.class.getResourceAsStream("/natives/" + entry);
          OutputStream out = Files.newOutputStream(part)) {
        if (in == null) {
          throw new IOException("the jar lists natives/" + entry + " but does not hold it");
        }
        copied = sha256(in, out);
      }
      if (!digest.equals(copied)) {
        throw new IOException("natives/" + entry + " in the jar is damaged");
      }
      try {
        Files.move(part, dll, StandardCopyOption.ATOMIC_MOVE,
            StandardCopyOption.REPLACE_EXISTING);
      } catch (FileSystemException e) {
        if (!checksOut(dll, digest)) {
          throw e;
        }
      }
    } finally {
      Files.deleteIfExists(part);
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
