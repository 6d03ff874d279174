// The Tovrik link's window procedure with anything a process can send it: a
// WM_COPYDATA of any wParam, dwData and cbData, with data or without, or
// with no COPYDATASTRUCT at all; attach messages (and any other registered
// id) with any wParam and lParam; then a frame sent through whatever service
// handle that left.  A report changes the held bitmap only when it carries a
// whole bitmap, and then to its first 15 bytes.
#include <windows.h>

#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "talk_link.h"

using namespace tovrik;

namespace {

UINT id(const char *name) { return RegisterWindowMessageA(name); }

void sendCopyData(FuzzInput &in) {
  UINT ledControl = TalkLink::ledControlId();
  uint8_t how = in.take<uint8_t>();
  WPARAM wp = (how & 1) ? ledControl : in.take<uint32_t>();
  COPYDATASTRUCT cds{};
  cds.dwData = in.take<uint32_t>();
  std::vector<uint8_t> bytes(in.data, in.data + in.size);
  cds.cbData = static_cast<DWORD>(bytes.size());
  cds.lpData = (how & 2) ? nullptr : bytes.data();
  // A null lParam (no COPYDATASTRUCT at all) must be ignored, not read.
  LPARAM lp = (how & 4) ? 0 : reinterpret_cast<LPARAM>(&cds);
  LedBitmap before = TalkLink::heldBitmap();
  SendMessageW(TalkLink::ownWindow(), WM_COPYDATA, wp, lp);
  LedBitmap after = TalkLink::heldBitmap();
  bool taken = wp == ledControl && lp && cds.lpData && bytes.size() >= 15;
  FUZZ_REQUIRE(std::memcmp(after.bytes, taken ? bytes.data() : before.bytes,
                           sizeof after.bytes) == 0);
}

void sendAttach(FuzzInput &in) {
  static const UINT kinds[] = {id("WM_TOVRIK_TALK_LED_CONTROL_API_ATTACH"),
                               id("WM_TOVRIK_TALK_LIGHT_CONTROL_API_ATTACH")};
  uint8_t how = in.take<uint8_t>();
  // Any registered id; the system's own messages (WM_CLOSE among them) are
  // not the service's to send.
  UINT msg =
      (how & 2) ? 0xC000u | (in.take<uint16_t>() & 0x3FFFu) : kinds[how & 1];
  WPARAM wp = in.take<uint32_t>();
  LPARAM lp = (how & 4) ? 1 : static_cast<LPARAM>(in.take<int32_t>());
  HWND before = TalkLink::serviceWindow();
  SendMessageW(TalkLink::ownWindow(), msg, wp, lp);
  bool attach = lp == 1 && (msg == kinds[0] || msg == kinds[1]);
  FUZZ_REQUIRE(TalkLink::serviceWindow() ==
               (attach ? reinterpret_cast<HWND>(wp) : before));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in{data, size};
  if (in.take<uint8_t>() & 1)
    sendAttach(in);
  else
    sendCopyData(in);
  KeyFrame frame;
  std::memset(frame.keys, in.take<uint8_t>(), sizeof frame.keys);
  TalkLink::sendKeys(frame); // to whatever handle the service now has
  return 0;
}
