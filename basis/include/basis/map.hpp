#pragma once
// Map<K, V>: an immutable ordered map (keys by K's `<`) over a shared
// std::map, and IntMap<V>, the same map keyed by machine integers with a
// shape of its own. Values are stored as basis::Lazy<V>, so an operation may
// store a deferred value; lookups hand the stored Lazy back unforced. Copies
// share one store (a reference count); every update builds a new store.
//
// Interfaces (MapOf<K>, IntMapTag): Functor (values deferred), Foldable
// (values in key order), Traversable, FunctorWithIndex (the key), and `==`
// (keys and forced values).

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/functor_with_index.hpp"
#include "basis/lazy.hpp"
#include "basis/ref.hpp"
#include "basis/traversable.hpp"

namespace basis {

namespace detail {
struct OrderedKeys {};
struct IntKeys {};
}  // namespace detail

template <class K, class V, class Kind>
class KeyedMap {
 public:
  using key_type = K;
  using mapped_type = V;
  using Store = std::map<K, Lazy<V>>;

  // The empty map.
  KeyedMap() = default;
  // The pairs listed; a later equal key replaces an earlier one.
  KeyedMap(std::initializer_list<std::pair<K, V>> pairs) : KeyedMap(fromList(std::vector<std::pair<K, V>>(pairs))) {}
  // The map of a finished store. O(1).
  static KeyedMap fromStore(Store s) {
    KeyedMap m;
    if (!s.empty()) m.store_ = makeRef<Holder>(std::move(s));
    return m;
  }
  // The pairs of a range of (key, value or Lazy value); a later equal key
  // replaces an earlier one. O(n log n).
  template <class R>
  static KeyedMap fromList(const R& pairs) {
    Store s;
    for (const auto& [k, v] : pairs) s.insert_or_assign(K(k), Lazy<V>(v));
    return fromStore(std::move(s));
  }

  const Store& store() const noexcept { return store_ ? store_->items : emptyStore(); }
  std::size_t size() const noexcept { return store().size(); }
  bool empty() const noexcept { return store().empty(); }
  // The value bound to k as stored, or nothing. O(log n).
  std::optional<Lazy<V>> lookup(const K& k) const {
    auto it = store().find(k);
    if (it == store().end()) return std::nullopt;
    return it->second;
  }
  // The pairs in key order, values as stored.
  std::vector<std::pair<K, Lazy<V>>> toList() const { return {store().begin(), store().end()}; }
  auto begin() const noexcept { return store().begin(); }
  auto end() const noexcept { return store().end(); }

  // Same keys and equal forced values.
  friend bool operator==(const KeyedMap& a, const KeyedMap& b)
    requires std::equality_comparable<V>
  {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
      if (!(i->first == j->first) || !applyForced(std::equal_to<>(), i->second, j->second)) return false;
    }
    return true;
  }

 private:
  struct Holder : RefCounted {
    explicit Holder(Store s) : items(std::move(s)) {}
    Store items;
  };
  static const Store& emptyStore() {
    static const Store none;
    return none;
  }
  Ref<Holder> store_;
};

// The ordered map.
template <class K, class V>
using Map = KeyedMap<K, V, detail::OrderedKeys>;
// The map keyed by machine integers.
template <class V>
using IntMap = KeyedMap<std::int64_t, V, detail::IntKeys>;

template <class K>
struct MapOf {
  template <class A>
  using apply = Map<K, A>;
};
struct IntMapTag {
  template <class A>
  using apply = IntMap<A>;
};
template <class K, class V>
struct TagOf<KeyedMap<K, V, detail::OrderedKeys>> {
  using type = MapOf<K>;
  using element = V;
};
template <class V>
struct TagOf<KeyedMap<std::int64_t, V, detail::IntKeys>> {
  using type = IntMapTag;
  using element = V;
};

namespace detail {

// The keyed map's interfaces, shared by Map and IntMap.
template <class Tag, class K, class Kind>
struct KeyedMapInstances {
  template <class V>
  using M = KeyedMap<K, V, Kind>;

  // Every value the deferred f(v). O(n).
  template <class Fn, class V>
  static M<Mapped<Fn, V>> fmap(Fn f, const M<V>& m) {
    using W = Mapped<Fn, V>;
    auto fp = std::make_shared<Fn>(std::move(f));
    typename M<W>::Store out;
    for (const auto& [k, v] : m) out.emplace_hint(out.end(), k, Lazy<W>::defer([fp, v = v] { return W((*fp)(v.force())); }));
    return M<W>::fromStore(std::move(out));
  }
  // Every value v under k the deferred f(k, v). O(n).
  template <class Fn, class V>
  static auto imap(Fn f, const M<V>& m) {
    using W = IMapped<Fn, K, V>;
    auto fp = std::make_shared<Fn>(std::move(f));
    typename M<W>::Store out;
    for (const auto& [k, v] : m) {
      out.emplace_hint(out.end(), k, Lazy<W>::defer([fp, k = k, v = v] { return W((*fp)(k, v.force())); }));
    }
    return M<W>::fromStore(std::move(out));
  }
};

}  // namespace detail

