// dfx bench: the engine's performance record. A fixed suite of seeded positions searched at
// every level that searches differently there; level S also with the fast search, checked
// against the literal one. The signature (total evalCount of the literal searches) changes
// whenever the search's behaviour does. "nodes" are the positions a search actually reached:
// subtrees the literal search replays from memory count in evalCount but not there.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "json_output.h"
#include "search_marks.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

struct Row {
  int discs, level, mode, depth;
  bool fast;
  double ms, cpuMs;
  uint32_t evalCount;
  uint64_t nodes;
};

struct Totals {
  int searches = 0;
  double ms = 0, maxMs = 0, cpuMs = 0, maxCpuMs = 0;
  uint64_t evalCount = 0, nodes = 0;
  void Add(const Row& r) {
    ++searches;
    ms += r.ms;
    if (r.ms > maxMs) maxMs = r.ms;
    cpuMs += r.cpuMs;
    if (r.cpuMs > maxCpuMs) maxCpuMs = r.cpuMs;
    evalCount += r.evalCount;
    nodes += r.nodes;
  }
};

double Nps(uint64_t nodes, double ms) { return ms > 0 ? nodes / (ms / 1000.0) : 0; }

struct Timed {
  ComputerMove move;
  std::string marks;
  double ms, cpuMs;  // wall time, and the processor time the search itself used
  uint64_t nodes;
};

Timed Search(ComputerPlayer& player, const BenchPosition& p, int level, bool literal) {
  MarkText marks;
  const std::clock_t cpuStart = std::clock();
  const auto start = std::chrono::steady_clock::now();
  const ComputerMove move = player.SearchMove(p.board, p.side, level, &marks, literal);
  const auto end = std::chrono::steady_clock::now();
  const std::clock_t cpuEnd = std::clock();
  return {move, marks.text, std::chrono::duration<double, std::milli>(end - start).count(),
          1000.0 * static_cast<double>(cpuEnd - cpuStart) / CLOCKS_PER_SEC, move.nodeCount};
}

void PrintRow(const Row& r) {
  std::printf("%5d %5c %4d %5d %7s %10.2f %10.2f %10u %12llu %12.0f\n", r.discs, LevelName(r.level), r.mode,
              r.depth, r.fast ? "fast" : "literal", r.ms, r.cpuMs, r.evalCount,
              static_cast<unsigned long long>(r.nodes), Nps(r.nodes, r.cpuMs));
}

bool SameDecision(const Timed& a, const Timed& b) {
  return a.move.rootMoves == b.move.rootMoves && a.move.square == b.move.square &&
         (!a.move.scoreMade || a.move.bestScore == b.move.bestScore) && a.marks == b.marks &&
         a.move.preSearchCount == b.move.preSearchCount && a.move.finalDepth == b.move.finalDepth;
}

#ifdef _WIN32
bool IsTerminal(std::FILE* file) { return _isatty(_fileno(file)) != 0; }
#else
bool IsTerminal(std::FILE* file) { return isatty(fileno(file)) != 0; }
#endif

struct Options {
  bool json = false, fastOnly = false;
  int onlyDiscs = 0, sweepCount = 0;
};

// Progress for a person watching a terminal; nothing when stderr goes to a file or a pipe.
struct Progress {
  bool shown = IsTerminal(stderr);
  void Show(int done, int total, int discs) const {
    if (shown) std::fprintf(stderr, "\rdfx bench: position %d of %d (%d discs) ", done, total, discs);
  }
  void Done() const {
    if (shown) std::fprintf(stderr, "\r%60s\r", "");
  }
};

