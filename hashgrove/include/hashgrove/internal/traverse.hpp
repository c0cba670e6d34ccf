#pragma once
// Traversal: an effectful function over every value in trie order, the map
// rebuilt with the same shape inside the effect.
//
// The effect is any applicative of basis (its tag is that of the action the
// caller's function returns). Each array (a branch's children, a bucket's
// pairs) is traversed as S(i) = liftA2(write_i, action_i, S(i + 1)) with
// S(n) = pure(finish), both operands handed to liftA2 deferred, so the
// actions combine in trie order, depth first, and an applicative that stops
// (optional, Either) never computes the actions after the one that stopped
// it. What liftA2 combines are array builders: immutable records of the
// writes to make, run only when the finished array is needed, each run into
// a block of its own, so an applicative with several results (vector) gets
// independent arrays. An array longer than 32 elements (only a large
// collision bucket) is split in halves joined by liftA2 in the same order,
// which keeps the stack shallow whatever the bucket's length.
//
// `traverseWalk` is the walk as a template over the per-pair action and over
// how a new value is stored; the value-strict traversal instantiates it with
// a storing step that evaluates the value.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/applicative.hpp>
#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/ref.hpp>
#include <basis/traversable.hpp>

#include "hashgrove/internal/fold.hpp"
#include "hashgrove/internal/map.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// The writes of one array traversal, in slot order: a write followed by the
// rest, or two parts one after the other, or nothing (`finish`).
template <class E>
class ArrayBuilder {
  struct Node : basis::RefCounted {
    Node(std::optional<E> v, ArrayBuilder f, ArrayBuilder r)
        : value(std::move(v)), first(std::move(f)), rest(std::move(r)) {}
    std::optional<E> value;
    ArrayBuilder first;
    ArrayBuilder rest;
  };

 public:
  ArrayBuilder() = default;  // finish: no more writes

  // Writes x into the next slot, then runs rest.
  static ArrayBuilder write(E x, ArrayBuilder rest) {
    return ArrayBuilder(basis::makeRef<Node>(std::optional<E>(std::move(x)), ArrayBuilder(), std::move(rest)));
  }
  // Runs a, then b.
  static ArrayBuilder join(ArrayBuilder a, ArrayBuilder b) {
    return ArrayBuilder(basis::makeRef<Node>(std::nullopt, std::move(a), std::move(b)));
  }

  // Hands every write to sink(const E&) in slot order, without recursion.
  template <class Sink>
  void run(Sink&& sink) const {
    std::vector<const Node*> pending;
    const Node* n = node_.get();
    for (;;) {
      while (n != nullptr) {
        if (n->value) {
          sink(*n->value);
          n = n->rest.node_.get();
        } else {
          pending.push_back(n->rest.node_.get());
          n = n->first.node_.get();
        }
      }
      if (pending.empty()) return;
      n = pending.back();
      pending.pop_back();
    }
  }

 private:
  explicit ArrayBuilder(basis::Ref<Node> n) : node_(std::move(n)) {}
  basis::Ref<Node> node_;
};

// The longest array traversed as one right-nested chain of liftA2.
inline constexpr std::int64_t kTraverseChain = 32;

// What one traversal call shares: the per-pair action, the storing step and
// the types they determine.
template <class K, class V, class Act, class Store>
struct Traversal {
  Act act;      // act(const L<K, V>&) -> an applicative action yielding B
  Store store;  // store(const B&) -> basis::Lazy<W>, the value to keep

  using ActionType = basis::demanded_t<std::invoke_result_t<Act&, const L<K, V>&>>;
  using G = basis::tag_of<ActionType>;
  using B = basis::element_of<ActionType>;
  using W = basis::lazy_value_t<std::invoke_result_t<Store&, const B&>>;
  using Out = HashMap<K, W>;
  template <class X>
  using In = basis::Apply<G, X>;
};

// A block of n slots filled by running the builder, made a node of the given
// kind and word.
template <class K, class W, class E>
HashMap<K, W> runBuilder(const ArrayBuilder<E>& b, std::int64_t n, Kind kind, std::uint64_t word) {
  array::BlockFiller<E> out(static_cast<std::size_t>(n), tagOf(kind), word);
  b.run([&out, n](const E& x) {
    if (out.filled() == n) throw std::logic_error("hashgrove: a traversal wrote more slots than its array has");
    out.emplace(x);
  });
  if (out.filled() != n) throw std::logic_error("hashgrove: a traversal left slots of its array unwritten");
  return HashMap<K, W>::adopt(out.finish());
}

template <class T, class K, class V>
typename T::template In<typename T::Out> traverseNode(const std::shared_ptr<T>& t, const HashMap<K, V>& node);

