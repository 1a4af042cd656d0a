// The time one Apply spends beyond its mandatory 50 ms pauses: saving five profiles and the
// group record, and the twelve feature-report exchanges with the virtual mouse, each after a
// fresh enumeration of the HID interfaces.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

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

void runApply(benchmark::State& state, HidBackend& backend) {
  test::TempDir dir;
  SqliteRegistry registry(dir / "user.db", dir / "machine.db");
  TDM dm({registry, dir / "docs", dir / "program"}, nullptr);
  TuiHIDData device(backend, {});
  NoMonitorLink monitor;
  ApplySequence apply(dm, device, MakeNoPointerSettings(), monitor);
  ApplyHooks hooks;
  hooks.Sleep = [](std::chrono::milliseconds) {};  // the pauses are the device's time, not ours
  for (auto _ : state) {
    if (apply.Run(hooks) != ApplyResult::Applied) state.SkipWithError("no mouse");
  }
}

void BM_ApplyInProcessFirmware(benchmark::State& state) {
  sim::InProcessHidBackend backend;
  runApply(state, backend);
}
BENCHMARK(BM_ApplyInProcessFirmware)->Unit(benchmark::kMillisecond);

void BM_ApplySimulatorProcess(benchmark::State& state) {
  test::TempDir dir;
  test::SimProcess sim(dir / "sim", {});
  auto backend = MakeSimulatorHidBackend(dir / "sim");
  runApply(state, *backend);
}
BENCHMARK(BM_ApplySimulatorProcess)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qor

BENCHMARK_MAIN();
