// SPDX-License-Identifier: GPL-2.0-or-later
// The save step of Apply: five profile files and the registry values of one save.
#include <benchmark/benchmark.h>

#include "model/data_module.h"
#include "platform/linux/sqlite_registry.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

// The argument is 1 when the current profile changes before each save, else 0.
void BM_SaveAllProfileData(benchmark::State& state) {
  test::TempDir dir;
  SqliteRegistry registry(dir / "user.db", dir / "machine.db");
  TDM dm({registry, dir / "docs", dir / "program"}, nullptr);
  const bool change = state.range(0) != 0;
  for (auto _ : state) {
    if (change) ++dm.FCurrentProfileInfo.ConfigInfo.PointerSpeed;
    if (!dm.SaveAllProfileData()) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_SaveAllProfileData)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qor

BENCHMARK_MAIN();
