// The dfx command run for real: read-screen on screenshots, replay against a game played
// in-process, the JSON writer, and its command line.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../game/session.h"
#include "glyph_tables.h"
#include "json_output.h"

namespace dfx::tool {
namespace {

using portable::PixelSurface;
using namespace dfx::testing;
namespace fs = std::filesystem;

// Status and stdout, or with errorsOnly stderr.
std::pair<int, std::string> RunTool(const std::string& args, bool errorsOnly = false) {
  std::FILE* p = popen((DFX_TOOL " " + args + (errorsOnly ? " 2>&1 >/dev/null" : " 2>/dev/null")).c_str(), "r");
  std::string out;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, got);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// The LCD at (ox, oy) in a larger black picture: a text on row 1 from column 9, a Black
// disc on square (3, 2), a White one on (8, 8), the other squares empty.
std::string Screenshot(const fs::path& path, int32_t width, int32_t height, int32_t ox, int32_t oy) {
  PixelSurface shot(width, height, 0x000000);
  const auto paste = [&](int32_t x, int32_t y, int glyph) {
    PixelSurface g;
    EXPECT_TRUE(RenderGlyph(glyph, &g));
    for (int32_t i = 0; i < g.width * g.height; ++i) shot.At(ox + x + i % g.width, oy + y + i / g.width) = g.pixels[size_t(i)];
  };
  paste(0, 0, BlankFaceGlyph);
  const std::string text = "You Win \"\\\x03";
  for (size_t i = 0; i < text.size(); ++i) paste(CellPixelX(9 + int32_t(i)), CellPixelY(1), uint8_t(text[i]));
  for (int i = 0; i < 64; ++i) paste(DotPixel(SquareDot(i % 8 + 1)), DotPixel(SquareDot(i / 8 + 1)), i == 10 ? 15 : i == 63 ? 11 : 10);
  EXPECT_TRUE(portable::WriteBmp24(path.string().c_str(), shot));
  return path.string();
}

TEST(DfxReadScreen, TextThenBoardOrJsonAndBadInput) {
  const fs::path dir = fs::temp_directory_path() / ("dfx-read-screen-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string glyphs = " --glyphs " DFX_SOURCE_DIR "/res/bmp", other = std::string(8, '?') + std::string(16, ' ');
  const std::string board = "--------" "--X-----" + std::string(47, '-') + "O";
  auto [status, out] = RunTool("read-screen " + Screenshot(dir / "client.bmp", 640, 204, 0, 0) + glyphs);
  std::string expected = other + "\n" + std::string(8, '?') + " You Win \"\\\\x03    \n";
  for (int row = 2; row < 6; ++row) expected += other + "\n";
  for (int i = 0; i < 64; i += 8) expected += board.substr(size_t(i), 8) + "\n";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, expected);
  // Wider than any glyph may be, found inside a larger picture.
  std::tie(status, out) = RunTool("read-screen --json" + glyphs + " " + Screenshot(dir / "big.bmp", 5000, 768, 4300, 200));
  expected = "{\"lines\":[\"" + other + "\",\"" + std::string(8, '?') + " You Win \\\"\\\\\\\\x03    \"";
  for (int row = 2; row < 6; ++row) expected += ",\"" + other + "\"";
  EXPECT_EQ(out, expected + "],\"board\":\"" + board + "\"}\n");

  // No face at all still reads, every cell unknown; a damaged file or glyph folder is an error.
  std::ofstream(dir / "garbage.bmp") << "BM this is not a bitmap";
  PixelSurface black(640, 204, 0);
  ASSERT_TRUE(portable::WriteBmp24((dir / "black.bmp").string().c_str(), black));
  EXPECT_EQ(RunTool("read-screen " + (dir / "black.bmp").string() + glyphs).second.substr(0, 25), std::string(24, '?') + "\n");
  for (const std::string& bad : {"read-screen " + (dir / "missing.bmp").string(), "read-screen " + (dir / "garbage.bmp").string() + glyphs,
                                 "read-screen " + (dir / "client.bmp").string() + " --glyphs " + (dir / "none").string()})
    EXPECT_EQ(RunTool(bad).first, 1) << bad;
  ASSERT_EQ(RunTool("glyphs --out " + (dir / "set").string()).first, 0);
  EXPECT_TRUE(fs::exists(dir / "set/000.bmp") && fs::exists(dir / "set/256.bmp") && !fs::exists(dir / "set/200.bmp"));
  fs::remove_all(dir);
}

TEST(DfxCommandLine, EveryCommandHasHelpAndABadArgumentIsOneLineAndStatusTwo) {
  for (const char* command : {"analyse", "bench", "format", "glyphs", "icons", "read-screen", "replay"}) {
    const auto [status, out] = RunTool(std::string(command) + " --help");
    EXPECT_EQ(status, 0) << command;
    EXPECT_NE(out.find("Usage:"), std::string::npos) << command;
  }
  EXPECT_EQ(RunTool("--version").first, 0);
  // Moves are played from the start file: a legal line is analysed, a square taken twice is refused.
  EXPECT_EQ(RunTool("analyse --level 0 --moves \"f5 d6\"").first, 0);
  EXPECT_EQ(RunTool("analyse --level 0 --moves \"f5 f5\"", true).first, 1);
  for (const char* args : {"analyse --level 9 --moves f5", "analyse --level 2 --board XO --side black",
                           "analyse --level 2 --moves f5 --side black", "analyse --level 2", "analyse --level 2 --moves f5 --bogus",
                           "bench --discs 0", "bench --sweep x", "replay --keys 1 --tick -5", "replay --keys 1 --tick 4294967296",
                           "replay --keys \"1 NOSUCHKEY\"", "replay", "nosuch", "format", "read-screen", "read-screen a.bmp b.bmp", "glyphs"}) {
    const auto [status, out] = RunTool(args, true);
    EXPECT_EQ(status, 2) << args;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << args << ": " << out;
  }
}

// Whatever bytes the screen text holds, the JSON is ASCII and reads back to the bytes'
// Latin-1 code points.
TEST(DfxJson, AnyScreenBytesMakeValidJson) {
  ScreenText screen;
  screen.lines = {"plain", std::string("\x01\t\"\\", 4), "\x7f\x80\xc8\xff", std::string(1, '\0'), "", "?"};
  screen.board = std::string(63, '-') + "\xe9";
  const std::string out = ScreenJson(screen);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c > 0 && c < 0x7f; })) << out;
  const nlohmann::json back = nlohmann::json::parse(out);
  screen.lines[2] = "\x7f\u0080\u00c8\u00ff";
  EXPECT_TRUE(back["lines"].get<std::vector<std::string>>() == std::vector<std::string>(screen.lines.begin(), screen.lines.end()));
  EXPECT_EQ(back["board"].get<std::string>(), std::string(63, '-') + "\u00e9");
}

