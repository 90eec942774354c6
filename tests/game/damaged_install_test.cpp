// The program started from a damaged installation: res/ missing or half-copied,
// glyph files truncated, empty, hostile or of another kind, and odd start-position
// files. Each run builds its own res/ tree in a temporary folder and starts there.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/game.h"
#include "host/memory/memory_host.h"
#include "lcd/screen_reader.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t K1 = '1', K2 = '2', KBack = 8, KReturn = 13, KLeft = 37, KUp = 38, KRight = 39, KDown = 40;

const fs::path& ShippedRes() {
  static const fs::path res = fs::path(DFX_SOURCE_DIR) / "res";
  return res;
}

const ScreenReader& Reader() {
  static const ScreenReader reader = [] {
    ScreenReader r;
    r.LoadGlyphs((ShippedRes() / "bmp").string());
    return r;
  }();
  return reader;
}

std::string GlyphName(int n) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d.bmp", n);
  return name;
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) { WriteBytes(path, Bytes(text.begin(), text.end())); }

// A copy of the shipped res/ in a fresh folder, which becomes the working directory
// until the object goes away.
class Install {
 public:
  explicit Install(bool withRes = true) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "dfx_install_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    root_ = fs::path(::testing::TempDir()) / name;
    fs::remove_all(root_);
    fs::create_directories(root_);
    if (withRes) fs::copy(ShippedRes(), root_ / "res", fs::copy_options::recursive);
    previous_ = fs::current_path();
    fs::current_path(root_);
  }
  ~Install() {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path Glyph(int n) const { return root_ / "res" / "bmp" / GlyphName(n); }
  fs::path BoardFile() const { return root_ / "res" / "board.txt"; }

 private:
  fs::path root_;
  fs::path previous_;
};

// The program on the memory host, started in the current folder, played by a driver
// that needs no screen: it reads the game state to find a legal square.
struct Program {
  Program() {
    UseVirtualClock(777);
    game = std::make_unique<Game>(host);
    game->StartUp();
  }

  // Plays one game from the title screen; screens[i] is the screen at wait i, the
  // title screen first and the result screen last. False when no result came.
  bool PlayGame(uint8_t startKey) {
    bool started = false, ended = false;
    host.SetOnKeysExhausted([&] {
      screens.push_back(Reader().ReadAt(host.ScreenCopy(), 0, 0));
      const GameState& st = game->state;
      const Board& board = game->board;
      if (++waits > 400) throw KeysExhausted{};
      if (!started) {
        started = true;
        host.PushKey(startKey);
        return;
      }
      if (st.whiteCount + st.blackCount == 64 || st.passCount >= 2) {
        ended = true;
        throw KeysExhausted{};
      }
      if (!board.HasAnyMove(static_cast<Cell>(st.humanColour))) {
        host.PushKey(' ');
        return;
      }
      for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
        if (board[sq] != Empty || !board.CanPlay(sq, static_cast<Cell>(st.sideToMove))) continue;
        const int x = sq % 9, y = sq / 9;
        for (int cx = st.cursorX; cx < x; ++cx) host.PushKey(KRight);
        for (int cx = st.cursorX; cx > x; --cx) host.PushKey(KLeft);
        for (int cy = st.cursorY; cy < y; ++cy) host.PushKey(KDown);
        for (int cy = st.cursorY; cy > y; --cy) host.PushKey(KUp);
        host.PushKey(KReturn);
        return;
      }
      throw KeysExhausted{};
    });
    try {
      game->RunForEver();
    } catch (const KeysExhausted&) {
    }
    return ended;
  }

  // The board as the game holds it, '-' 'X' 'O', row 1 first.
  std::string BoardText() const {
    std::string s;
    for (int y = 1; y <= 8; ++y)
      for (int x = 1; x <= 8; ++x) {
        const Cell c = game->board[SquareIndex(x, y)];
        s += c == Black ? 'X' : c == White ? 'O' : c == Empty ? '-' : '?';
      }
    return s;
  }

  int LoadedGlyphs() const {
    int n = 0;
    for (uint8_t flag : game->lcd.glyphExists) n += flag;
    return n;
  }

  MemoryHost host;
  std::unique_ptr<Game> game;
  std::vector<ScreenText> screens;
  int waits = 0;
};

