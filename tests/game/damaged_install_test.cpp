// The program started from a damaged installation: res/ missing or half-copied, glyph
// files broken or of another kind, odd start-position files read leniently.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "session.h"

namespace dfx::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kRes = fs::path(DFX_SOURCE_DIR) / "res";
const std::string kStandard = std::string(27, '-') + "OX------XO" + std::string(27, '-'), kEmpty(64, '-');

fs::path Glyph(const fs::path& res, int n) {
  return res / "bmp" / (std::to_string(1000 + n).substr(1) + ".bmp");
}
std::string Random(std::string head, size_t size, uint32_t seed) {
  for (std::mt19937 random(seed); head.size() < size;) head += char(random());
  return head;
}

// How a fresh copy of res/ is damaged.
struct Case {
  const char* name;
  int removeEvery = 0;          // glyphs whose code it divides are removed; 1: no res/ at all
  std::string removeAlso = "";  // and these glyphs
  std::vector<std::pair<int, std::string>> glyphs = {};  // glyph files given these bytes
  std::string board = "";  // new bytes of board.txt; "|": a pipe there and a folder for glyph D
  std::string start = "";  // the start position, or empty for any legal one
  uint8_t startKey = K1;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Applies c to res; returns the shipped glyph codes that no longer load.
std::vector<int> Damage(const Case& c, const fs::path& res) {
  std::vector<int> lost;
  for (int n = 0; n <= 256; ++n)
    if (((c.removeEvery && n % c.removeEvery == 0) || c.removeAlso.find(char(n)) != std::string::npos) &&
        fs::remove(Glyph(res, n)))
      lost.push_back(n);
  if (c.removeEvery == 1) fs::remove_all(res);  // board.txt too
  for (const auto& [n, bytes] : c.glyphs) {
    std::ofstream(Glyph(res, n), std::ios::binary) << bytes;
    lost.push_back(n);
  }
  if (c.board != "|") {
    if (!c.board.empty()) std::ofstream(res / "board.txt", std::ios::binary) << c.board;
    return lost;
  }
  // Not regular files read as missing; a pipe would block the start, or here hand over
  // Black rows from the writer end left open.
  fs::remove(Glyph(res, 'D'));
  fs::remove(res / "board.txt");
  fs::create_directory(Glyph(res, 'D'));
#ifndef _WIN32
  mkfifo((res / "board.txt").c_str(), 0600);
  const int fd = open((res / "board.txt").c_str(), O_RDWR | O_NONBLOCK);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(write(fd, "22222222\n", 9), 9);
#endif
  return {'D'};
}

// What a missing glyph shows: the space in its place.
std::string WithSpacesFor(std::string text, const std::vector<int>& missing) {
  std::ranges::replace_if(
      text, [&](char c) { return std::ranges::count(missing, uint8_t(c)) > 0; }, ' ');
  return text;
}

class DamagedInstall : public ::testing::TestWithParam<Case> {};

// The program starts in a damaged copy of res/ (its working directory meanwhile); the
// screen is read with the intact glyphs.
TEST_P(DamagedInstall, StartsWithFallbacksAndPlaysToItsResult) {
  const Case& c = GetParam();
  const fs::path root = fs::path(::testing::TempDir()) / ("dfx_install_" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  fs::copy(kRes, root / "res", fs::copy_options::recursive);
  const std::vector<int> removed = Damage(c, root / "res");
  const fs::path was = fs::current_path();
  fs::current_path(root);
  Session s(777, (kRes / "bmp").string());
  fs::current_path(was);  // the game has read its files; Windows would keep the copy from being removed
  const Game& game = *s.game;
  const auto loaded = std::ranges::count(game.lcd.glyphExists, 1);
  EXPECT_EQ(loaded + std::ssize(removed),
            std::distance(fs::directory_iterator(kRes / "bmp"), {}));  // every other shipped glyph
  for (int n : removed) EXPECT_EQ(game.lcd.glyphExists[size_t(n)], 0) << n;
  const std::string start = BoardToText(game.startBoard);
  EXPECT_TRUE(c.start.empty() ? start.find('?') == std::string::npos : start == c.start) << start;

  ScreenText title;
  int waits = 0;
  const ScreenText end = s.Play([&](const ScreenText& screen) {
    if (waits++ == 0) {
      title = screen;
      return Keys{c.startKey};
    }
    return s.Over() || ++waits > 200 ? Keys{} : KeysToFirstLegalSquare(game);
  });
  EXPECT_TRUE(s.Over()) << "no result";
  const std::vector<uint32_t> pixels = s.host.ScreenCopy().pixels;
  if (loaded == 0)
    EXPECT_EQ(std::ranges::count(pixels, 0u), std::ssize(pixels)) << "drawn without any glyph";
  else
    EXPECT_EQ(title.lines[0].substr(2, 20), WithSpacesFor("Discoflipparex V2.3D", removed));
  if (c.removeEvery == 0) {  // the face and discs are drawn, so the end screen reads back
    EXPECT_EQ(end.board, BoardToText(game.board));
    // Spaces draw nothing, so old text shows through.
    EXPECT_TRUE(c.removeAlso == " " || Panel(end, 1).starts_with(WithSpacesFor(ResultText(game), removed)))
        << Panel(end, 1);
  }
  fs::remove_all(root);
}

const std::string kHugeBmp =
    ReadFile(Glyph(kRes, 'c')).replace(18, 8, std::string("\xA0\x86\x01\0\xA0\x86\x01\0", 8));

INSTANTIATE_TEST_SUITE_P(
    Each, DamagedInstall,
    ::testing::Values(Case{.name = "NoResFolder", .removeEvery = 1, .start = kEmpty},
                      // The face (255) and the black disc (15) among the third taken away; the shipped board
                      // followed by random bytes to a megabyte.
                      Case{.name = "AThirdOfTheGlyphsMissingAndAMegabyteBoard",
                           .removeEvery = 3,
                           .removeAlso = "\xFF\x0F",
                           .board = Random(ReadFile(kRes / "board.txt"), 1 << 20, 3),
                           .start = kStandard},
                      // Truncated, header-only, empty and huge bitmaps, garbage of other kinds, a PNG; random
                      // bytes for a board.
                      Case{.name = "BrokenGlyphFilesAndARandomBoard",
                           .glyphs = {{'D', ReadFile(Glyph(kRes, 'D')).substr(0, 1179)},
                                      {'i', ReadFile(Glyph(kRes, 'i')).substr(0, 54)},
                                      {'s', ""},
                                      {'c', kHugeBmp},
                                      {'f', Random("GIF", 4000, 7)},
                                      {'l', Random("\xFF\xD8\xFF", 4000, 7)},
                                      {'V', ReadFile(kRes / "../tests/fuzz/seeds/picture_load/picture.png")}},
                           .board = Random("", 300, 1),
                           .startKey = K2},
                      Case{.name = "FoldersAndPipesWhereFilesShouldBe", .board = "|", .start = kEmpty},
                      // Start-position files read leniently: CR LF, LF and CR ends, leading blanks skipped,
                      // x and digits past 2 read 0, only eight characters count, a comma ends a row outside
                      // quotes, the last row needs no end and missing rows repeat it. No space glyph either.
                      Case{.name = "NoSpaceGlyphAndABoardReadLeniently",
                           .removeAlso = " ",
                           .board = "00000001\r\n00000002\n \t2x3456782,12\r\"1,1\",02\n00012000",
                           .start = "-------O-------XX-------OX-------O-O-----X---------OX------OX---"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dfx::testing
