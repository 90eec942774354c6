// The opening book: orientation, record, lookup and its random choice, and the generator.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "cpu/opening_book.h"

namespace dfx {
namespace {

int SquareOf(int x, int y) { return y * 9 + x; }

// Looks a move up and takes it, as the player does with a legal book move.
bool Consult(OpeningBook& book, int moveNumber, int randomEnabled, int* x, int* y) {
  const BookChoice choice = book.LookUp(moveNumber, randomEnabled);
  *x = choice.x;
  *y = choice.y;
  if (choice.found) book.Take(choice, moveNumber);
  return choice.found;
}

struct OpeningBookTest : ::testing::Test {
  std::unique_ptr<OpeningBook> book = std::make_unique<OpeningBook>();
  int x = 0, y = 0;
};

TEST_F(OpeningBookTest, ComputerOpeningIsD3AndRecordsTheNormalisedMove) {
  book->firstMatch = 7;
  ASSERT_TRUE(Consult(*book, 1, 1, &x, &y));
  EXPECT_EQ(SquareOf(x, y), 31);
  EXPECT_EQ(book->orientation, 2);
  EXPECT_EQ(book->gameRecord[0], 51);
  EXPECT_EQ(book->firstMatch, 7);  // no line is chosen for the first move
}

TEST_F(OpeningBookTest, ReplyToF5WithoutRandomIsLineOnesSecondMove) {
  book->RecordOpeningMove(6, 5, 1);
  ASSERT_TRUE(Consult(*book, 2, 0, &x, &y));
  EXPECT_EQ(SquareOf(x, y), 60);
  EXPECT_EQ(book->firstMatch, 1);
  EXPECT_EQ(book->lastMatch, 64);
  EXPECT_EQ(book->randomOffset, 0);
  EXPECT_EQ(book->gameRecord[1], 60);
}

TEST_F(OpeningBookTest, EveryFirstMoveIsMappedOntoTheBookAndRepliesBack) {
  // (first move, what line 1's reply 60 becomes on the board)
  const int cases[4][2] = {{51, 60}, {39, 30}, {31, 30}, {59, 60}};
  const int orientations[4] = {0, 1, 2, 3};
  for (int c = 0; c < 4; ++c) {
    OpeningBook fresh;
    const int s = cases[c][0];
    fresh.RecordOpeningMove(s % 9, s / 9, 1);
    EXPECT_EQ(fresh.orientation, orientations[c]);
    EXPECT_EQ(fresh.gameRecord[0], 51);
    ASSERT_TRUE(Consult(fresh, 2, 0, &x, &y));
    EXPECT_EQ(SquareOf(x, y), cases[c][1]) << "first move " << s;
    EXPECT_EQ(fresh.gameRecord[1], 60);
    // Mapping the reply once more gives the book's own square: each orientation undoes itself.
    EXPECT_EQ(fresh.NormaliseSquare(x, y), 60);
  }
}

TEST_F(OpeningBookTest, AnyOtherFirstSquareKeepsTheOldOrientation) {
  book->orientation = 3;
  book->RecordOpeningMove(1, 1, 1);
  EXPECT_EQ(book->orientation, 3);
  EXPECT_EQ(book->gameRecord[0], 10);  // (1, 1) mirrored on the diagonal is itself
}

TEST_F(OpeningBookTest, FollowsTheMatchingLinesAndStopsWhenTheGameLeavesThem) {
  // Lines 45..48 begin 51 58; 45 goes on with 57, 46..48 with 48.
  book->RecordOpeningMove(6, 5, 1);
  book->RecordOpeningMove(4, 6, 2);  // 58
  book->RecordOpeningMove(3, 6, 3);  // 57
  ASSERT_TRUE(Consult(*book, 4, 0, &x, &y));
  EXPECT_EQ(book->firstMatch, 45);
  EXPECT_EQ(book->lastMatch, 45);
  EXPECT_EQ(SquareOf(x, y), 42);
  book->RecordOpeningMove(8, 8, 5);  // not in any line
  const BookChoice none = book->LookUp(6, 1);
  EXPECT_FALSE(none.found);
  EXPECT_EQ(none.firstMatch, -1);
  EXPECT_EQ(none.seed, book->seed);
}

TEST_F(OpeningBookTest, RandomChoiceReachesEveryLineButTheLastOfTheRange) {
  std::set<int> chosen;
  for (uint32_t seed = 0; seed < 4000; ++seed) {
    OpeningBook b;
    b.SeedRandom(seed);
    b.RecordOpeningMove(6, 5, 1);
    ASSERT_TRUE(Consult(b, 2, 1, &x, &y));
    chosen.insert(b.firstMatch + b.randomOffset);
  }
  EXPECT_EQ(chosen.size(), 63u);
  EXPECT_EQ(*chosen.begin(), 1);
  EXPECT_EQ(*chosen.rbegin(), 63);
}

TEST_F(OpeningBookTest, OneMatchingLineNeedsNoRandomNumber) {
  book->SeedRandom(99);
  book->RecordOpeningMove(6, 5, 1);
  book->RecordOpeningMove(4, 6, 2);
  book->RecordOpeningMove(3, 6, 3);
  ASSERT_TRUE(Consult(*book, 4, 1, &x, &y));
  EXPECT_EQ(book->randomOffset, 0);
  EXPECT_EQ(book->seed, 99u);
}

TEST_F(OpeningBookTest, GeneratorIsTheClassicLinearCongruence) {
  uint32_t seed = 1;
  EXPECT_EQ(Random15(seed), 16838);
  EXPECT_EQ(Random15(seed), 5758);
  seed = 1;
  EXPECT_DOUBLE_EQ(RandomUnit(seed), static_cast<double>((16838u * 5758u) % 100000u) / 100000.0);
  seed = 0xffffffffu;  // wraps modulo 2^32
  const int r = Random15(seed);
  EXPECT_GE(r, 0);
  EXPECT_LT(r, 32768);
}

}  // namespace
}  // namespace dfx
