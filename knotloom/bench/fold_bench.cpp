// Folding a long list-shaped Fix: the strict fold's own-stack walk against a
// hand-written loop over the same layers, and the refold that builds none.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <utility>

#include <knotloom/knotloom.hpp>

namespace {

// The list layer: nothing, or an element and one child.
template <class A>
using ListLayer = std::optional<std::pair<std::int64_t, A>>;

struct ListTag {
  template <class A>
  using apply = ListLayer<A>;
};

}  // namespace

template <>
struct basis::Functor<::ListTag> : basis::FunctorDefaults<::ListTag> {
  template <class Fn, class A>
  static ListLayer<basis::Mapped<Fn, A>> fmap(Fn f, const ListLayer<A>& l) {
    if (!l) return std::nullopt;
    return std::pair<std::int64_t, basis::Mapped<Fn, A>>(l->first, f(l->second));
  }
};

namespace {

using List = knotloom::Fix<ListTag>;

List build(std::int64_t n) {
  List xs{ListLayer<List>()};
  for (std::int64_t i = 0; i < n; ++i) xs = List(ListLayer<List>(std::pair(i, xs)));
  return xs;
}

std::int64_t sumAlg(const ListLayer<std::int64_t>& l) { return l ? l->first + l->second : 0; }

ListLayer<std::int64_t> countDown(std::int64_t n) {
  if (n == 0) return std::nullopt;
  return std::pair(n, n - 1);
}

void BM_FoldFix(benchmark::State& state) {
  const List xs = build(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(knotloom::foldFix(sumAlg, xs));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PlainLoop(benchmark::State& state) {
  const List xs = build(state.range(0));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const List* at = &xs; const auto& layer = at->unFix();) {
      if (!layer) break;
      sum += layer->first;
      at = &layer->second;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Refold(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(
        knotloom::refold<knotloom::Infer, ListTag>(sumAlg, countDown, state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_FoldFix)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainLoop)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Refold)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
