// dfx replay reproduces a whole game: a game played in-process records its keys, the
// command replays them from the same tick and must end on the very same result screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "../game/session.h"

namespace dfx {
namespace {

using namespace dfx::testing;

std::string RunCommand(const std::string& command) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

class ReplayWholeGame : public ::testing::TestWithParam<int> {};

TEST_P(ReplayWholeGame, EndsOnTheSameResultScreen) {
  const int level = GetParam();
  const uint32_t tick = 1000u + 37u * uint32_t(level);
  Session s(tick);
  AutoPlayer player(s, level, level % 2 ? K2 : K1);
  ScreenText end = player.Play();
  ASSERT_NE(end.lines[1].find_first_of("DWL"), std::string::npos);

  std::string keys;
  for (uint8_t k : player.recorded) keys += std::to_string(k) + " ";
  std::string out = RunCommand(std::string(DFX_TOOL) + " replay --json --tick " + std::to_string(tick) +
                               " --keys \"" + keys + "\"");
  EXPECT_EQ(nlohmann::json::parse(out), (nlohmann::json{{"lines", end.lines}, {"board", end.board}}));
}

INSTANTIATE_TEST_SUITE_P(EachLevel, ReplayWholeGame, ::testing::Values(0, 1, 2, 3, 4));

TEST(Replay, RejectsUnknownKeysAndBadTicks) {
  std::string tool = DFX_TOOL;
  EXPECT_NE(std::system((tool + " replay --keys \"1 NOSUCHKEY\" >/dev/null 2>&1").c_str()), 0);
  EXPECT_NE(std::system((tool + " replay --keys 1 --tick -5 >/dev/null 2>&1").c_str()), 0);
  EXPECT_NE(std::system((tool + " replay >/dev/null 2>&1").c_str()), 0);
  // No keys at all: the title screen, read back.
  std::string out = RunCommand(tool + " replay --keys \"\"");
  EXPECT_EQ(out.substr(0, 25), "  Discoflipparex V2.3D  \n");
}

}  // namespace
}  // namespace dfx
