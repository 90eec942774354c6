// The dfx command run for real: read-screen on screenshots, replay against a game played
// in-process, the JSON writer, and its command line.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "../game/session.h"
#include "json_output.h"
#include "key_names.h"

namespace dfx::tool {
namespace {

using portable::PixelSurface;
using namespace dfx::testing;
namespace fs = std::filesystem;

// Status and stdout, or with errorsOnly stderr.
std::pair<int, std::string> RunTool(const std::string& args, bool errorsOnly = false) {
  std::FILE* p =
      popen((DFX_TOOL " " + args + (errorsOnly ? " 2>&1 >/dev/null" : " 2>/dev/null")).c_str(), "r");
  std::string out;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, got);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// A game's screen as replay writes it (and prints it), found again inside a larger black
// picture than any glyph may be.
TEST(DfxReadScreen, TextOrJsonFromAScreenshotAndBadInput) {
  // This test process's own folder for the files dfx reads and writes.
  const fs::path dir = fs::temp_directory_path() / ("dfx-test-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string glyphs = " --glyphs " DFX_SOURCE_DIR "/res/bmp", shot = (dir / "client.bmp").string(),
                    keys = " --keys \"R 1 right right right down down return\"";
  const auto [status, text] = RunTool("replay --out " + shot + keys);
  PixelSurface screen, big(5000, 768, 0);
  ASSERT_TRUE(status == 0 && ReadBmpFile(shot, &screen));
  // d3 with RANDOM off takes the book's first line, whose reply maps back to c3.
  EXPECT_TRUE(text.starts_with("?????????You (Black)") && text.find("1:Book") != std::string::npos &&
              text.find("\n--OX----\n---OX---\n") != std::string::npos)
      << text;
  for (int32_t i = 0; i < screen.width * screen.height; ++i)
    big.At(4300 + i % screen.width, 200 + i / screen.width) = screen.pixels[size_t(i)];
  ASSERT_TRUE(portable::WriteBmp24((dir / "big.bmp").string().c_str(), big));
  EXPECT_EQ(RunTool("read-screen " + (dir / "big.bmp").string() + glyphs), std::pair(0, text));
  EXPECT_EQ(RunTool("read-screen --json " + shot + glyphs), RunTool("replay --json" + keys));

  // No face at all still reads, every cell unknown; a damaged file or glyph folder is an error.
  std::ofstream(dir / "garbage.bmp") << "BM this is not a bitmap";
  ASSERT_TRUE(portable::WriteBmp24((dir / "black.bmp").string().c_str(), PixelSurface(640, 204, 0)));
  EXPECT_EQ(RunTool("read-screen " + (dir / "black.bmp").string() + glyphs).second.substr(0, 25),
            std::string(24, '?') + "\n");
  for (const std::string& bad :
       {"read-screen " + (dir / "missing.bmp").string(),
        "read-screen " + (dir / "garbage.bmp").string() + glyphs,
        "read-screen " + (dir / "client.bmp").string() + " --glyphs " + (dir / "none").string()})
    EXPECT_EQ(RunTool(bad).first, 1) << bad;
  // A screenshot past the bound is refused from its header, before a decoder allocates for it.
  for (auto [side, error] : {std::pair{8193, "is 8193x1, larger than a screenshot may be (8192 on a side)"},
                             {8192, "cannot read picture"}}) {
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\0\0\0\0\1\x08\2\0\0\0\0\0\0\0", 33);
    png[18] = char(side >> 8);
    png[19] = char(side);
    std::ofstream(dir / "wide.png", std::ios::binary) << png;
    const auto [status, out] = RunTool("read-screen " + (dir / "wide.png").string() + glyphs, true);
    EXPECT_TRUE(status == 1 && out.find(error) != std::string::npos) << out;
  }
  // The committed glyph set is exactly what the generator draws (`dfx glyphs --out res/bmp` rewrites it).
  ASSERT_EQ(RunTool("glyphs --out " + (dir / "set").string()).first, 0);
  const fs::path shipped = DFX_SOURCE_DIR "/res/bmp";
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "set"), {}),
            std::distance(fs::directory_iterator(shipped), {}));
  for (const auto& entry : fs::directory_iterator(shipped))
    EXPECT_TRUE(ReadFile(entry.path()) == ReadFile(dir / "set" / entry.path().filename())) << entry.path();
  fs::remove_all(dir);
}

TEST(DfxCommandLine, EveryCommandHasHelpAndABadArgumentIsOneLineAndStatusTwo) {
  for (const char* command : {"analyse", "bench", "format", "glyphs", "icons", "read-screen", "replay"}) {
    const auto [status, out] = RunTool(std::string(command) + " --help");
    EXPECT_TRUE(status == 0 && out.find("Usage:") != std::string::npos) << command << ": " << out;
  }
  // Moves are played from the start file: a legal line is analysed, a square taken twice is refused.
  EXPECT_EQ(RunTool("analyse --level 0 --moves \"f5 d6\"").first, 0);
  for (const char* moves : {"f5 f5", "f5 i5", "f5 f9", "f5 f55", "f5 5f"})
    EXPECT_EQ(RunTool("analyse --level 0 --moves \"" + std::string(moves) + "\"", true).first, 1) << moves;
  for (const char* args : {"analyse --level 9 --moves f5", "analyse --level 2 --board XO --side black",
                           "analyse --level 2 --moves f5 --side black", "analyse --level 2",
                           "analyse --level 2 --moves f5 --bogus", "bench --discs 0", "bench --sweep x",
                           "replay --keys 1 --tick -5", "replay --keys 1 --tick 4294967296",
                           "replay --keys \"1 NOSUCHKEY\"", "replay --keys \"1 TAP:640,0\"", "replay",
                           "nosuch", "format", "read-screen", "read-screen a.bmp b.bmp", "glyphs"}) {
    const auto [status, out] = RunTool(args, true);
    EXPECT_EQ(std::pair(status, std::count(out.begin(), out.end(), '\n')), std::pair(2, std::ptrdiff_t(1)))
        << args << ": " << out;
  }
}

