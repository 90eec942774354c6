#include "host/host.h"

namespace dfx {

std::string ReadKeys(Host& host, int32_t n) {
  std::string result;
  if (n <= 0) return result;
  for (;;) {
    uint8_t key = host.TakeKey();
    if (key != 0) {
      result += static_cast<char>(key);
      if (static_cast<int32_t>(result.size()) >= n) return result;
    } else {
      host.IdleForKey();
    }
  }
}

int16_t WaitKey(Host& host) { return static_cast<int16_t>(static_cast<uint8_t>(ReadKeys(host, 1)[0])); }

}  // namespace dfx
