#pragma once
// Collision buckets (arrays of pairs of one full hash, in the order their keys
// arrived) and the copy-and-replace of one child of a Full node.
//
// Key equality in a bucket search always takes the searched key first and the
// stored key second. A combining or modifying function is called at once and
// its result (a basis::Lazy<V>, or a V) is stored as it is returned.

#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// The position of the first pair whose key equals k (k first), or -1.
template <class K, class V, class KK>
std::int64_t bucketIndexOf(const KK& k, const L<K, V>* pairs, std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i) {
    if (k == pairs[i].key) return i;
  }
  return -1;
}

// A new bucket block (tagged Collision with hash h): the pair whose key
// equals k replaced by (k, f(k, v, stored)), or (k, v) appended.
template <class K, class V, class F>
array::Block<L<K, V>>* updateOrSnocBlock(F& f, const K& k, const basis::Lazy<V>& v, const L<K, V>* pairs,
                                         std::int64_t n, std::uint8_t tag, std::uint64_t word) {
  const std::int64_t i = bucketIndexOf(k, pairs, n);
  if (i >= 0) {
    basis::Lazy<V> w(f(k, v, pairs[i].value));
    return array::detail::updateAt(pairs, static_cast<std::size_t>(n), static_cast<std::size_t>(i),
                                   L<K, V>{k, std::move(w)}, tag, word);
  }
  return array::detail::snocTo(pairs, static_cast<std::size_t>(n), L<K, V>{k, v}, tag, word);
}

}  // namespace detail

// The position of the first pair of `a` whose key equals k, or nothing.
// O(n) key comparisons at most, searched key first.
template <class K, class V>
std::optional<std::int64_t> indexOf(const std::type_identity_t<K>& k, const array::Array<L<K, V>>& a) {
  const std::int64_t i = detail::bucketIndexOf(k, a.data(), a.size());
  if (i < 0) return std::nullopt;
  return i;
}

// A new bucket: the pair whose key equals k replaced (at its position) by
// (k, f(k, v, stored value)), f called at once; or (k, v) appended. O(n).
template <class K, class V, class F>
array::Array<L<K, V>> updateOrSnocWithKey(F&& f, const std::type_identity_t<K>& k,
                                          std::type_identity_t<basis::Lazy<V>> v,
                                          const array::Array<L<K, V>>& a) {
  return array::Array<L<K, V>>::adopt(
      detail::updateOrSnocBlock<K, V>(f, k, v, a.data(), a.size(), array::kPlainArrayTag, 0));
}

// `updateWith#`: `a` itself when k is absent or f returns the stored value
// object itself; otherwise a new bucket with that pair replaced by
// (k, f(stored value)). O(n).
template <class K, class V, class F>
array::Array<L<K, V>> updateWith_raw(F&& f, const std::type_identity_t<K>& k, const array::Array<L<K, V>>& a) {
  const std::int64_t i = detail::bucketIndexOf(k, a.data(), a.size());
  if (i < 0) return a;
  const basis::Lazy<V>& old = a.data()[i].value;
  basis::Lazy<V> w(f(old));
  if (basis::identical(w, old)) return a;
  return array::Array<L<K, V>>::adopt(array::detail::updateAt(
      a.data(), static_cast<std::size_t>(a.size()), static_cast<std::size_t>(i), L<K, V>{k, std::move(w)}));
}

// The merge of two buckets of one hash: a's pairs in a's order, those whose
// key also occurs in b holding (a's key, f(a's key, a's value, b's value));
// then b's other pairs in b's order. Always a new array. O(|a| * |b|) key
// comparisons, b's key first.
template <class K, class V, class F>
array::Array<L<K, V>> updateOrConcatWithKey(F&& f, const array::Array<L<K, V>>& a,
                                            const array::Array<L<K, V>>& b) {
  const L<K, V>* ap = a.data();
  const L<K, V>* bp = b.data();
  const std::int64_t p = a.size();
  const std::int64_t q = b.size();
  std::vector<std::int64_t> positions(static_cast<std::size_t>(q));
  std::int64_t absent = 0;
  for (std::int64_t j = 0; j < q; ++j) {
    positions[j] = detail::bucketIndexOf(bp[j].key, ap, p);
    if (positions[j] < 0) ++absent;
  }
  // Values combined in b's order, before anything is allocated: f may throw.
  std::vector<std::optional<basis::Lazy<V>>> combined(static_cast<std::size_t>(p));
  for (std::int64_t j = 0; j < q; ++j) {
    const std::int64_t i = positions[j];
    if (i >= 0) combined[i].emplace(f(ap[i].key, ap[i].value, bp[j].value));
  }
  array::BlockFiller<L<K, V>> out(static_cast<std::size_t>(p + absent));
  for (std::int64_t i = 0; i < p; ++i) {
    if (combined[i]) {
      out.emplace(L<K, V>{ap[i].key, std::move(*combined[i])});
    } else {
      out.emplace(ap[i]);
    }
  }
  for (std::int64_t j = 0; j < q; ++j) {
    if (positions[j] < 0) out.emplace(bp[j]);
  }
  return array::Array<L<K, V>>::adopt(out.finish());
}

// A new 32-slot array: a copy of the first 32 children of a with slot i
// holding x. O(32). Throws std::out_of_range unless a has 32 or more slots
// and 0 <= i < 32.
template <class K, class V>
array::Array<HashMap<K, V>> update32(const array::Array<HashMap<K, V>>& a, std::int64_t i,
                                     std::type_identity_t<HashMap<K, V>> x) {
  array::detail::checkRange(0, maxChildren, a.size(), "update32");
  array::detail::checkIndex<HashMap<K, V>>(i, maxChildren, "update32");
  return array::Array<HashMap<K, V>>::adopt(array::detail::updateAt(a.data(), maxChildren, i, std::move(x)));
}
// The same as `update32`.
template <class K, class V>
array::Array<HashMap<K, V>> update32M(const array::Array<HashMap<K, V>>& a, std::int64_t i,
                                      std::type_identity_t<HashMap<K, V>> x) {
  return update32(a, i, std::move(x));
}
// `update32With'`: a new 32-slot array with slot i holding f(a[i]), f called
// before anything is copied. O(32).
template <class K, class V, class F>
array::Array<HashMap<K, V>> update32With_(const array::Array<HashMap<K, V>>& a, std::int64_t i, F&& f) {
  array::detail::checkRange(0, maxChildren, a.size(), "update32With'");
  array::detail::checkIndex<HashMap<K, V>>(i, maxChildren, "update32With'");
  HashMap<K, V> x = std::forward<F>(f)(a.data()[i]);
  return array::Array<HashMap<K, V>>::adopt(array::detail::updateAt(a.data(), maxChildren, i, std::move(x)));
}

}  // namespace hashgrove::internal
