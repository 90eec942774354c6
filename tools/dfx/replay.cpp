// dfx replay: the whole program on the memory host with the virtual clock, driven by a
// script of keys and pointer presses; when it runs out it prints the screen as dfx read-screen reads it.
#include <cctype>
#include <cstdio>
#include <string>

#include "game/pointer.h"
#include "game/program.h"
#include "host/keys.h"
#include "host/memory/memory_host.h"
#include "json_output.h"
#include "key_names.h"
#include "picture_file.h"
#include "runtime/clock.h"
#include "screen_reader/screen_reader.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

// Where a press lands, with the points a script can use for each key.
std::string PressHelp() {
  const auto point = [](PicturePoint p) { return "TAP:" + std::to_string(p.x) + "," + std::to_string(p.y); };
  const auto key = [&](uint8_t k) { return point(*PressForKey(k)); };
  std::string h =
      "TAP:x,y presses pixel (x, y) of the 640x204 picture (the LCD's dots fill 8,8 to 583,199)\n";
  h += "as a click or tap there would. It means what the screen waiting for it offers there:\n";
  h += "  title: " + key(keys::One) + " is 1, " + key(keys::Two) + " is 2, " + key(keys::R) + " is R";
  h += " (a line is its whole row);\n";
  h += "    on the LEVEL row the digit does nothing, up to the left mark is LEFT,\n";
  h += "    from the right mark on RIGHT; the marks: " + key(keys::Left) + ", " + key(keys::Right) + "\n";
  h += "  your turn: a square takes the cursor there and acts as RETURN; square (c, r), 1..8,\n";
  h +=
      "    is at 24c-2,24r-2 (a1 " + point(SquareCentre(1, 1)) + ", h8 " + point(SquareCentre(8, 8)) + ");\n";
  h += "    the printed \"[BS] UNDO\" is BACK (" + key(keys::Back) + ")\n";
  h += "  \"Hit Any Key\" and the result: anywhere on the LCD (" + key(keys::Return);
  return h + " means nothing elsewhere)\nAnywhere else a press does nothing.";
}

struct Options {
  std::string keys, out, glyphDir = "res/bmp";
  uint32_t tick = 0;
  bool json = false;
};

int Run(const Options& o) {
  std::string bad;
  auto inputs = ParseInputScript(o.keys, &bad);
  if (!inputs) {
    std::string head = bad.substr(0, 4);
    for (char& c : head) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (head == "TAP:")
      std::fprintf(stderr, "dfx replay: bad press '%s' (TAP:x,y with x 0..639, y 0..203)\n", bad.c_str());
    else
      std::fprintf(stderr, "dfx replay: unknown key name '%s'\n", bad.c_str());
    return 2;
  }

  UseVirtualClock(o.tick);
  MemoryHost host;
  for (const Input& in : *inputs) in.press ? host.PushPress(in.x, in.y) : host.PushKey(in.key);
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
  command
      .add_option("--keys", o->keys,
                  "key names and presses, e.g. \"1 RIGHT RETURN TAP:94,70\" (blanks or commas between)")
      ->required();
  command.add_option("--tick", o->tick, "the tick counter at start (0 to 4294967295)");
  command.add_option("--out", o->out, "also write the screen as a BMP file (or PNG, by the name's ending)");
  command.add_flag("--json", o->json, "print the screen as JSON");
  command.add_option("--glyphs", o->glyphDir, "the glyph set to read the screen with");
  command.footer(PressHelp());
  return [o] { return Run(*o); };
}

const Subcommand registration("replay", "run the game headless from a key script and print the screen",
                              Setup);

}  // namespace
}  // namespace dfx::tool
