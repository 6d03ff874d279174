// The binding of the effect library "DvGlowSDK.dll": its entry points, the
// start and stop handshake, and the draws that may call it.
#ifndef DUVEK_BINDING_H
#define DUVEK_BINDING_H

#include <atomic>
#include <cstdint>

namespace duvek {

// Every entry of the library is a plain C function of the default calling
// convention; all results are signed 32-bit codes.
typedef int32_t (*PlainFn)(void);
typedef int32_t (*CreateKeyboardEffectFn)(int32_t type, const void *param,
                                          void *effectId);

// The loaded library and its entry points.  The draw paths read the fields
// on other threads, so every field is atomic; init0 and unInit0 are the only
// writers and run one at a time.
struct EffectApi {
  std::atomic<void *> module{nullptr};
  std::atomic<PlainFn> Init{nullptr};
  std::atomic<PlainFn> CreateEffect{nullptr};
  std::atomic<CreateKeyboardEffectFn> CreateKeyboardEffect{nullptr};
  std::atomic<PlainFn> SetEffect{nullptr};
  std::atomic<PlainFn> DeleteEffect{nullptr};
  std::atomic<PlainFn> QueryDevice{nullptr};
};

extern EffectApi effectApi;

// init0 and unInit0: load and start the library, stop and free it.
int32_t init();
int32_t unInit();

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

} // namespace duvek

#endif