int Run(const Options& o) {
  const bool json = o.json, fastOnly = o.fastOnly;
  const int onlyDiscs = o.onlyDiscs, sweepCount = o.sweepCount;
  auto player = std::make_unique<ComputerPlayer>();
  std::vector<Row> rows;
  Totals literal, fast, literalS;
  int mismatches = 0, compared = 0;
  int suitePositions = 0;
  if (!json)
    std::printf("%5s %5s %4s %5s %7s %10s %10s %10s %12s %12s\n", "discs", "level", "mode", "depth", "search",
                "ms", "cpu ms", "evalCount", "nodes", "nodes/s");
  const Progress progress;
  const std::vector<BenchPosition> suite = BenchSuite();
  int total = 0;
  for (const BenchPosition& p : suite) total += !onlyDiscs || p.discs == onlyDiscs;
  for (const BenchPosition& p : suite) {
    if (onlyDiscs && p.discs != onlyDiscs) continue;
    ++suitePositions;
    progress.Show(suitePositions, total, p.discs);
    for (int level : DistinctLevels(p.discs)) {
      if (fastOnly) {
        if (level != LevelS) continue;
        const Timed quick = Search(*player, p, level, false);
        rows.push_back({p.discs, level, static_cast<int>(quick.move.plan.mode), quick.move.finalDepth, true,
                        quick.ms, quick.cpuMs, quick.move.evalCount, quick.nodes});
        fast.Add(rows.back());
        if (!json) PrintRow(rows.back());
        continue;
      }
      const Timed lit = Search(*player, p, level, true);
      rows.push_back({p.discs, level, static_cast<int>(lit.move.plan.mode), lit.move.finalDepth, false,
                      lit.ms, lit.cpuMs, lit.move.evalCount, lit.nodes});
      literal.Add(rows.back());
      if (level == LevelS) {
        literalS.Add(rows.back());
        const Timed quick = Search(*player, p, level, false);
        rows.push_back({p.discs, level, static_cast<int>(quick.move.plan.mode), quick.move.finalDepth, true,
                        quick.ms, quick.cpuMs, quick.move.evalCount, quick.nodes});
        fast.Add(rows.back());
        ++compared;
        if (!SameDecision(lit, quick)) {
          ++mismatches;
          std::fprintf(stderr, "dfx bench: fast search differs at seed %u, %d discs\n", p.seed, p.discs);
        }
      }
      if (!json)
        for (size_t i = rows.size() - (level == LevelS ? 2 : 1); i < rows.size(); ++i) PrintRow(rows[i]);
    }
  }
  int sweepCompared = 0, sweepMismatches = 0;
  for (int discs = 20; sweepCount > 0 && discs <= 58; ++discs) {
    progress.Show(discs - 19, 58 - 19, discs);
    for (const BenchPosition& p :
         RandomPositions(discs, sweepCount, 900000u + static_cast<uint32_t>(discs) * 1000u)) {
      ++sweepCompared;
      if (!SameDecision(Search(*player, p, LevelS, true), Search(*player, p, LevelS, false))) {
        ++sweepMismatches;
        std::fprintf(stderr, "dfx bench: sweep: fast search differs at seed %u, %d discs\n", p.seed, p.discs);
      }
    }
  }

  progress.Done();
  const uint64_t signature = literal.evalCount;
  if (json) {
    // Times to the microsecond and rates to the node per second: more is noise.
    auto rounded = [](double v, double unit) { return std::round(v / unit) * unit; };
    Json out;
    out["positions"] = suitePositions;
    Json& rowList = out["rows"] = Json::array();
    for (const Row& r : rows)
      rowList.push_back({{"discs", r.discs},
                         {"level", std::string(1, LevelName(r.level))},
                         {"mode", r.mode},
                         {"depth", r.depth},
                         {"search", r.fast ? "fast" : "literal"},
                         {"ms", rounded(r.ms, 0.001)},
                         {"cpuMs", rounded(r.cpuMs, 0.001)},
                         {"evalCount", r.evalCount},
                         {"nodes", r.nodes},
                         {"nps", std::llround(Nps(r.nodes, r.cpuMs))}});
    auto totals = [&](const Totals& t) {
      return Json{{"searches", t.searches},
                  {"ms", rounded(t.ms, 0.001)},
                  {"maxMs", rounded(t.maxMs, 0.001)},
                  {"cpuMs", rounded(t.cpuMs, 0.001)},
                  {"maxCpuMs", rounded(t.maxCpuMs, 0.001)},
                  {"evalCount", t.evalCount},
                  {"nodes", t.nodes},
                  {"nps", std::llround(Nps(t.nodes, t.cpuMs))}};
    };
    out["literal"] = totals(literal);
    out["literalS"] = totals(literalS);
    out["fastS"] = totals(fast);
    out["compared"] = compared + sweepCompared;
    out["mismatches"] = mismatches + sweepMismatches;
    out["signature"] = signature;
    std::fputs(JsonLine(out).c_str(), stdout);
  } else {
    std::printf("\n%-22s %8s %10s %10s %10s %10s %14s %14s %12s\n", "totals", "searches", "ms", "max ms",
                "cpu ms", "max cpu", "evalCount", "nodes", "nodes/s");
    auto line = [](const char* name, const Totals& t) {
      std::printf("%-22s %8d %10.1f %10.2f %10.1f %10.2f %14llu %14llu %12.0f\n", name, t.searches, t.ms,
                  t.maxMs, t.cpuMs, t.maxCpuMs, static_cast<unsigned long long>(t.evalCount),
                  static_cast<unsigned long long>(t.nodes), Nps(t.nodes, t.cpuMs));
    };
    line("literal, all levels", literal);
    line("literal, level S", literalS);
    line("fast, level S", fast);
    if (fast.cpuMs > 0)
      std::printf("level S literal / fast (processor time): %.1fx\n", literalS.cpuMs / fast.cpuMs);
    std::printf("fast vs literal at level S: %d positions compared, %d differ\n", compared + sweepCompared,
                mismatches + sweepMismatches);
    std::printf("signature %llu\n", static_cast<unsigned long long>(signature));
  }
  return mismatches + sweepMismatches == 0 ? 0 : 1;
}

std::function<int()> Setup(CLI::App& command) {
  auto o = std::make_shared<Options>();
  command.add_flag("--json", o->json, "print the record as one JSON object");
  command.add_option("--discs", o->onlyDiscs, "only the suite's positions with N discs")
      ->check(CLI::Range(1, 64));
  command
      .add_option("--sweep", o->sweepCount,
                  "also compare fast and literal level S on N more seeded positions per disc count")
      ->check(CLI::Range(1, 1000000));
  command.add_flag("--fast-only", o->fastOnly,
                   "only the fast level-S searches (no literal ones, no comparison)");
  return [o] { return Run(*o); };
}

const Subcommand registration("bench", "search a fixed suite of positions; speed and signature", Setup);

}  // namespace
}  // namespace dfx::tool