int ShippedGlyphs() {
  int n = 0;
  for (int i = 0; i <= 256; ++i) n += fs::exists(ShippedRes() / "bmp" / GlyphName(i));
  return n;
}

bool AllBlack(const portable::PixelSurface& s) {
  for (uint32_t p : s.pixels) {
    if (p != 0) return false;
  }
  return true;
}

// Columns where a missing glyph fell back to the space; the rest reads as printed.
std::string WithSpacesFor(std::string text, const std::vector<int>& missing) {
  for (char& c : text) {
    for (int n : missing) {
      if (uint8_t(c) == n) c = ' ';
    }
  }
  return text;
}

TEST(DamagedInstall, NoResFolderStartsBlankAndBothSidesPassAtOnce) {
  Install install(false);
  Program run;
  EXPECT_EQ(run.LoadedGlyphs(), 0);
  ASSERT_TRUE(run.PlayGame(K1));
  // Title, the human's pass, the result: nothing was ever drawn.
  EXPECT_EQ(run.waits, 3);
  EXPECT_TRUE(AllBlack(run.host.ScreenCopy()));
  EXPECT_EQ(run.BoardText(), std::string(64, '-'));
  // Human, computer, and the human's second turn without a move.
  EXPECT_EQ(run.game->state.passCount, 3);
  EXPECT_EQ(run.game->state.whiteCount + run.game->state.blackCount, 0);
}

TEST(DamagedInstall, AThirdOfTheGlyphsMissingStillPlaysAWholeGame) {
  Install install;
  // A third of the files as shipped, the face (255) and the black disc (15) among them.
  std::vector<int> missing, present;
  for (int n = 0, seen = 0; n <= 256; ++n) {
    if (!fs::exists(install.Glyph(n))) {
      missing.push_back(n);
    } else if (n == 255 || n == 15 || seen++ % 3 == 0) {
      fs::remove(install.Glyph(n));
      missing.push_back(n);
    } else {
      present.push_back(n);
    }
  }
  ASSERT_EQ(fs::exists(install.Glyph(255)) + fs::exists(install.Glyph(15)), 0);
  Program run;
  EXPECT_EQ(run.LoadedGlyphs(), int(present.size()));
  for (int n : present) EXPECT_EQ(run.game->lcd.glyphExists[size_t(n)], 1) << n;
  ASSERT_TRUE(run.PlayGame(K2));
  // The face (255) is gone, so the screen is read where it would be. Title cells that
  // hold a missing code show the space in its place.
  const ScreenText& title = run.screens.front();
  EXPECT_EQ(title.lines[0].substr(2, 20), WithSpacesFor("Discoflipparex V2.3D", missing));
  EXPECT_EQ(title.lines[1].substr(5, 14), WithSpacesFor("[1] YOU vs CPU", missing));
  EXPECT_EQ(title.lines[3].substr(5, 14), WithSpacesFor("[R] RANDOM ON ", missing));
  const GameState& st = run.game->state;
  EXPECT_EQ(st.whiteCount, run.game->board.CountDiscs(White));
  EXPECT_EQ(st.blackCount, run.game->board.CountDiscs(Black));
  EXPECT_FALSE(run.game->board.HasAnyMove(White) || run.game->board.HasAnyMove(Black));
}

