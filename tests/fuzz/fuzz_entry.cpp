// libFuzzer's entry point; DFX_FUZZ_TARGET names the body this binary fuzzes.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return dfx::fuzz::DFX_FUZZ_TARGET(data, size);
}
