#include "host/host.h"

namespace dfx {

Input WaitInput(Host& host) {
  for (;;) {
    const Input in = host.TakeInput();
    if (!in.Empty()) return in;
    host.IdleForKey();
  }
}

std::string ReadKeys(Host& host, int32_t n) {
  std::string result;
  while (static_cast<int32_t>(result.size()) < n) {
    const Input in = WaitInput(host);
    if (in.key != 0) result += static_cast<char>(in.key);
  }
  return result;
}

int16_t WaitKey(Host& host) { return static_cast<int16_t>(static_cast<uint8_t>(ReadKeys(host, 1)[0])); }

}  // namespace dfx