// S(lo) for the elements lo..hi-1 of an array, elem(i) being the action of
// element i: a right-nested chain of liftA2 ending in pure(finish), or for a
// long array two halves joined by liftA2.
template <class E, class T, class Elem>
typename T::template In<ArrayBuilder<E>> traverseArray(const std::shared_ptr<T>& t, const Elem& elem,
                                                       std::int64_t lo, std::int64_t hi) {
  using G = typename T::G;
  using Builder = ArrayBuilder<E>;
  using BuilderAction = typename T::template In<Builder>;
  using ElemAction = typename T::template In<E>;
  if (hi - lo > kTraverseChain) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    return basis::Applicative<G>::liftA2(
        [](const Builder& a, const Builder& b) { return Builder::join(a, b); },
        basis::Lazy<BuilderAction>::defer([t, elem, lo, mid] { return traverseArray<E>(t, elem, lo, mid); }),
        basis::Lazy<BuilderAction>::defer([t, elem, mid, hi] { return traverseArray<E>(t, elem, mid, hi); }));
  }
  if (lo == hi) return basis::Applicative<G>::pure(Builder());
  return basis::Applicative<G>::liftA2(
      [](const E& x, const Builder& rest) { return Builder::write(x, rest); },
      basis::Lazy<ElemAction>::defer([elem, lo]() -> ElemAction { return elem(lo); }),
      basis::Lazy<BuilderAction>::defer([t, elem, lo, hi] { return traverseArray<E>(t, elem, lo + 1, hi); }));
}

template <class T, class K, class V>
typename T::template In<typename T::Out> traverseNode(const std::shared_ptr<T>& t, const HashMap<K, V>& node) {
  using G = typename T::G;
  using B = typename T::B;
  using W = typename T::W;
  using Out = typename T::Out;
  switch (node.kind()) {
    case Kind::Empty:
      break;
    case Kind::Leaf: {
      const L<K, V>& p = node.leaf();
      return basis::Functor<G>::fmap(
          [t, h = node.nodeHash(), k = p.key](const B& b) { return makeLeaf<K, W>(h, k, t->store(b)); },
          basis::demand(t->act(p)));
    }
    case Kind::BitmapIndexed:
    case Kind::Full: {
      const std::int64_t n = node.childCount();
      auto elem = [t, node](std::int64_t i) { return traverseNode(t, node.child(i)); };
      return basis::Functor<G>::fmap(
          [n, kind = node.kind(), word = node.bitmap()](const ArrayBuilder<Out>& b) {
            return runBuilder<K, W>(b, n, kind, word);
          },
          traverseArray<Out>(t, elem, 0, n));
    }
    case Kind::Collision: {
      const std::int64_t n = node.bucketSize();
      auto elem = [t, node](std::int64_t i) {
        const L<K, V>& p = node.bucket()[i];
        return basis::Functor<G>::fmap([t, k = p.key](const B& b) { return L<K, W>{k, t->store(b)}; },
                                       basis::demand(t->act(p)));
      };
      return basis::Functor<G>::fmap(
          [n, h = node.nodeHash()](const ArrayBuilder<L<K, W>>& b) {
            return runBuilder<K, W>(b, n, Kind::Collision, h);
          },
          traverseArray<L<K, W>>(t, elem, 0, n));
    }
  }
  return basis::Applicative<G>::pure(Out());
}

// Stores a new value as it comes: a Lazy stays deferred.
struct StoreAsItComes {
  template <class B>
  basis::Lazy<basis::lazy_value_t<B>> operator()(const B& b) const {
    return basis::Lazy<basis::lazy_value_t<B>>(b);
  }
};

}  // namespace detail

// The traversal of m with act(pair) giving each pair's action and
// store(new value) giving the value to keep (a basis::Lazy<W>). Returns the
// action of the applicative of act's result that yields the rebuilt map: the
// same node kinds, bitmaps, hashes, array lengths, pair order and keys, every
// node new. Actions combine in trie order. O(n) calls of liftA2 and fmap.
template <class K, class V, class Act, class Store>
auto traverseWalk(const HashMap<K, V>& m, Act act, Store store) {
  using T = detail::Traversal<K, V, Act, Store>;
  auto t = std::make_shared<T>(T{std::move(act), std::move(store)});
  return detail::traverseNode(t, m);
}

// `traverseWithKey`: g(k, v) for every pair in trie order (an action of any
// basis applicative), the map rebuilt from the results inside it; the new
// values stored as they come. An applicative that stops at a failing action
// computes no action after it.
template <class G, class K, class V>
auto traverseWithKey(G g, const HashMap<K, V>& m) {
  return traverseWalk(m, [g = std::move(g)](const L<K, V>& p) { return g(p.key, p.value); },
                      detail::StoreAsItComes{});
}

// `traverse`: g(v) for every value in trie order, as `traverseWithKey`.
template <class G, class K, class V>
auto traverse(G g, const HashMap<K, V>& m) {
  return traverseWalk(m, [g = std::move(g)](const L<K, V>& p) { return g(p.value); }, detail::StoreAsItComes{});
}

}  // namespace hashgrove::internal

// Traversable of HashMap K: `traverse` above; `sequenceA`, `mapM`, `sequence`
// from it.
template <class K>
struct basis::Traversable<hashgrove::HashMapOf<K>> : basis::TraversableDefaults<hashgrove::HashMapOf<K>> {
  template <class Fn, class V>
  static auto traverse(Fn g, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::traverse(std::move(g), m);
  }
};
