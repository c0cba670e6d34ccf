#pragma once
// What generic code, expression building and deep evaluation see of a set.
//
// - Generic code sees one constructor «fromList» with one field, the list of
//   the elements in trie order; rebuilding goes through the set's `fromList`,
//   which hashes every element again.
// - The expression of a set is «HashSet» applied to the expression of its
//   map, which rebuilds the trie node for node (no element is hashed again).
// - Deep evaluation forces every element in trie order, each before its unit
//   value.

#include <concepts>
#include <cstdint>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/error.hpp>
#include <basis/expr.hpp>
#include <basis/generic.hpp>
#include <basis/lift.hpp>
#include <basis/lifted.hpp>
#include <basis/nfdata.hpp>

#include "hashgrove/internal/lift.hpp"
#include "hashgrove/internal/nfdata.hpp"
#include "hashgrove/internal/set/hash_set.hpp"
#include "hashgrove/internal/set/operations.hpp"

namespace hashgrove::internal::set {

// `hashSetDataType`: "Data.HashSet.Internal.HashSet", algebraic, with the one
// constructor `fromListConstr`. Built once.
const basis::generic::DataType& hashSetDataType();
// `fromListConstr`: "fromList", no field names, prefix, index 1. Built once.
const basis::generic::Constr& fromListConstr();
// "gunfold", raised at ./Data/HashSet/Internal:234:14 for a constructor index
// other than 1. Built once.
const basis::ErrorCall& gunfoldError();

namespace detail {
// The result type of a cast function f at two type arguments, Unit when there
// is no such f.
template <class T, class... F>
struct CastResult {
  using type = basis::Unit;
};
template <class T, class F>
  requires std::invocable<F&, std::type_identity<T>, std::type_identity<T>>
struct CastResult<T, F> {
  using type = std::invoke_result_t<F&, std::type_identity<T>, std::type_identity<T>>;
};

// Forces a stored unit value and nothing more.
struct ForceUnit {
  void operator()(const basis::Lazy<basis::Unit>& u) const { u.force(); }
};
}  // namespace detail

// `rnf`: T's own `rnf` on every element in trie order, each followed by its
// unit value; the first failure ends the walk. O(n).
template <class T>
void rnf(const HashSet<T>& s) {
  internal::liftRnf2([](const T& x) { basis::rnf(x); }, detail::ForceUnit{}, s.asMap());
}

// `liftRnf`: f on every element in trie order, each followed by its unit.
template <class F, class T>
void liftRnf(F f, const HashSet<T>& s) {
  internal::liftRnf2(std::move(f), detail::ForceUnit{}, s.asMap());
}

}  // namespace hashgrove::internal::set

template <class T>
struct basis::generic::Typeable<hashgrove::internal::set::HashSet<T>> {
  static basis::generic::TypeRep typeRep() {
    return basis::generic::mkTyConApp("HashSet", "Data.HashSet.Internal", {basis::generic::typeRep<T>()});
  }
};

template <class T>
struct basis::Data<hashgrove::internal::set::HashSet<T>> : basis::DataDefaults<hashgrove::internal::set::HashSet<T>> {
  using Set = hashgrove::internal::set::HashSet<T>;
  using Elements = std::vector<T>;

  static basis::generic::DataType dataTypeOf(const Set&) { return hashgrove::internal::set::hashSetDataType(); }
  static basis::generic::Constr toConstr(const Set&) { return hashgrove::internal::set::fromListConstr(); }
  // The one child: the elements in trie order. O(n).
  static std::tuple<Elements> fields(const Set& s) {
    Elements xs;
    for (const T& x : s) xs.push_back(x);
    return {std::move(xs)};
  }
  // The set of the elements (`fromList`). O(n log32 n).
  static Set fromFields(const Elements& xs) { return hashgrove::internal::set::fromList(xs); }

  // k(z(fromList)) for constructor index 1; ErrorCall "gunfold" for another
  // index; the constructor-index failure of a description that is not
  // algebraic passes through.
  template <class KF, class ZF>
  static auto gunfold(KF&& k, ZF&& z, const basis::generic::Constr& c) {
    if (c.constrIndex() != 1) basis::throwErrorCall(hashgrove::internal::set::gunfoldError());
    return basis::DataDefaults<Set>::gunfoldWith(std::forward<KF>(k), std::forward<ZF>(z));
  }

  // f at the element type when Tag is HashSetTag, else nothing.
  template <class Tag, class F>
  static auto dataCast1(F&& f) -> std::optional<decltype(f(std::type_identity<T>{}))> {
    if constexpr (std::is_same_v<Tag, hashgrove::HashSetTag>) {
      return f(std::type_identity<T>{});
    } else {
      return std::nullopt;
    }
  }
  // Always nothing: a set is not a two-argument type constructor. The empty
  // optional has the type f's result would have (Unit without f).
  template <class Tag = void, class... F>
  static auto dataCast2(F&&...) noexcept {
    return std::optional<typename hashgrove::internal::set::detail::CastResult<T, F...>::type>();
  }
};

// «HashSet <the map's expression>»: the trie rebuilt node for node.
template <class T>
struct basis::Lift<hashgrove::internal::set::HashSet<T>> : basis::LiftDefaults<hashgrove::internal::set::HashSet<T>> {
  static basis::expr::Exp lift(const hashgrove::internal::set::HashSet<T>& s) {
    using namespace basis::expr;
    Exp con = ConE(mkNameG_d("hashgrove", "Data.HashSet.Internal", "HashSet"));
    return AppE(std::move(con), basis::lift(s.asMap()));
  }
};

template <class T>
struct basis::NFData<hashgrove::internal::set::HashSet<T>> {
  static void rnf(const hashgrove::internal::set::HashSet<T>& s) { hashgrove::internal::set::rnf(s); }
};

template <>
struct basis::NFData1<hashgrove::HashSetTag> {
  template <class R, class T>
  static void liftRnf(const R& r, const hashgrove::internal::set::HashSet<T>& s) {
    hashgrove::internal::set::liftRnf(r, s);
  }
};
