// Internal interface of the Duvek bridge: the lighting state, the binding of
// the vendor effect library and the drawing operations built on it.
#ifndef DUVEK_DUVEK_H
#define DUVEK_DUVEK_H

#include <atomic>
#include <cstdint>

namespace duvek {

// Effect types understood by the library's "CreateKeyboardEffect".
enum EffectType : int32_t {
  EffectOff = 0,
  EffectColorGrid = 2,
  EffectSingleColor = 4,
  EffectKeyGrid = 8,
};

constexpr int GridRows = 6;
constexpr int GridColumns = 22;
constexpr int GridSize = GridRows * GridColumns;
constexpr uint32_t KeySetFlag = 0x01000000u;
constexpr uint32_t ArmorColor = 0x0100FFFFu;
constexpr uint32_t FlashRed = 0x000000FFu;

struct ColorGrid {
  uint32_t color[GridSize];
};

struct KeyGridEffect {
  ColorGrid base;
  ColorGrid keys;
};

static_assert(sizeof(ColorGrid) == 528, "the library reads 528 bytes");
static_assert(sizeof(KeyGridEffect) == 1056, "the library reads 1056 bytes");

// Every entry of the library is a plain C function of the default calling
// convention; all results are signed 32-bit codes.
typedef int32_t (*InitFn)(void);
typedef int32_t (*PlainFn)(void);
typedef int32_t (*CreateKeyboardEffectFn)(int32_t type, const void *param,
                                          void *effectId);

// The loaded library and its entry points.  The draw paths read the fields
// on other threads, so every field is atomic; init0 and unInit0 are the only
// writers and run one at a time.
struct EffectApi {
  std::atomic<void *> module{nullptr};
  std::atomic<InitFn> Init{nullptr};
  std::atomic<PlainFn> CreateEffect{nullptr};
  std::atomic<CreateKeyboardEffectFn> CreateKeyboardEffect{nullptr};
  std::atomic<PlainFn> SetEffect{nullptr};
  std::atomic<PlainFn> DeleteEffect{nullptr};
  std::atomic<PlainFn> QueryDevice{nullptr};
};

// The lighting state the Java host sets.  Relaxed atomics: each field is read
// and written whole, and no field's value depends on another's.
struct ControllerState {
  std::atomic<int32_t> illuminatedKeys{1};
  std::atomic<uint32_t> keyColor{0x00FFFFFFu};
  std::atomic<bool> showHealth{true};
  std::atomic<bool> showArmor{true};
  std::atomic<bool> initialized{false};
  std::atomic<bool> flashing{false};
  std::atomic<float> health{0.0f};
  std::atomic<float> armor{0.0f};
};

extern EffectApi effectApi;
extern ControllerState controllerState;

// One consistent set of inputs for the steady-state picture.
struct SteadyInputs {
  int32_t illuminatedKeys;
  uint32_t keyColor;
  bool showHealth;
  bool showArmor;
  float health;
  float armor;
};

// compose.cpp: plain functions of their arguments.
uint32_t toEffectColor(int32_t javaColor);
uint32_t barCount(float fraction, uint32_t length);
uint32_t healthColor(uint32_t lit);
void composeSteadyState(const SteadyInputs &in, KeyGridEffect *out);
void fillColorGrid(ColorGrid *grid, uint32_t color);
SteadyInputs readSteadyInputs();

// binding.cpp
int32_t initBinding();
int32_t unInitBinding();

// A draw: while one is open the binding is held shared, so init0 and
// unInit0 wait and the library can be neither stopped nor freed; its
// "CreateKeyboardEffect" may be called.  beginDraw opens one only while the
// binding is ready, and each successful beginDraw is paired with one
// endDraw.  Never held across a pause.
struct DrawTicket {
  CreateKeyboardEffectFn draw;
};
bool beginDraw(DrawTicket *ticket);
void endDraw();

// controller.cpp
int32_t renderFrame();
void displayPotionColor(int32_t javaColor);

// flash.cpp
void startDamageFlash();
void damageFlash();
int runningFlashThreads();

} // namespace duvek

#endif
