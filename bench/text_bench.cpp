#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "text/text.h"

namespace life3d {
namespace {

const double kWhole[] = {20, 1620, -810, 60, 100, 40, 0, 1580};
const double kColors[] = {16777060, 16751460, 16777215, 9850960, 5263510, 255};

std::vector<float> GeneralFloats() {
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> d(-2000.0f, 2000.0f);
  std::vector<float> v(1024);
  for (float& f : v) f = d(gen);
  return v;
}

void BM_FormatWholeCoordinate(benchmark::State& state) {
  char buf[kNumberTextMax];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatNumberTo(buf, kWhole[i++ & 7], 7));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FormatWholeCoordinate);

void BM_FormatColor(benchmark::State& state) {
  char buf[kNumberTextMax];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatNumberTo(buf, kColors[i++ % 6], 15));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FormatColor);

void BM_FormatGeneralFloat(benchmark::State& state) {
  const auto v = GeneralFloats();
  char buf[kNumberTextMax];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatNumberTo(buf, v[i++ & 1023], 7));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FormatGeneralFloat);

std::vector<Text> Texts(const double* values, size_t count, int n) {
  std::vector<Text> t;
  for (size_t i = 0; i < count; ++i) t.push_back(FormatNumber(values[i], n));
  return t;
}

void BM_ParseWholeCoordinate(benchmark::State& state) {
  const auto t = Texts(kWhole, 8, 7);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ParseNumber(t[i++ & 7]));
}
BENCHMARK(BM_ParseWholeCoordinate);

void BM_ParseColor(benchmark::State& state) {
  const auto t = Texts(kColors, 6, 15);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ParseNumber(t[i++ % 6]));
}
BENCHMARK(BM_ParseColor);

void BM_ParseGeneralFloat(benchmark::State& state) {
  const auto v = GeneralFloats();
  std::vector<Text> t;
  for (float f : v) t.push_back(FormatNumber(f, 7));
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ParseNumber(t[i++ & 1023]));
}
BENCHMARK(BM_ParseGeneralFloat);

}  // namespace
}  // namespace life3d
