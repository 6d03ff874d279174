package eu.velquor.mod.manager.keyboard.tests;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import java.io.IOException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.Test;

/**
 * JAVA.md shows a host the native declarations of the three classes; they
 * must be the declarations these tests compile and run against the
 * libraries, statement for statement (layout aside).
 */
class DocumentedDeclarationsTest {
  private static final Path ROOT = Path.of(System.getenv("VELQUOR_SOURCE_DIR"));
  private static final List<String> CLASSES =
      List.of(
          "eu.velquor.mod.manager.keyboard.TovrikController",
          "eu.velquor.mod.manager.keyboard.DuvekController",
          "com.ulvoran.gaming.UlvoLED");
  // Each class's test source lives with its library's tests.
  private static final Map<String, String> SOURCE_DIRS =
      Map.of(
          "eu.velquor.mod.manager.keyboard.TovrikController", "tests/tovrik/jvm/src/",
          "eu.velquor.mod.manager.keyboard.DuvekController", "tests/duvek/jvm/src/",
          "com.ulvoran.gaming.UlvoLED", "tests/ulvoran/jvm/src/");
  private static final Pattern JAVA_BLOCK =
      Pattern.compile("^```java\\n(.*?)^```", Pattern.DOTALL | Pattern.MULTILINE);
  private static final Pattern COMMENT =
      Pattern.compile("//[^\\n]*|/\\*.*?\\*/", Pattern.DOTALL);
  private static final Pattern PACKAGE = Pattern.compile("\\bpackage\\s+([\\w.]+)\\s*;");
  private static final Pattern CLASS = Pattern.compile("\\bclass\\s+(\\w+)");
  private static final Pattern NATIVE = Pattern.compile("\\bnative\\b");
  private static final Pattern METHOD_NAME = Pattern.compile("(\\w+)\\s*\\(");

  private static String qualifiedName(String code) {
    Matcher p = PACKAGE.matcher(code);
    Matcher c = CLASS.matcher(code);
    return (p.find() ? p.group(1) + "." : "") + (c.find() ? c.group(1) : "?");
  }

  /** The native method declarations, each on one line with single spaces. */
  private static List<String> natives(String code) {
    List<String> out = new ArrayList<>();
    for (String statement : COMMENT.matcher(code).replaceAll(" ").split("[;{}]")) {
      if (NATIVE.matcher(statement).find()) {
        out.add(statement.trim().replaceAll("\\s+", " ").replace("( ", "(").replace(" )", ")"));
      }
    }
    return out;
  }

  @Test
  void documentedDeclarationsAreTheTestedOnes() throws IOException, ClassNotFoundException {
    Map<String, List<String>> documented = new LinkedHashMap<>();
    Matcher block = JAVA_BLOCK.matcher(Files.readString(ROOT.resolve("JAVA.md")));
    while (block.find()) {
      String code = block.group(1);
      assertNull(documented.put(qualifiedName(code), natives(code)),
          qualifiedName(code) + " is shown twice");
    }
    assertEquals(Set.copyOf(CLASSES), documented.keySet(), "classes in JAVA.md");

    for (String name : CLASSES) {
      String source = Files.readString(
          ROOT.resolve(SOURCE_DIRS.get(name) + name.replace('.', '/') + ".java"));
      assertEquals(name, qualifiedName(source), "test source of " + name);
      List<String> tested = natives(source);
      assertEquals(tested, documented.get(name), "native methods of " + name);

      // The text above holds every native method the compiled class has:
      // nothing the JVM binds can hide from the comparison.
      Set<String> reflected = new TreeSet<>();
      for (Method m : Class.forName(name, false, getClass().getClassLoader())
          .getDeclaredMethods()) {
        if (Modifier.isNative(m.getModifiers())) {
          reflected.add(m.getName());
        }
      }
      Set<String> parsed = new TreeSet<>();
      for (String declaration : tested) {
        Matcher m = METHOD_NAME.matcher(declaration);
        parsed.add(m.find() ? m.group(1) : declaration);
      }
      assertEquals(reflected, parsed, "native methods of the compiled " + name);
      assertEquals(reflected.size(), tested.size(), "overloads of " + name);
    }
  }
}
