#pragma once
// What generic code sees of a map: one abstract constructor "fromList" with
// one field, the list of the map's (key, value) pairs in trie order. Taking
// a map apart yields that list (values forced); building one goes through
// `fromList`, which hashes every key again, so generic code never sees or
// builds trie nodes.

#include <cstdint>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/error.hpp>
#include <basis/generic.hpp>

#include "hashgrove/internal/bitag.hpp"
#include "hashgrove/internal/bulk.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

// `hashMapDataType`: "Data.HashMap.Internal.HashMap", algebraic, with the one
// constructor `fromListConstr`. Built once.
const basis::generic::DataType& hashMapDataType();
// `fromListConstr`: "fromList", no field names, prefix, index 1. Built once.
const basis::generic::Constr& fromListConstr();
// "gunfold", raised at ./Data/HashMap/Internal:335:14 for a constructor
// index other than 1.
const basis::ErrorCall& gunfoldError();

}  // namespace hashgrove::internal

template <class K, class V>
struct basis::generic::Typeable<hashgrove::internal::HashMap<K, V>> {
  static basis::generic::TypeRep typeRep() {
    return basis::generic::mkTyConApp("HashMap", "Data.HashMap.Internal",
                                      {basis::generic::typeRep<K>(), basis::generic::typeRep<V>()});
  }
};

template <class K, class V>
struct basis::Data<hashgrove::internal::HashMap<K, V>> : basis::DataDefaults<hashgrove::internal::HashMap<K, V>> {
  using Map = hashgrove::internal::HashMap<K, V>;
  using PairList = std::vector<std::pair<K, V>>;

  static basis::generic::DataType dataTypeOf(const Map&) { return hashgrove::internal::hashMapDataType(); }
  static basis::generic::Constr toConstr(const Map&) { return hashgrove::internal::fromListConstr(); }
  // The one child: the pairs in trie order, values forced. O(n).
  static std::tuple<PairList> fields(const Map& m) {
    PairList pairs;
    for (const auto& [k, v] : m) pairs.emplace_back(k, v.force());
    return {std::move(pairs)};
  }
  // The map of the pairs, later pairs winning on equal keys. O(n).
  static Map fromFields(const PairList& pairs) { return hashgrove::internal::fromList(pairs); }

  // k(z(fromList)) for constructor index 1; ErrorCall "gunfold" for another
  // index; the constructor-index failure of a description that is not
  // algebraic passes through.
  template <class KF, class ZF>
  static auto gunfold(KF&& k, ZF&& z, const basis::generic::Constr& c) {
    if (c.constrIndex() != 1) basis::throwErrorCall(hashgrove::internal::gunfoldError());
    return basis::DataDefaults<Map>::gunfoldWith(std::forward<KF>(k), std::forward<ZF>(z));
  }

  // f at the value type when Tag is HashMapOf<K>, else nothing.
  template <class Tag, class F>
  static auto dataCast1(F&& f) -> std::optional<decltype(f(std::type_identity<V>{}))> {
    if constexpr (std::is_same_v<Tag, hashgrove::HashMapOf<K>>) {
      return f(std::type_identity<V>{});
    } else {
      return std::nullopt;
    }
  }
  // f at the key and value types when Tag is HashMapTag, else nothing.
  template <class Tag, class F>
  static auto dataCast2(F&& f) -> std::optional<decltype(f(std::type_identity<K>{}, std::type_identity<V>{}))> {
    if constexpr (std::is_same_v<Tag, hashgrove::HashMapTag>) {
      return f(std::type_identity<K>{}, std::type_identity<V>{});
    } else {
      return std::nullopt;
    }
  }
};