TEST(DfxKeyNames, NamesLettersDigitsKeypadFunctionKeysAndCodes) {
  const std::pair<const char*, int> names[] = {{"return", 13},   {"Ctrl", 17},   {"r", 82},   {"7", 55},
                                               {"numpad7", 103}, {"NUMPAD", -1}, {"f1", 112}, {"F24", 135},
                                               {"F25", -1},      {"F0", -1},     {"F", 70},   {"255", 255},
                                               {"256", -1},      {"000", -1},    {"", -1},    {"7a", -1}};
  for (auto [name, code] : names) EXPECT_EQ(KeyCode(name) ? int(*KeyCode(name)) : -1, code) << name;
  std::string bad;
  EXPECT_EQ(ParseKeyScript("1,\tleft\nF2  ", &bad), std::vector<uint8_t>({49, 37, 113}));
  EXPECT_EQ(std::pair(ParseKeyScript("1 x! 2", &bad).has_value(), bad), std::pair(false, std::string("x!")));
  EXPECT_EQ(ParseInputScript("tap:0,203,1", &bad),
            (std::vector<Input>{{.press = true, .y = 203}, {.key = 49}}));
  for (const std::string tap :
       {"TAP:640,0", "TAP:0,204", "TAP:1", "TAP:1,", "TAP:-1,5", "TAP:1,2x", "TAP:12345,1"})
    EXPECT_EQ(std::pair(ParseInputScript(tap + " 1", &bad).has_value(), bad), std::pair(false, tap)) << tap;
}

// The totals count their rows' searches and evaluations, the signature is the literal one, and a
// sweep compares one more position per disc count from 20 to 58.
TEST(DfxBench, TotalsAgreeWithTheirRows) {
  const auto [status, out] = RunTool("bench --json --discs 30 --sweep 1");
  ASSERT_EQ(status, 0);
  const nlohmann::json bench = nlohmann::json::parse(out);
  std::map<std::string, std::pair<int, uint64_t>> sums;  // searches and evalCount, by total
  for (const auto& row : bench["rows"]) {
    auto& [searches, evalCount] = sums[row["search"] == "fast" ? "fastS" : "literal"];
    ++searches;
    evalCount += row["evalCount"].get<uint64_t>();
  }
  for (const char* kind : {"literal", "fastS"})
    EXPECT_EQ(std::pair(bench[kind]["searches"].get<int>(), bench[kind]["evalCount"].get<uint64_t>()),
              sums[kind])
        << kind;
  EXPECT_TRUE(bench["signature"] == bench["literal"]["evalCount"] && bench["literal"]["nodes"] > 0)
      << bench["literal"];
  EXPECT_EQ(std::pair(bench["compared"].get<int>(), bench["mismatches"].get<int>()),
            std::pair(bench["literalS"]["searches"].get<int>() + 39, 0));
  EXPECT_EQ(nlohmann::json::parse(RunTool("bench --json --discs 30").second)["compared"],
            bench["literalS"]["searches"])
      << "no sweep unless asked";
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
  EXPECT_TRUE(back["lines"].get<std::vector<std::string>>() ==
              std::vector<std::string>(screen.lines.begin(), screen.lines.end()));
  EXPECT_EQ(back["board"].get<std::string>(), std::string(63, '-') + "\u00e9");
}

// A game played in-process records its keys; replayed from the same tick, dfx must end
// on the very same result screen.
TEST(DfxReplay, EndsOnTheScreenOfTheGamePlayedInProcess) {
  for (int level = 0; level < 5; ++level) {
    const uint32_t tick = 1000u + 37u * uint32_t(level);
    Session s(tick);
    Keys title(size_t(level), KRight);  // the level, then the side
    title.push_back(level % 2 ? K2 : K1);
    std::string keys;  // what the game was given, for dfx
    const ScreenText end = s.Play([&](const ScreenText&) {
      const Keys given = keys.empty() ? title : s.Over() ? Keys{} : KeysToFirstLegalSquare(*s.game);
      for (uint8_t k : given) keys += std::to_string(k) + " ";
      return given;
    });
    EXPECT_EQ(Panel(end, 0).substr(0, 8), std::string("CPU Lv ") + "0123S"[level]);  // at the result
    const auto [status, out] =
        RunTool("replay --json --tick " + std::to_string(tick) + " --keys \"" + keys + "\"");
    EXPECT_TRUE(status == 0 &&
                nlohmann::json::parse(out) == (nlohmann::json{{"lines", end.lines}, {"board", end.board}}))
        << level << ": " << out;
  }
}

}  // namespace
}  // namespace dfx::tool
