// The program started from a damaged installation: res/ missing or half-copied, glyph
// files broken or of another kind, odd start-position files.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "session.h"

namespace dfx::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const fs::path kRes = fs::path(DFX_SOURCE_DIR) / "res";

fs::path Glyph(const fs::path& res, int n) {
  char name[16];
  std::snprintf(name, sizeof name, "bmp/%03d.bmp", n);
  return res / name;
}

std::string Read(const fs::path& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Random(std::string head, size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  while (head.size() < size) head += char(random());
  return head;
}

std::vector<int> ShippedGlyphs() {
  std::vector<int> codes;
  for (int n = 0; n <= 256; ++n)
    if (fs::exists(Glyph(kRes, n))) codes.push_back(n);
  return codes;
}

// Damages a fresh copy of res/; returns the glyph codes it took away.
using Damage = std::function<std::vector<int>(const fs::path& res)>;

// The program started in a damaged copy of res/ in a temporary folder, which stays the
// working directory while it lasts; its screen is read with the intact glyphs.
struct Damaged {
  explicit Damaged(const Damage& damage) {
    static int count = 0;
    root = fs::path(::testing::TempDir()) / ("dfx_install_" + std::to_string(getpid()) + "_" + std::to_string(count++));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(kRes, root / "res", fs::copy_options::recursive);
    removed = damage(root / "res");
    fs::current_path(root);
    s = std::make_unique<Session>(777, (kRes / "bmp").string());
  }
  ~Damaged() {
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  // One game from the title: the human passes or takes its first legal square. Returns
  // the screen at every wait, the title first, the result last.
  std::vector<ScreenText> Play(uint8_t startKey) {
    std::vector<ScreenText> screens;
    const GameState& st = s->game->state;
    const auto over = [&] { return st.whiteCount + st.blackCount == 64 || st.passCount >= 2; };
    s->host.SetOnKeysExhausted([&] {
      screens.push_back(s->reader.ReadAt(s->host.ScreenCopy(), 0, 0));
      EXPECT_EQ(st.blackCount, s->game->board.CountDiscs(Black));
      EXPECT_EQ(st.whiteCount, s->game->board.CountDiscs(White));
      if (screens.size() == 1) return s->host.PushKey(startKey);
      if (over() || screens.size() > 200) throw KeysExhausted{};
      const std::vector<uint8_t> keys = KeysToFirstLegalSquare(*s->game);
      s->host.PushKeys(keys.empty() ? std::vector<uint8_t>{' '} : keys);
    });
    try {
      s->game->RunForEver();
    } catch (const KeysExhausted&) {
    }
    EXPECT_TRUE(over()) << "no result after " << screens.size() << " waits";
    return screens;
  }

  fs::path previous = fs::current_path(), root;
  std::vector<int> removed;
  std::unique_ptr<Session> s;
};

// What a missing glyph shows: the space in its place.
std::string WithSpacesFor(std::string text, const std::vector<int>& missing) {
  for (char& c : text)
    if (std::count(missing.begin(), missing.end(), uint8_t(c))) c = ' ';
  return text;
}

Damage Remove(bool (*pick)(int code)) {
  return [=](const fs::path& res) {
    std::vector<int> removed;
    for (int n : ShippedGlyphs())
      if (pick(n) && fs::remove(Glyph(res, n))) removed.push_back(n);
    return removed;
  };
}

Damage Replace(int code, std::function<std::string(const std::string&)> make) {
  return [=](const fs::path& res) {
    Write(Glyph(res, code), make(Read(Glyph(res, code))));
    return std::vector<int>{code};
  };
}

Damage BoardFile(const std::string& text) {
  return [=](const fs::path& res) {
    Write(res / "board.txt", text);
    return std::vector<int>{};
  };
}

const std::string kStandard = std::string(27, '-') + "OX------XO" + std::string(27, '-');
const std::string kEmpty(64, '-');

struct Case {
  const char* name;
  Damage damage;
  std::string start = "";  // the start position, or empty for any legal one
  bool readable = true;    // the face and discs are drawn, so the end screen reads back
  uint8_t startKey = K1;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class DamagedInstall : public ::testing::TestWithParam<Case> {};

TEST_P(DamagedInstall, StartsWithFallbacksAndPlaysToItsResult) {
  const Case& c = GetParam();
  Damaged run(c.damage);
  const Game& game = *run.s->game;
  const int loaded = int(std::count(game.lcd.glyphExists.begin(), game.lcd.glyphExists.end(), 1));
  EXPECT_EQ(loaded, int(ShippedGlyphs().size() - run.removed.size()));
  for (int n : run.removed) EXPECT_EQ(game.lcd.glyphExists[size_t(n)], 0) << n;
  const std::string start = BoardToText(game.startBoard);
  EXPECT_EQ(start.find('?'), std::string::npos) << start;
  EXPECT_TRUE(c.start.empty() || start == c.start) << start;

  const std::vector<ScreenText> screens = run.Play(c.startKey);
  ASSERT_FALSE(screens.empty());
  if (loaded == 0) {
    for (uint32_t p : run.s->host.ScreenCopy().pixels) ASSERT_EQ(p, 0u) << "drawn without any glyph";
    return;
  }
  EXPECT_EQ(screens.front().lines[0].substr(2, 20), WithSpacesFor("Discoflipparex V2.3D", run.removed));
  if (!c.readable) return;
  EXPECT_EQ(screens.back().board, BoardToText(game.board));
  if (run.removed == std::vector<int>{' '}) return;  // spaces draw nothing: old text shows through
  const int human = game.board.CountDiscs(Cell(game.state.humanColour));
  const int other = game.board.CountDiscs(opponentOf[game.state.humanColour]);
  const std::string result = human > other ? "You Win" : human < other ? "You Lose" : "DRAW";
  EXPECT_EQ(Session::Panel(screens.back(), 1).substr(0, result.size()), WithSpacesFor(result, run.removed));
}

INSTANTIATE_TEST_SUITE_P(
    Each, DamagedInstall,
    ::testing::Values(
        Case{"NoResFolder", [](const fs::path& res) { return fs::remove_all(res), ShippedGlyphs(); }, kEmpty, false},
        // The face (255) and the black disc (15) among the third taken away.
        Case{"AThirdOfTheGlyphsMissing", Remove([](int n) { return n == 255 || n == 15 || n % 3 == 0; }), kStandard,
             false},
        Case{"NoSpaceGlyph", Remove([](int n) { return n == ' '; }), kStandard},
        Case{"TruncatedBmp", Replace('D', [](auto& b) { return b.substr(0, b.size() / 2); })},
        Case{"HeaderOnlyBmp", Replace('i', [](auto& b) { return b.substr(0, 54); })},
        Case{"ZeroLengthBmp", Replace('s', [](auto&) { return ""; })},
        Case{"HugeBmp", Replace('c', [](std::string b) { return b.replace(18, 8, "\xA0\x86\x01\0\xA0\x86\x01\0"s); })},
        Case{"GarbageGif", Replace('f', [](auto&) { return Random("GIF", 4000, 7); })},
        Case{"GarbageJpeg", Replace('l', [](auto&) { return Random("\xFF\xD8\xFF", 4000, 7); })},
        Case{"Png", Replace('V', [](auto&) { return Read(kRes / "../tests/fuzz/seeds/picture_load/picture.png"); })},
        Case{"FoldersWhereFilesShouldBe",
             [](const fs::path& res) {
               for (const fs::path& p : {res / "board.txt", Glyph(res, 'D')}) {
                 fs::remove(p);
                 fs::create_directory(p);
               }
               return std::vector<int>{'D'};
             },
             kEmpty},
        Case{"BoardOfRandomBytes", BoardFile(Random("", 300, 1))},
        Case{"BoardOfOtherRandomBytes", BoardFile(Random("", 300, 2)), "", true, K2},
        Case{"BoardOfAMegabyte",
             BoardFile(Random("00000000\n00000000\n00000000\n00012000\n00021000\n00000000\n00000000\n00000000\n",
                              1 << 20, 3)),
             kStandard},
        Case{"BoardOfOneRow", BoardFile("00012000"),
             "---OX------OX------OX------OX------OX------OX------OX------OX---"},
        Case{"BoardWithHighDigits",
             BoardFile("34567893\r\n99999999\r\n88888888\r\n77712777\r\n66621666\r\n55555555\r\n44444444\r\n"),
             kStandard, true, K2},
        Case{"BoardOfOnlyHighDigits",
             BoardFile("39393939\n48484848\n57575757\n66666666\n75757575\n84848484\n93939393\n"), kEmpty}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Spaces that draw nothing leave old text standing: taking a move back blanks row 2
// with spaces, so the undo hint stays.
TEST(DamagedInstallNoSpace, UndoLeavesOldTextStanding) {
  Damaged run(Remove([](int n) { return n == ' '; }));
  const auto screens = run.s->Run({{K1, KRight, KRight, KRight, KDown, KDown, KReturn, KBack}});
  ASSERT_EQ(screens.size(), 1u);
  EXPECT_EQ(run.s->game->state.undoCount, 1);
  EXPECT_EQ(screens[0].lines[2].substr(9, 9), "[BS] UNDO");
  EXPECT_EQ(screens[0].lines[0].substr(9), "You (Black)ite)");
  EXPECT_EQ(screens[0].board.substr(24, 16), "---OX------XO---");
}

}  // namespace
}  // namespace dfx::testing
