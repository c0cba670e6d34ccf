#pragma once
// Filtering with node compaction, partial mapping, and composition of maps.
//
// Every member is one walk, `filterWalk`, with its own per-pair steps. The
// walk runs the steps once per pair in trie order and compacts on the way
// back up:
// - a branch keeps its surviving children in order with the bits of the
//   dropped ones cleared; it stays `Full` only when all 32 survive; with one
//   surviving Leaf or Collision the branch is replaced by that node (which
//   rises further while each parent keeps only it); with none it is Empty;
// - a bucket keeps its surviving pairs in order; one survivor becomes a new
//   Leaf with the bucket's hash; none, Empty.
// Each branch and bucket is filtered into one fresh block of the input's
// length, cut down in place to the kept entries. No input branch or bucket is
// returned; `filter` and `filterWithKey` reuse the kept Leaf nodes. An empty
// result is always the shared Empty node.

#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>

#include <basis/lazy.hpp>

#include "hashgrove/internal/fold.hpp"
#include "hashgrove/internal/lookup.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

template <class W, class K, class V, class Step>
HashMap<K, W> filterWalk(const HashMap<K, V>& node, Step& step);

namespace detail {

// The child-array filter of a branch whose children are `c[0..n)` and whose
// bitmap is b.
template <class W, class K, class V, class Step>
HashMap<K, W> filterChildren(const HashMap<K, V>* c, std::int64_t n, Bitmap b, Step& step) {
  BranchFiller<K, W> out(static_cast<std::size_t>(n), tagOf(Kind::BitmapIndexed), b);
  Bitmap kept = b;
  Bitmap rest = b;
  for (std::int64_t i = 0; i < n && rest != 0; ++i) {
    const Bitmap bit = rest & (~rest + 1);
    rest &= rest - 1;
    HashMap<K, W> r = filterWalk<W>(c[i], step);
    if (r.kind() == Kind::Empty) {
      kept &= ~bit;
    } else {
      out.emplace(std::move(r));
    }
  }
  const std::uint32_t j = out.filled();
  if (j == 0) return HashMap<K, W>();
  auto* blk = out.block();
  if (j == 1 && isLeafOrCollision(blk->slots()[0])) return blk->slots()[0];
  blk->length = j;  // cut down in place; the block keeps its allocation
  blk->word = j == maxChildren ? fullBitmap : kept;
  blk->tag = tagOf(j == maxChildren ? Kind::Full : Kind::BitmapIndexed);
  return finish(out);
}

// The bucket filter of a Collision of hash h over the pairs `p[0..n)`.
template <class W, class K, class V, class Step>
HashMap<K, W> filterBucket(const L<K, V>* p, std::int64_t n, Hash h, Step& step) {
  BucketFiller<K, W> out(static_cast<std::size_t>(n), tagOf(Kind::Collision), h);
  for (std::int64_t i = 0; i < n; ++i) {
    std::optional<L<K, W>> r = step.pair(p[i]);
    if (r) out.emplace(std::move(*r));
  }
  const std::uint32_t j = out.filled();
  if (j == 0) return HashMap<K, W>();
  auto* blk = out.block();
  if (j == 1) {
    const L<K, W>& only = blk->slots()[0];
    return makeLeaf<K, W>(h, only.key, only.value);
  }
  blk->length = j;
  return finish(out);
}

// The option a predicate or partial function returned, its Lazy form forced.
template <class R>
decltype(auto) settled(const R& r) {
  if constexpr (basis::detail::IsLazy<R>::value) {
    return r.force();
  } else {
    return (r);
  }
}

template <class F, class... Args>
using OptionResult = std::remove_cvref_t<decltype(settled(std::declval<std::invoke_result_t<F&, const Args&...>>()))>;

// The value type W of a partial function's `std::optional<W>` or
// `std::optional<basis::Lazy<W>>` result.
template <class F, class... Args>
using MaybeValue = basis::lazy_value_t<typename OptionResult<F, Args...>::value_type>;

}  // namespace detail

// The filter walk over `node`: each Leaf goes to step.leaf(leaf node), which
// returns the node to keep in its place (Empty to drop it); each bucket pair
// goes to step.pair(pair), which returns the pair to keep or nothing. The
// steps run once per pair, in trie order, while the result is built; the
// result is compacted as the header says. O(n); recursion only as deep as the
// trie. What a step throws passes through, and nothing half-built escapes.
template <class W, class K, class V, class Step>
HashMap<K, W> filterWalk(const HashMap<K, V>& node, Step& step) {
  switch (node.kind()) {
    case Kind::Empty:
      return HashMap<K, W>();
    case Kind::Leaf:
      return step.leaf(node);
    case Kind::BitmapIndexed:
      return detail::filterChildren<W>(node.children(), node.childCount(), node.bitmap(), step);
    case Kind::Full:
      return detail::filterChildren<W>(node.children(), node.childCount(), fullBitmap, step);
    case Kind::Collision:
      return detail::filterBucket<W>(node.bucket(), node.bucketSize(), node.nodeHash(), step);
  }
  return HashMap<K, W>();
}