TEST(DamagedInstall, MissingSpaceGlyphLeavesOldTextStanding) {
  Install install;
  fs::remove(install.Glyph(32));
  Program run;
  EXPECT_EQ(run.LoadedGlyphs(), ShippedGlyphs() - 1);
  EXPECT_EQ(run.game->lcd.glyphExists[32], 0);
  // Human plays, the computer replies, the human takes it back: the undo blanks row 2
  // with spaces, which now draw nothing, so the hint stays on screen.
  run.host.PushKeys({K1, KRight, KRight, KRight, KDown, KDown, KReturn, KBack});
  try {
    run.game->RunForEver();
  } catch (const KeysExhausted&) {
  }
  EXPECT_EQ(run.game->state.undoCount, 1);
  const ScreenText screen = Reader().Read(run.host.ScreenCopy());
  ASSERT_TRUE(screen.found);
  EXPECT_EQ(screen.lines[2].substr(9, 9), "[BS] UNDO");
  // The face under a never-printed cell reads as the space it looks like.
  EXPECT_EQ(screen.lines[3].substr(9), std::string(15, ' '));
  EXPECT_EQ(screen.lines[0].substr(9, 15), "You (Black)ite)");
  EXPECT_EQ(screen.board.substr(24, 16), "---OX------XO---");
}

struct BrokenGlyph {
  const char* name;
  int code;  // a character of the title line, so its fallback shows
  Bytes (*make)(const Bytes& shipped);
};

Bytes Truncated(const Bytes& b) { return Bytes(b.begin(), b.begin() + std::ptrdiff_t(b.size() / 2)); }
Bytes HeaderOnly(const Bytes& b) { return Bytes(b.begin(), b.begin() + 54); }
Bytes ZeroLength(const Bytes&) { return {}; }
Bytes HugeClaim(const Bytes& b) {
  Bytes out = b;
  for (size_t at : {size_t(18), size_t(22)}) {
    const uint32_t side = 100000;
    for (size_t i = 0; i < 4; ++i) out[at + i] = uint8_t(side >> (8 * i));
  }
  return out;
}
Bytes Garbage(uint8_t a, uint8_t b2, uint8_t c) {
  std::mt19937 random(7);
  Bytes out = {a, b2, c};
  for (int i = 0; i < 4000; ++i) out.push_back(uint8_t(random()));
  return out;
}
Bytes GarbageGif(const Bytes&) { return Garbage('G', 'I', 'F'); }
Bytes GarbageJpeg(const Bytes&) { return Garbage(0xFF, 0xD8, 0xFF); }
Bytes Png(const Bytes&) {
  // A complete 2x2 PNG: recognised, never decoded.
  return ReadBytes(fs::path(DFX_SOURCE_DIR) / "tests" / "fuzz" / "seeds" / "picture_load" / "picture.png");
}

class BrokenGlyphFile : public ::testing::TestWithParam<BrokenGlyph> {};

TEST_P(BrokenGlyphFile, FallsBackToTheSpaceAndTheGamePlays) {
  const BrokenGlyph& broken = GetParam();
  Install install;
  const Bytes shipped = ReadBytes(install.Glyph(broken.code));
  const Bytes damaged = broken.make(shipped);
  ASSERT_NE(damaged, shipped);
  WriteBytes(install.Glyph(broken.code), damaged);

  const auto before = std::chrono::steady_clock::now();
  Program run;
  // A hostile size is refused from the header, not found out by allocating it.
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));
  EXPECT_EQ(run.LoadedGlyphs(), ShippedGlyphs() - 1);
  EXPECT_EQ(run.game->lcd.glyphExists[size_t(broken.code)], 0);
  ASSERT_TRUE(run.PlayGame(K1));
  const ScreenText& title = run.screens.front();
  EXPECT_EQ(title.lines[0], "  " + WithSpacesFor("Discoflipparex V2.3D", {broken.code}) + "  ");
  const ScreenText end = Reader().Read(run.host.ScreenCopy());
  ASSERT_TRUE(end.found);
  EXPECT_EQ(end.board, run.BoardText());
}

INSTANTIATE_TEST_SUITE_P(
    EachDamage, BrokenGlyphFile,
    ::testing::Values(BrokenGlyph{"TruncatedBmp", 'D', Truncated}, BrokenGlyph{"HeaderOnlyBmp", 'i', HeaderOnly},
                      BrokenGlyph{"ZeroLengthBmp", 's', ZeroLength}, BrokenGlyph{"HugeBmp", 'c', HugeClaim},
                      BrokenGlyph{"GarbageGif", 'f', GarbageGif}, BrokenGlyph{"GarbageJpeg", 'l', GarbageJpeg},
                      BrokenGlyph{"Png", 'V', Png}),
    [](const ::testing::TestParamInfo<BrokenGlyph>& info) { return std::string(info.param.name); });