// A game played in-process records its keys; replayed from the same tick, dfx must end
// on the very same result screen. No keys at all: the title screen.
TEST(DfxReplay, EndsOnTheScreenOfTheGamePlayedInProcess) {
  EXPECT_EQ(RunTool("replay --keys \"\"").second.substr(0, 25), "  Discoflipparex V2.3D  \n");
  for (int level = 0; level < 5; ++level) {
    const uint32_t tick = 1000u + 37u * uint32_t(level);
    Session s(tick);
    std::string keys;  // what the game was given, for dfx
    bool started = false;
    const ScreenText end = s.Play([&](const ScreenText&) {
      Keys given;
      if (!std::exchange(started, true)) given.assign(size_t(level), KRight), given.push_back(level % 2 ? K2 : K1);
      else if (!s.Over()) given = KeysToFirstLegalSquare(*s.game);
      for (uint8_t k : given) keys += std::to_string(k) + " ";
      return given;
    });
    EXPECT_EQ(Panel(end, 1).substr(0, ResultText(*s.game).size()), ResultText(*s.game)) << level;
    EXPECT_EQ(Panel(end, 0).substr(0, 8), std::string("CPU Lv ") + "0123S"[level]);
    const auto [status, out] = RunTool("replay --json --tick " + std::to_string(tick) + " --keys \"" + keys + "\"");
    EXPECT_EQ(status, 0) << level;
    EXPECT_EQ(nlohmann::json::parse(out), (nlohmann::json{{"lines", end.lines}, {"board", end.board}})) << level;
  }
}

}  // namespace
}  // namespace dfx::tool
