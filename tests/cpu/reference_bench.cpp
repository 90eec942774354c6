// Times the bench suite's literal searches in the engine and in the step-by-step reference,
// side by side in one run, and checks that both decide alike.
#include <cstdio>
#include <ctime>

#include "test_support.h"

// Processor time: the machine is shared, so wall time would measure the neighbours too.
static double Now() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

int main() {
  using namespace dfx;
  auto player = std::make_unique<ComputerPlayer>();
  double engineMs = 0, referenceMs = 0;
  int searches = 0, differ = 0;
  std::printf("%5s %5s %12s %12s   (processor time)\n", "discs", "level", "engine ms", "reference ms");
  for (const BenchPosition& p : BenchSuite())
    for (int level : DistinctLevels(p.discs)) {
      MarkRecorder marks;
      const double t0 = Now();
      const ComputerMove got = player->SearchMove(p.board, p.side, level, &marks, true);
      const double t1 = Now();
      const reference::Result want = reference::Search(p.board, p.side, level);
      const double t2 = Now();
      const bool same = got.square == want.square && got.evalCount == want.evalCount && marks.text == want.marks;
      differ += !same, engineMs += t1 - t0, referenceMs += t2 - t1, ++searches;
      std::printf("%5d %5c %12.2f %12.2f%s\n", p.discs, "0123S"[level], t1 - t0, t2 - t1, same ? "" : "  DIFFERENT");
    }
  std::printf("\n%d searches, %d differ; engine %.1f ms, reference %.1f ms, reference / engine %.1fx\n", searches, differ, engineMs,
              referenceMs, referenceMs / (engineMs > 0 ? engineMs : 1));
  return differ == 0 ? 0 : 1;
}
