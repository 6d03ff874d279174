#include "dvglow_recorder.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace {

std::mutex lock;
std::vector<DvCall> calls;
std::atomic<int> effectResult{0};
std::atomic<int> loads{0};
std::atomic<int> unloads{0};

int64_t nowMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch())
      .count();
}

} // namespace

void dvrec_add(const char *entry, int type, const void *block, unsigned size,
               bool thirdNonNull, bool late, int rc) {
  DvCall c{entry, type, block != nullptr, {}, thirdNonNull,
           late,  rc,   nowMicros()};
  if (block) {
    const uint8_t *p = static_cast<const uint8_t *>(block);
    c.block.assign(p, p + size);
  }
  std::lock_guard<std::mutex> g(lock);
  calls.push_back(std::move(c));
}

void dvrec_module(bool loaded) { (loaded ? loads : unloads)++; }

int dvrec_effect_result() { return effectResult.load(); }

std::vector<DvCall> dvrec_calls() {
  std::lock_guard<std::mutex> g(lock);
  return calls;
}

void dvrec_clear() {
  std::lock_guard<std::mutex> g(lock);
  calls.clear();
}

void dvrec_set_effect_result(int rc) { effectResult.store(rc); }
int dvrec_loads() { return loads.load(); }
int dvrec_unloads() { return unloads.load(); }
bool dvrec_loaded() { return loads.load() > unloads.load(); }
