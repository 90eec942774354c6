// Times the bench suite's literal searches in the engine and in the step-by-step reference,
// side by side in one run, and checks that both decide alike.
//   cpu_reference_bench [--discs N] [--levels 0123S]
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "reference_search.h"

namespace {

struct MarkText : dfx::SearchProgress {
  std::string text;
  void StartMarks() override {}
  void Mark(uint8_t code) override { text += static_cast<char>('0' + code); }
};

// Processor time of this process: the machine is shared, so wall time would measure the neighbours too.
double Now() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

int main(int argc, char** argv) {
  using namespace dfx;
  int onlyDiscs = 0;
  std::string levels = "0123S";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--discs")) onlyDiscs = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "--levels")) levels = argv[i + 1];
  }
  auto player = std::make_unique<ComputerPlayer>();
  double engineMs = 0, referenceMs = 0;
  int searches = 0, differ = 0;
  std::printf("%5s %5s %12s %12s %8s   (processor time)\n", "discs", "level", "engine ms", "reference ms", "ratio");
  for (const BenchPosition& p : BenchSuite()) {
    if (onlyDiscs && p.discs != onlyDiscs) continue;
    for (int level : DistinctLevels(p.discs)) {
      if (levels.find("0123S"[level]) == std::string::npos) continue;
      MarkText marks;
      double t0 = Now();
      const ComputerMove got = player->SearchMove(p.board, p.side, level, &marks, true);
      double t1 = Now();
      const reference::Result want = reference::Search(p.board, p.side, level);
      double t2 = Now();
      engineMs += t1 - t0;
      referenceMs += t2 - t1;
      ++searches;
      const bool same = got.rootMoves == want.rootMoves && got.square == want.bestMove &&
                        (!want.scoreMade || got.bestScore == want.bestScore) && got.evalCount == want.evalCount &&
                        got.preSearchCount == want.preSearchCount && got.fullBoardCount == want.fullBoardCount &&
                        marks.text == want.marks;
      if (!same) {
        ++differ;
        std::printf("DIFFERENT: seed %u discs %d level %d\n", p.seed, p.discs, level);
      }
      std::printf("%5d %5c %12.2f %12.2f %8.1f\n", p.discs, "0123S"[level], t1 - t0, t2 - t1,
                  (t2 - t1) / (t1 - t0 > 0 ? t1 - t0 : 1e-3));
      std::fflush(stdout);
    }
  }
  std::printf("\n%d searches, %d differ; engine %.1f ms, reference %.1f ms, reference / engine %.1fx\n", searches,
              differ, engineMs, referenceMs, referenceMs / (engineMs > 0 ? engineMs : 1));
  return differ == 0 ? 0 : 1;
}
