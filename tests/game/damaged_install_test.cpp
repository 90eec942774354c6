// The program started from a damaged installation: res/ missing or half-copied, glyph
// files broken or of another kind, odd start-position files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>

#include "session.h"

namespace dfx::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const fs::path kRes = fs::path(DFX_SOURCE_DIR) / "res";

fs::path Glyph(const fs::path& res, int n) { return res / "bmp" / (std::to_string(1000 + n).substr(1) + ".bmp"); }
std::string Read(const fs::path& path) { return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str(); }

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Random(std::string head, size_t size, uint32_t seed) {
  for (std::mt19937 random(seed); head.size() < size;) head += char(random());
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

Damage Remove(bool (*pick)(int code)) {
  return [=](const fs::path& res) {
    std::vector<int> removed;
    for (int n : ShippedGlyphs())
      if (pick(n) && fs::remove(Glyph(res, n))) removed.push_back(n);
    return removed;
  };
}
Damage Replace(int code, std::function<std::string(const std::string&)> make) {
  return [=](const fs::path& res) { return Write(Glyph(res, code), make(Read(Glyph(res, code)))), std::vector<int>{code}; };
}
Damage BoardFile(const std::string& text) {
  return [=](const fs::path& res) { return Write(res / "board.txt", text), std::vector<int>{}; };
}

// Not regular files read as missing; a pipe would block the start, or here hand over
// Black rows from the writer end left open.
std::vector<int> FoldersAndPipes(const fs::path& res) {
  fs::remove(Glyph(res, 'D')), fs::remove(res / "board.txt"), fs::create_directory(Glyph(res, 'D'));
#ifndef _WIN32
  const int fd = (mkfifo((res / "board.txt").c_str(), 0600), open((res / "board.txt").c_str(), O_RDWR | O_NONBLOCK));
  for (int y = 0; y < 8; ++y) EXPECT_EQ(write(fd, "22222222\n", 9), 9);
#endif
  return {'D'};
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

// What a missing glyph shows: the space in its place.
std::string WithSpacesFor(std::string text, const std::vector<int>& missing) {
  for (char& c : text)
    if (std::count(missing.begin(), missing.end(), uint8_t(c))) c = ' ';
  return text;
}

class DamagedInstall : public ::testing::TestWithParam<Case> {};

// The program runs in a damaged copy of res/ (its working directory meanwhile); the
// screen is read with the intact glyphs.
TEST_P(DamagedInstall, StartsWithFallbacksAndPlaysToItsResult) {
  const Case& c = GetParam();
  const fs::path root = fs::path(::testing::TempDir()) / ("dfx_install_" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  fs::copy(kRes, root / "res", fs::copy_options::recursive);
  const std::vector<int> removed = c.damage(root / "res");
  const struct Cwd { fs::path was = fs::current_path(); ~Cwd() { fs::current_path(was); } } cwd;
  fs::current_path(root);
  Session s(777, (kRes / "bmp").string());
  const Game& game = *s.game;
  const int loaded = int(std::count(game.lcd.glyphExists.begin(), game.lcd.glyphExists.end(), 1));
  EXPECT_EQ(loaded, int(ShippedGlyphs().size() - removed.size()));
  for (int n : removed) EXPECT_EQ(game.lcd.glyphExists[size_t(n)], 0) << n;
  const std::string start = BoardToText(game.startBoard);
  EXPECT_EQ(start.find('?'), std::string::npos) << start;
  EXPECT_TRUE(c.start.empty() || start == c.start) << start;

  std::optional<ScreenText> title;
  const auto player = FirstSquarePlayer(s, 0, c.startKey);
  const ScreenText end = s.Play([&](const ScreenText& screen) {
    if (!title) title = screen;
    return s.recorded.size() > 2000 ? Keys{} : player(screen);
  });
  EXPECT_TRUE(s.Over()) << "no result";
  if (loaded == 0) {
    for (uint32_t p : s.host.ScreenCopy().pixels) ASSERT_EQ(p, 0u) << "drawn without any glyph";
  } else {
    EXPECT_EQ(title->lines[0].substr(2, 20), WithSpacesFor("Discoflipparex V2.3D", removed));
  }
  if (c.readable) {
    EXPECT_EQ(end.board, BoardToText(game.board));
    // Spaces draw nothing, so old text shows through.
    const std::string result = ResultText(game);
    EXPECT_TRUE(removed == std::vector<int>{' '} || Panel(end, 1).starts_with(WithSpacesFor(result, removed))) << Panel(end, 1);
  }
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(
    Each, DamagedInstall,
    ::testing::Values(
        Case{"NoResFolder", [](const fs::path& res) { return fs::remove_all(res), ShippedGlyphs(); }, kEmpty, false},
        // The face (255) and the black disc (15) among the third taken away.
        Case{"AThirdOfTheGlyphsMissing", Remove([](int n) { return n == 255 || n == 15 || n % 3 == 0; }), kStandard, false},
        Case{"NoSpaceGlyph", Remove([](int n) { return n == ' '; }), kStandard},
        Case{"TruncatedBmp", Replace('D', [](auto& b) { return b.substr(0, b.size() / 2); })},
        Case{"HeaderOnlyBmp", Replace('i', [](auto& b) { return b.substr(0, 54); })},
        Case{"ZeroLengthBmp", Replace('s', [](auto&) { return ""; })},
        Case{"HugeBmp", Replace('c', [](std::string b) { return b.replace(18, 8, "\xA0\x86\x01\0\xA0\x86\x01\0"s); })},
        Case{"GarbageGif", Replace('f', [](auto&) { return Random("GIF", 4000, 7); })},
        Case{"GarbageJpeg", Replace('l', [](auto&) { return Random("\xFF\xD8\xFF", 4000, 7); })},
        Case{"Png", Replace('V', [](auto&) { return Read(kRes / "../tests/fuzz/seeds/picture_load/picture.png"); })},
        Case{"FoldersAndPipesWhereFilesShouldBe", FoldersAndPipes, kEmpty},
        Case{"BoardOfRandomBytes", BoardFile(Random("", 300, 1)), "", true, K2},
        Case{"BoardOfAMegabyte",
             BoardFile(Random("00000000\n00000000\n00000000\n00012000\n00021000\n00000000\n00000000\n00000000\n",
                              1 << 20, 3)),
             kStandard},
        Case{"BoardOfOneRow", BoardFile("00012000"),
             "---OX------OX------OX------OX------OX------OX------OX------OX---"},
        Case{"BoardWithHighDigits",
             BoardFile("34567893\r\n99999999\r\n88888888\r\n77712777\r\n66621666\r\n55555555\r\n44444444\r\n"),
             kStandard, true, K2}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dfx::testing
