#pragma once
// Expression building for maps: an expression that rebuilds the map node for
// node, with the same shape, bitmaps, hashes and bucket order, without
// hashing any key again.
//
//   Empty                       ConE Empty
//   BitmapIndexed b children    BitmapIndexed <b> (fromList' n [children...])
//   Leaf h (L k v)              Leaf <h> (L k $! v)
//   Full children               Full (fromList' 32 [children...])
//   Collision h pairs           Collision <h> (fromList' n [L k $! v, ...])
//
// Words become non-negative integer literals; arrays go through the array
// layer's own lifting. Lifting forces every value. Recursion only as deep as
// the trie.

#include <basis/expr.hpp>
#include <basis/lift.hpp>

#include "hashgrove/internal/array_interfaces.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal::detail {
inline basis::expr::Exp internalCon(const char* name) {
  return basis::expr::ConE(basis::expr::mkNameG_d("hashgrove", "Data.HashMap.Internal", name));
}
}  // namespace hashgrove::internal::detail

// A pair: «L key $! value», so that the rebuilt pair evaluates its value.
template <class K, class V>
struct basis::Lift<hashgrove::internal::L<K, V>> : basis::LiftDefaults<hashgrove::internal::L<K, V>> {
  static basis::expr::Exp lift(const hashgrove::internal::L<K, V>& p) {
    using namespace basis::expr;
    Exp con = hashgrove::internal::detail::internalCon("L");
    Exp left = AppE(std::move(con), basis::lift(p.key));
    Exp op = VarE(mkNameG_v("base", "GHC.Base", "$!"));
    return InfixE(std::move(left), std::move(op), basis::lift(p.value.force()));
  }
};

// A map: one constructor application per node (see the header comment).
template <class K, class V>
struct basis::Lift<hashgrove::internal::HashMap<K, V>> : basis::LiftDefaults<hashgrove::internal::HashMap<K, V>> {
  static basis::expr::Exp lift(const hashgrove::internal::HashMap<K, V>& m) {
    using namespace basis::expr;
    using hashgrove::internal::Kind;
    using hashgrove::internal::detail::internalCon;
    switch (m.kind()) {
      case Kind::Empty:
        return internalCon("Empty");
      case Kind::BitmapIndexed: {
        Exp con = AppE(internalCon("BitmapIndexed"), LitE(IntegerL(m.bitmap())));
        return AppE(std::move(con), basis::lift(m.childArray()));
      }
      case Kind::Leaf: {
        Exp con = AppE(internalCon("Leaf"), LitE(IntegerL(m.nodeHash())));
        return AppE(std::move(con), basis::liftTyped(m.leaf()).unType);
      }
      case Kind::Full:
        return AppE(internalCon("Full"), basis::lift(m.childArray()));
      case Kind::Collision: {
        Exp con = AppE(internalCon("Collision"), LitE(IntegerL(m.nodeHash())));
        return AppE(std::move(con), basis::lift(m.bucketArray()));
      }
    }
    return internalCon("Empty");
  }
};
