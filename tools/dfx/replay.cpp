// dfx replay: the whole program on the memory host with the virtual clock, driven by a
// key script; when the keys run out it prints the screen as dfx read-screen reads it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/program.h"
#include "host/memory/memory_host.h"
#include "key_names.h"
#include "lcd/screen_reader.h"
#include "picture_file.h"
#include "runtime/clock.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: dfx replay --keys \"1 RIGHT RETURN ...\" [--tick N] [--out screen.bmp|screen.png] [--json]"
               " [--glyphs res/bmp]\n");
  return 2;
}

int Run(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string keys, tickText = "0", out, glyphDir = "res/bmp";
  bool haveKeys = TakeOption(args, "--keys", &keys);
  TakeOption(args, "--tick", &tickText);
  TakeOption(args, "--out", &out);
  TakeOption(args, "--glyphs", &glyphDir);
  bool json = TakeFlag(args, "--json");
  if (!haveKeys || !args.empty()) return Usage();
  char* end = nullptr;
  unsigned long tick = std::strtoul(tickText.c_str(), &end, 10);
  if (tickText.empty() || *end != 0 || tick > 0xFFFFFFFFul) {
    std::fprintf(stderr, "dfx replay: --tick wants a number from 0 to 4294967295\n");
    return 2;
  }
  std::string bad;
  auto codes = ParseKeyScript(keys, &bad);
  if (!codes) {
    std::fprintf(stderr, "dfx replay: unknown key name '%s'\n", bad.c_str());
    return 2;
  }

  UseVirtualClock(static_cast<uint32_t>(tick));
  MemoryHost host;
  host.PushKeys(*codes);
  try {
    RunProgram(host);
  } catch (const KeysExhausted&) {
  }

  portable::PixelSurface screen = host.ScreenCopy();
  ScreenReader reader;
  reader.LoadGlyphs(glyphDir);
  ScreenText text = reader.Read(screen);
  std::fputs((json ? FormatScreenJson(text) : FormatScreenText(text)).c_str(), stdout);
  if (out.empty()) return 0;
  if (WantsPng(out)) return WritePng(out, screen) ? 0 : 1;
  if (!portable::WriteBmp24(out.c_str(), screen)) {
    std::fprintf(stderr, "dfx replay: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}

const Subcommand registration("replay", "run the game headless from a key script and print the screen", Run);

}  // namespace
}  // namespace dfx::tool
