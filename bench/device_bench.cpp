// SPDX-License-Identifier: GPL-2.0-or-later
// The device link's in-process work: listing the hidraw nodes (run it under umockdev-run,
// see scripts/bench), parsing a report descriptor, encoding a profile for the mouse.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "device/report_descriptor.h"
#include "device/sample_descriptors.h"
#include "model/factory_defaults.h"
#include "platform/linux/hidraw_backend.h"
#include "protocol/profile_blocks.h"

namespace qor {
namespace {

bool underUmockdev(benchmark::State& state) {
  if (std::getenv("UMOCKDEV_DIR")) return true;
  state.SkipWithError("run under umockdev-run with a device tree (scripts/bench does)");
  return false;
}

// Warm: every node was described by the first enumeration.
void BM_HidrawEnumerate(benchmark::State& state) {
  if (!underUmockdev(state)) return;
  HidrawBackend backend;
  std::size_t interfaces = backend.enumerate().size();
  for (auto _ : state) benchmark::DoNotOptimize(interfaces = backend.enumerate().size());
  state.counters["interfaces"] = static_cast<double>(interfaces);
}
BENCHMARK(BM_HidrawEnumerate)->Unit(benchmark::kMicrosecond);

// Cold: a new backend describes every node, as the first listing of a new process does.
void BM_HidrawDescribeAll(benchmark::State& state) {
  if (!underUmockdev(state)) return;
  std::size_t interfaces = 0;
  for (auto _ : state) {
    HidrawBackend backend;
    benchmark::DoNotOptimize(interfaces = backend.enumerate().size());
  }
  state.counters["interfaces"] = static_cast<double>(interfaces);
}
BENCHMARK(BM_HidrawDescribeAll)->Unit(benchmark::kMicrosecond);

void BM_ParseReportDescriptor(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(
        ParseReportDescriptor(test::kMouseConfig.data(), test::kMouseConfig.size()));
}
BENCHMARK(BM_ParseReportDescriptor)->Unit(benchmark::kMicrosecond);

void BM_EncodeProfileBlocks(benchmark::State& state) {
  TMOUSEPROFILEINFO profile{};
  RestoreFactoryProfile(profile);
  ButtonTable buttons;
  MacroImage macros;
  LEDBlock led;
  CPIBlock cpi;
  for (auto _ : state) {
    TMOUSEPROFILEINFO ordered = profile;
    PutInDeviceOrder(ordered);
    BuildButtonTable(ordered, buttons);
    BuildMacroImage(ordered, macros);
    BuildLEDBlock(ordered.ConfigInfo.LEDConfig, led);
    BuildCPIBlock(ordered, cpi);
    benchmark::DoNotOptimize(macros.data());
  }
}
BENCHMARK(BM_EncodeProfileBlocks)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qor

BENCHMARK_MAIN();
