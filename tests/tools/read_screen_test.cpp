#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "glyph_tables.h"
#include "json_output.h"
#include "lcd/lcd.h"

namespace dfx::tool {
namespace {

using portable::PixelSurface;
namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;
};

// The command's output, or with errorsOnly what it wrote on stderr.
Result RunTool(const std::string& args, bool errorsOnly = false) {
  const std::string command = std::string(DFX_TOOL) + " " + args + (errorsOnly ? " 2>&1 >/dev/null" : " 2>/dev/null");
  Result r{-1, ""};
  std::FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return r;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, p)) > 0) r.out.append(buffer, got);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

void Paste(PixelSurface& to, int32_t x, int32_t y, int glyph) {
  PixelSurface g;
  ASSERT_TRUE(RenderGlyph(glyph, &g));
  for (int32_t j = 0; j < g.height; ++j) {
    for (int32_t i = 0; i < g.width; ++i) to.At(x + i, y + j) = g.At(i, j);
  }
}

// The LCD at (ox, oy): a text on row 1 from column 9 (with a progress mark), a Black
// disc on square (3, 2), a White one on (8, 8); a patch of face colour elsewhere.
PixelSurface Screenshot(int32_t width, int32_t height, int32_t ox, int32_t oy) {
  PixelSurface shot(width, height, 0x000000);
  for (int i = 0; i < 1600 && width > 980; ++i) shot.At(940 + i % 40, 10 + i / 40) = FaceColour;
  Paste(shot, ox, oy, BlankFaceGlyph);
  const std::string text = "You Win \"\\\x03";
  for (size_t i = 0; i < text.size(); ++i) {
    Paste(shot, ox + CellPixelX(9 + int32_t(i)), oy + CellPixelY(1), static_cast<uint8_t>(text[i]));
  }
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) Paste(shot, ox + DotPixel(SquareDot(x)), oy + DotPixel(SquareDot(y)), 10);
  }
  Paste(shot, ox + DotPixel(SquareDot(3)), oy + DotPixel(SquareDot(2)), 15);
  Paste(shot, ox + DotPixel(SquareDot(8)), oy + DotPixel(SquareDot(8)), 11);
  return shot;
}

const std::string Board = "--------" "--X-----" "--------" "--------" "--------" "--------" "--------" "-------O";
const std::string Glyphs = " --glyphs " DFX_SOURCE_DIR "/res/bmp";
const std::string Row1 = std::string(8, '?') + " You Win \"\\\\x03    ";

class ReadScreenTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("dfx-read-screen-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Write(const std::string& name, const PixelSurface& s) {
    const std::string path = (dir / name).string();
    EXPECT_TRUE(portable::WriteBmp24(path.c_str(), s));
    return path;
  }
  fs::path dir;
};

TEST_F(ReadScreenTool, PrintsTextThenBoardLinesOrJsonFromALargerScreenshot) {
  Result r = RunTool("read-screen " + Write("client.bmp", Screenshot(640, 204, 0, 0)) + Glyphs);
  ASSERT_EQ(r.status, 0);
  const std::string other = std::string(8, '?') + std::string(16, ' ');
  std::string expected = other + "\n" + Row1 + "\n";
  for (int row = 2; row < 6; ++row) expected += other + "\n";
  for (int i = 0; i < 64; i += 8) expected += Board.substr(size_t(i), 8) + "\n";
  EXPECT_EQ(r.out, expected);

  r = RunTool("read-screen --json" + Glyphs + " " + Write("screen.bmp", Screenshot(1024, 768, 100, 200)));
  ASSERT_EQ(r.status, 0);
  const std::string row1 = "\"" + std::string(8, '?') + " You Win \\\"\\\\\\\\x03    \"";
  expected = "{\"lines\":[\"" + other + "\"," + row1;
  for (int row = 2; row < 6; ++row) expected += ",\"" + other + "\"";
  EXPECT_EQ(r.out, expected + "],\"board\":\"" + Board + "\"}\n");
}


TEST_F(ReadScreenTool, BadInputGivesAnErrorStatusAndGlyphsWritesTheSet) {
  const std::string garbage = (dir / "garbage.bmp").string();
  std::ofstream(garbage) << "BM this is not a bitmap";
  const std::string good = Write("ok.bmp", Screenshot(640, 204, 0, 0));
  for (const auto& [args, status] :
       {std::pair{std::string("read-screen"), 2}, {"read-screen a.bmp b.bmp", 2}, {"glyphs", 2},
        {"read-screen " + (dir / "missing.bmp").string(), 1}, {"read-screen " + garbage + Glyphs, 1},
        {"read-screen " + good + " --glyphs " + (dir / "none").string(), 1}}) {
    EXPECT_EQ(RunTool(args).status, status) << args;
  }
  // No face at all still reads (every cell unknown) rather than failing.
  const Result blank = RunTool("read-screen " + Write("black.bmp", PixelSurface(640, 204, 0)) + Glyphs);
  EXPECT_EQ(blank.status, 0);
  EXPECT_EQ(blank.out.substr(0, 25), std::string(24, '?') + "\n");

  ASSERT_EQ(RunTool("glyphs --out " + (dir / "set").string()).status, 0);
  EXPECT_TRUE(fs::exists(dir / "set/000.bmp"));
  EXPECT_TRUE(fs::exists(dir / "set/256.bmp"));
  EXPECT_FALSE(fs::exists(dir / "set/200.bmp"));
}

TEST(DfxCommandLine, EveryCommandHasHelpAndABadArgumentIsOneLineAndStatusTwo) {
  for (const char* command : {"analyse", "bench", "format", "glyphs", "icons", "read-screen", "replay"}) {
    const Result help = RunTool(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.out.find("Usage:"), std::string::npos) << command;
  }
  for (const char* args : {"analyse --level 9 --moves f5", "analyse --level 2 --board XO --side black",
                           "analyse --level 2 --moves f5 --side black", "analyse --level 2", "analyse --level 2 --moves f5 --bogus",
                           "bench --discs 0", "bench --sweep x", "replay --keys 1 --tick -5",
                           "replay --keys 1 --tick 4294967296", "replay --keys NOSUCHKEY", "nosuch", "format"}) {
    const Result error = RunTool(args, true);
    EXPECT_EQ(error.status, 2) << args;
    EXPECT_EQ(std::count(error.out.begin(), error.out.end(), '\n'), 1) << args << ": " << error.out;
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
  const std::string want[6] = {"plain", std::string("\x01\t\"\\", 4), "\x7f\u0080\u00c8\u00ff", std::string(1, '\0'), "", "?"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(back["lines"][i].get<std::string>(), want[i]) << i;
  EXPECT_EQ(back["board"].get<std::string>(), std::string(63, '-') + "\u00e9");
}

}  // namespace
}  // namespace dfx::tool
