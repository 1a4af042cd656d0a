// SPDX-License-Identifier: GPL-2.0-or-later
// The time one Apply spends beyond its mandatory 50 ms pauses: saving five profiles and the
// group record, and the twelve feature-report exchanges with the virtual mouse. The pauses
// really pass (the first interface open runs during one of them) but are not counted.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "app/apply_sequence.h"
#include "device/hid_data.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/linux/sim_hid_backend.h"
#include "platform/linux/sqlite_registry.h"
#include "sim/in_process_backend.h"
#include "test_support/sim_process.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using Clock = std::chrono::steady_clock;

void runApply(benchmark::State& state, HidBackend& backend) {
  test::TempDir dir;
  SqliteRegistry registry(dir / "user.db", dir / "machine.db");
  TDM dm({registry, dir / "docs", dir / "program"}, nullptr);
  TuiHIDData device(backend, {});
  NoMonitorLink monitor;
  ApplySequence apply(dm, device, MakeNoPointerSettings(), monitor);
  Clock::duration paused{};
  ApplyHooks hooks;
  hooks.Sleep = [&](std::chrono::milliseconds pause) {
    const auto start = Clock::now();
    std::this_thread::sleep_for(pause);
    paused += Clock::now() - start;
  };
  for (auto _ : state) {
    paused = {};
    const auto start = Clock::now();
    if (apply.Run(hooks) != ApplyResult::Applied) state.SkipWithError("no mouse");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start - paused).count());
  }
}

void BM_ApplyInProcessFirmware(benchmark::State& state) {
  sim::InProcessHidBackend backend;
  runApply(state, backend);
}
// Each run really pauses 250 ms: a fixed count keeps the program short.
BENCHMARK(BM_ApplyInProcessFirmware)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// The argument is the simulator's open delay in milliseconds.
void BM_ApplySimulatorProcess(benchmark::State& state) {
  test::TempDir dir;
  test::SimProcess sim(dir / "sim", {"--open-delay-ms", std::to_string(state.range(0))});
  auto backend = MakeSimulatorHidBackend(dir / "sim");
  runApply(state, *backend);
}
BENCHMARK(BM_ApplySimulatorProcess)
    ->Arg(0)
    ->Arg(50)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qor

BENCHMARK_MAIN();
