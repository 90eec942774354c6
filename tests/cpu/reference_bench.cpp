// Times the bench suite's literal searches in the engine and in the step-by-step reference,
// side by side in one run, and checks that both decide alike.
//   cpu_reference_bench [--discs N] [--levels 0123S]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "cpu/bench_suite.h"
#include "reference_search.h"
#include "test_support.h"

// Processor time: the machine is shared, so wall time would measure the neighbours too.
static double Now() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

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
  std::printf("%5s %5s %12s %12s   (processor time)\n", "discs", "level", "engine ms", "reference ms");
  for (const BenchPosition& p : BenchSuite())
    for (int level : DistinctLevels(p.discs)) {
      if ((onlyDiscs && p.discs != onlyDiscs) || levels.find("0123S"[level]) == std::string::npos) continue;
      MarkRecorder marks;
      const double t0 = Now();
      const ComputerMove got = player->SearchMove(p.board, p.side, level, &marks, true);
      const double t1 = Now();
      const reference::Result want = reference::Search(p.board, p.side, level);
      const double t2 = Now();
      engineMs += t1 - t0;
      referenceMs += t2 - t1;
      ++searches;
      if (got.square != want.bestMove || got.evalCount != want.evalCount || marks.text != want.marks) {
        ++differ;
        std::printf("DIFFERENT: seed %u discs %d level %d\n", p.seed, p.discs, level);
      }
      std::printf("%5d %5c %12.2f %12.2f\n", p.discs, "0123S"[level], t1 - t0, t2 - t1);
    }
  std::printf("\n%d searches, %d differ; engine %.1f ms, reference %.1f ms, reference / engine %.1fx\n", searches,
              differ, engineMs, referenceMs, referenceMs / (engineMs > 0 ? engineMs : 1));
  return differ == 0 ? 0 : 1;
}