TEST(DamagedInstall, FoldersWhereFilesShouldBe) {
  Install install;
  fs::remove(install.BoardFile());
  fs::create_directory(install.BoardFile());
  fs::remove(install.Glyph('D'));
  fs::create_directory(install.Glyph('D'));
  Program run;
  EXPECT_EQ(run.LoadedGlyphs(), ShippedGlyphs() - 1);
  ASSERT_TRUE(run.PlayGame(K1));
  // An unreadable start position is an empty board: both sides pass at once.
  EXPECT_EQ(run.waits, 3);
  EXPECT_EQ(run.BoardText(), std::string(64, '-'));
  EXPECT_EQ(run.screens.front().lines[0], "   iscoflipparex V2.3   ");
  EXPECT_EQ(run.screens.back().lines[1].substr(9, 4), " RAW");
}

TEST(DamagedBoardFile, RandomBytesGiveAPlayablePosition) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Install install;
    std::mt19937 random(seed);
    Bytes bytes(300);
    for (uint8_t& b : bytes) b = uint8_t(random());
    WriteBytes(install.BoardFile(), bytes);
    Program run;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
      const Cell c = run.game->board.snapshots[StartPositionSlot][sq];
      if (sq % 9 == 0) continue;
      EXPECT_TRUE(c == Empty || c == White || c == Black) << sq << " = " << c;
    }
    EXPECT_TRUE(run.PlayGame(seed % 2 ? K1 : K2));
    EXPECT_EQ(run.BoardText().find('?'), std::string::npos);
  }
}

TEST(DamagedBoardFile, AMegabyteReadsOnlyItsFirstEightRows) {
  Install install;
  std::string text = "00000000\n00000000\n00000000\n00012000\n00021000\n00000000\n00000000\n00000000\n";
  while (text.size() < (1u << 20)) text += "21212121\n";
  WriteText(install.BoardFile(), text);
  Program run;
  ASSERT_TRUE(run.PlayGame(K2));
  // The computer opened from the standard start as its book expects.
  ASSERT_GE(run.screens.size(), 2u);
  EXPECT_EQ(run.screens[1].board.substr(16, 16), "---X-------XX---");
}

TEST(DamagedBoardFile, OneRowRepeatsOnEveryRow) {
  Install install;
  WriteText(install.BoardFile(), "00012000");
  Program run;
  std::string row;
  for (int x = 1; x <= 8; ++x) row += "---OX---"[x - 1];
  run.game->board.NewGameBoard();
  std::string expected;
  for (int y = 0; y < 8; ++y) expected += row;
  EXPECT_EQ(run.BoardText(), expected);
  EXPECT_TRUE(run.PlayGame(K1));
}

TEST(DamagedBoardFile, DigitsAboveTwoAreEmptySquares) {
  Install install;
  WriteText(install.BoardFile(), "34567893\r\n99999999\r\n88888888\r\n77712777\r\n66621666\r\n55555555\r\n44444444\r\n33333333\r\n");
  Program run;
  run.game->board.NewGameBoard();
  std::string expected(64, '-');
  expected[27] = 'O';
  expected[28] = 'X';
  expected[35] = 'X';
  expected[36] = 'O';
  EXPECT_EQ(run.BoardText(), expected);
  ASSERT_TRUE(run.PlayGame(K1));
}

TEST(DamagedBoardFile, OnlyDigitsAboveTwoGiveAnEmptyBoardAndAnImmediateDraw) {
  Install install;
  WriteText(install.BoardFile(), "39393939\n48484848\n57575757\n66666666\n75757575\n84848484\n93939393\n33333333\n");
  Program run;
  ASSERT_TRUE(run.PlayGame(K1));
  EXPECT_EQ(run.waits, 3);
  EXPECT_EQ(run.BoardText(), std::string(64, '-'));
  EXPECT_EQ(run.screens.back().lines[1].substr(9, 4), "DRAW");
}

}  // namespace
}  // namespace dfx