// `filterMapAux`: the filter walk with a caller's steps: onLeaf(leaf node)
// gives an optional node to stand in the Leaf's place, onPair(pair) an
// optional pair. For the library's own use: a node or pair returned with
// another hash breaks the trie (checked in debug builds only). O(n).
template <class OnLeaf, class OnPair, class K, class V>
auto filterMapAux(OnLeaf onLeaf, OnPair onPair, const HashMap<K, V>& m) {
  using NodeOption = std::remove_cvref_t<std::invoke_result_t<OnLeaf&, const HashMap<K, V>&>>;
  using Node = typename NodeOption::value_type;
  using W = typename Node::mapped_type;
  struct Step {
    OnLeaf& onLeaf;
    OnPair& onPair;
    HashMap<K, W> leaf(const HashMap<K, V>& t) {
      NodeOption r = onLeaf(t);
      if (!r) return HashMap<K, W>();
      HASHGROVE_ASSERT(r->kind() == Kind::Empty ||
                       (isLeafOrCollision(*r) && r->nodeHash() == t.nodeHash()));
      return std::move(*r);
    }
    std::optional<L<K, W>> pair(const L<K, V>& p) {
      std::optional<L<K, W>> r = onPair(p);
      HASHGROVE_ASSERT(!r || internal::hash(r->key) == internal::hash(p.key));
      return r;
    }
  } step{onLeaf, onPair};
  return filterWalk<W>(m, step);
}

// `filterWithKey`: the pairs (k, v) for which p(k, v) holds. Kept Leaf nodes
// are the input's own. O(n); p runs once per pair in trie order.
template <class P, class K, class V>
HashMap<K, V> filterWithKey(P p, const HashMap<K, V>& m) {
  struct Step {
    P& p;
    HashMap<K, V> leaf(const HashMap<K, V>& t) {
      const L<K, V>& x = t.leaf();
      return static_cast<bool>(detail::settled(p(x.key, x.value))) ? t : HashMap<K, V>();
    }
    std::optional<L<K, V>> pair(const L<K, V>& x) {
      if (static_cast<bool>(detail::settled(p(x.key, x.value)))) return x;
      return std::nullopt;
    }
  } step{p};
  return filterWalk<V>(m, step);
}

// `filter`: the pairs whose value v satisfies p(v). O(n).
template <class P, class K, class V>
HashMap<K, V> filter(P p, const HashMap<K, V>& m) {
  return filterWithKey([&p](const K&, const basis::Lazy<V>& v) { return p(v); }, m);
}

// `mapMaybeWithKey`: for each pair (k, v), f(k, v) returns std::optional of
// a new value (a W or a basis::Lazy<W>, stored as it comes): nothing drops the
// pair. O(n); f runs once per pair in trie order.
template <class F, class K, class V>
HashMap<K, detail::MaybeValue<F, K, basis::Lazy<V>>> mapMaybeWithKey(F f, const HashMap<K, V>& m) {
  using W = detail::MaybeValue<F, K, basis::Lazy<V>>;
  struct Step {
    F& f;
    HashMap<K, W> leaf(const HashMap<K, V>& t) {
      const L<K, V>& x = t.leaf();
      auto res = f(x.key, x.value);
      const auto& r = detail::settled(res);
      if (!r) return HashMap<K, W>();
      return detail::makeLeaf<K, W>(t.nodeHash(), x.key, basis::Lazy<W>(*r));
    }
    std::optional<L<K, W>> pair(const L<K, V>& x) {
      auto res = f(x.key, x.value);
      const auto& r = detail::settled(res);
      if (!r) return std::nullopt;
      return L<K, W>{x.key, basis::Lazy<W>(*r)};
    }
  } step{f};
  return filterWalk<W>(m, step);
}

// `mapMaybe`: as `mapMaybeWithKey` with f given the value only.
template <class F, class K, class V>
HashMap<K, detail::MaybeValue<F, basis::Lazy<V>>> mapMaybe(F f, const HashMap<K, V>& m) {
  return mapMaybeWithKey([&f](const K&, const basis::Lazy<V>& v) { return f(v); }, m);
}

// `compose`: the map sending each key k of ab whose value b is a key of bc to
// bc's value for b (as stored there). Empty at once when bc is empty;
// otherwise one lookup per pair of ab, which forces and hashes each b. O(n).
template <class B, class C, class A>
HashMap<A, C> compose(const HashMap<B, C>& bc, const HashMap<A, B>& ab) {
  if (bc.kind() == Kind::Empty) return HashMap<A, C>();
  struct Step {
    const HashMap<B, C>& bc;
    HashMap<A, C> leaf(const HashMap<A, B>& t) {
      const L<A, B>& x = t.leaf();
      const basis::Lazy<C>* c = lookup_raw<B, C>(x.value.force(), bc);
      if (c == nullptr) return HashMap<A, C>();
      return detail::makeLeaf<A, C>(t.nodeHash(), x.key, *c);
    }
    std::optional<L<A, C>> pair(const L<A, B>& x) {
      const basis::Lazy<C>* c = lookup_raw<B, C>(x.value.force(), bc);
      if (c == nullptr) return std::nullopt;
      return L<A, C>{x.key, *c};
    }
  } step{bc};
  return filterWalk<C>(ab, step);
}

}  // namespace hashgrove::internal
