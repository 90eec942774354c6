// dfx replay: the whole program on the memory host with the virtual clock, driven by a
// key script; when the keys run out it prints the screen as dfx read-screen reads it.
#include <cstdio>
#include <string>

#include "game/program.h"
#include "host/memory/memory_host.h"
#include "json_output.h"
#include "key_names.h"
#include "picture_file.h"
#include "runtime/clock.h"
#include "screen_reader/screen_reader.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

struct Options {
  std::string keys, out, glyphDir = "res/bmp";
  uint32_t tick = 0;
  bool json = false;
};

int Run(const Options& o) {
  std::string bad;
  auto codes = ParseKeyScript(o.keys, &bad);
  if (!codes) {
    std::fprintf(stderr, "dfx replay: unknown key name '%s'\n", bad.c_str());
    return 2;
  }

  UseVirtualClock(o.tick);
  MemoryHost host;
  host.PushKeys(*codes);
  try {
    RunProgram(host);
  } catch (const KeysExhausted&) {}

  portable::PixelSurface screen = host.ScreenCopy();
  ScreenReader reader;
  reader.LoadGlyphs(o.glyphDir);
  ScreenText text = reader.Read(screen);
  std::fputs((o.json ? ScreenJson(text) : FormatScreenText(text)).c_str(), stdout);
  if (o.out.empty()) return 0;
  if (WantsPng(o.out)) return WritePng(o.out, screen) ? 0 : 1;
  if (!portable::WriteBmp24(o.out.c_str(), screen)) {
    std::fprintf(stderr, "dfx replay: cannot write %s\n", o.out.c_str());
    return 1;
  }
  return 0;
}

std::function<int()> Setup(CLI::App& command) {
  auto o = std::make_shared<Options>();
  command.add_option("--keys", o->keys, "key names, e.g. \"1 RIGHT RETURN\" (blanks or commas between)")
      ->required();
  command.add_option("--tick", o->tick, "the tick counter at start (0 to 4294967295)");
  command.add_option("--out", o->out, "also write the screen as a BMP file (or PNG, by the name's ending)");
  command.add_flag("--json", o->json, "print the screen as JSON");
  command.add_option("--glyphs", o->glyphDir, "the glyph set to read the screen with");
  return [o] { return Run(*o); };
}

const Subcommand registration("replay", "run the game headless from a key script and print the screen",
                              Setup);

}  // namespace
}  // namespace dfx::tool