template <class K>
struct Functor<MapOf<K>> : FunctorDefaults<MapOf<K>>, private detail::KeyedMapInstances<MapOf<K>, K, detail::OrderedKeys> {
  using detail::KeyedMapInstances<MapOf<K>, K, detail::OrderedKeys>::fmap;
};
template <>
struct Functor<IntMapTag> : FunctorDefaults<IntMapTag>,
                            private detail::KeyedMapInstances<IntMapTag, std::int64_t, detail::IntKeys> {
  using detail::KeyedMapInstances<IntMapTag, std::int64_t, detail::IntKeys>::fmap;
};

template <class K>
struct FunctorWithIndex<MapOf<K>> : private detail::KeyedMapInstances<MapOf<K>, K, detail::OrderedKeys> {
  using Index = K;
  using detail::KeyedMapInstances<MapOf<K>, K, detail::OrderedKeys>::imap;
};
template <>
struct FunctorWithIndex<IntMapTag> : private detail::KeyedMapInstances<IntMapTag, std::int64_t, detail::IntKeys> {
  using Index = std::int64_t;
  using detail::KeyedMapInstances<IntMapTag, std::int64_t, detail::IntKeys>::imap;
};

namespace detail {
// Values in key order, handed as stored (const Lazy<V>&).
template <class Tag>
struct KeyedMapFoldable : FoldableDefaults<Tag> {
  template <class Fn, class Z, class K, class V, class Kind>
  static lazy_value_t<Z> foldr(Fn f, Z z, const KeyedMap<K, V, Kind>& m) {
    return go<lazy_value_t<Z>>(std::make_shared<Fn>(std::move(f)), toLazy(std::move(z)), m, m.begin());
  }
  template <class Fn, class Z, class K, class V, class Kind>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const KeyedMap<K, V, Kind>& m) {
    lazy_value_t<Z> acc(demand(z));
    for (const auto& kv : m) acc = f(std::move(acc), kv.second);
    return acc;
  }
  template <class Fn, class Z, class K, class V, class Kind>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const KeyedMap<K, V, Kind>& m) {
    lazy_value_t<Z> acc(demand(z));
    for (auto it = m.store().rbegin(); it != m.store().rend(); ++it) acc = f(it->second, std::move(acc));
    return acc;
  }

 private:
  // The deferred rest holds the map (sharing its store), so it stays valid.
  template <class B, class Fn, class M, class It>
  static B go(const std::shared_ptr<Fn>& f, const Lazy<B>& z, const M& m, It it) {
    if (it == m.end()) return z.force();
    return (*f)(it->second, Lazy<B>::defer([f, z, m, it] { return go<B>(f, z, m, std::next(it)); }));
  }
};

// The values' actions in key order; the keys kept.
template <class Tag>
struct KeyedMapTraversable : TraversableDefaults<Tag> {
  template <class Fn, class K, class V, class Kind>
  static auto traverse(Fn g, const KeyedMap<K, V, Kind>& m) {
    using GB = Action<Fn, V>;
    using B = element_of<GB>;
    std::vector<K> keys;
    std::vector<Lazy<V>> stored;
    for (const auto& kv : m) {
      keys.push_back(kv.first);
      stored.push_back(kv.second);
    }
    return Functor<tag_of<GB>>::fmap(
        [keys](const std::vector<B>& values) {
          typename KeyedMap<K, B, Kind>::Store out;
          for (std::size_t i = 0; i < keys.size(); ++i) out.emplace_hint(out.end(), keys[i], Lazy<B>(values[i]));
          return KeyedMap<K, B, Kind>::fromStore(std::move(out));
        },
        Traversable<VectorTag>::traverse([&g](const Lazy<V>& v) { return g(v.force()); }, stored));
  }
};
}  // namespace detail

template <class K>
struct Foldable<MapOf<K>> : detail::KeyedMapFoldable<MapOf<K>> {};
template <>
struct Foldable<IntMapTag> : detail::KeyedMapFoldable<IntMapTag> {};
template <class K>
struct Traversable<MapOf<K>> : detail::KeyedMapTraversable<MapOf<K>> {};
template <>
struct Traversable<IntMapTag> : detail::KeyedMapTraversable<IntMapTag> {};

}  // namespace basis
