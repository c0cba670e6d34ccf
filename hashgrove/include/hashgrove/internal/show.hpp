#pragma once
// The text form of maps: «fromList [(k,v),...]» with the pairs in trie order,
// keys and values at precedence 0, no blanks inside the list; in parentheses
// above precedence 10. The printer streams pair by pair into its sink and
// forces each value when it reaches it (what forcing throws passes through,
// with the text so far already written).

#include <string>

#include <basis/lazy.hpp>
#include <basis/lifted.hpp>
#include <basis/show.hpp>

#include "hashgrove/internal/bitag.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

// `liftShowsPrec2`: appends the text of m at precedence d, each key printed
// by kp(0, key, out) and each value by vp(0, value, out) (the value forced).
// The list printers kl and vl are not used. O(n) plus the printers.
template <class KP, class KL, class VP, class VL, class K, class V>
void liftShowsPrec2(const KP& kp, const KL&, const VP& vp, const VL&, int d, const HashMap<K, V>& m,
                    std::string& out) {
  basis::showParen(d > 10, out, [&](std::string& o) {
    o += "fromList";
    o += ' ';
    basis::showListWith(
        [&](const L<K, V>& p, std::string& s) {
          s += '(';
          kp(0, p.key, s);
          s += ',';
          vp(0, p.value.force(), s);
          s += ')';
        },
        m, o);
  });
}

// `liftShowsPrec`: `liftShowsPrec2` with K's own printer for keys.
template <class VP, class VL, class K, class V>
void liftShowsPrec(const VP& vp, const VL& vl, int d, const HashMap<K, V>& m, std::string& out) {
  liftShowsPrec2(basis::lifted::sp<K>, basis::lifted::sl<K>, vp, vl, d, m, out);
}

}  // namespace hashgrove::internal

template <class K, class V>
struct basis::Show<hashgrove::internal::HashMap<K, V>> : basis::ShowDefaults<hashgrove::internal::HashMap<K, V>> {
  // Appends «fromList [(k,v),...]», in parentheses when d > 10.
  static void showsPrec(int d, const hashgrove::internal::HashMap<K, V>& m, std::string& out) {
    hashgrove::internal::liftShowsPrec2(basis::lifted::sp<K>, basis::lifted::sl<K>, basis::lifted::sp<V>,
                                        basis::lifted::sl<V>, d, m, out);
  }
};

template <class K>
struct basis::Show1<hashgrove::HashMapOf<K>> : basis::Show1Defaults<hashgrove::HashMapOf<K>> {
  template <class SP, class SL, class V>
  static void liftShowsPrec(const SP& sp, const SL& sl, int d, const hashgrove::internal::HashMap<K, V>& m,
                            std::string& out) {
    hashgrove::internal::liftShowsPrec(sp, sl, d, m, out);
  }
};

template <>
struct basis::Show2<hashgrove::HashMapTag> : basis::Show2Defaults<hashgrove::HashMapTag> {
  template <class SP1, class SL1, class SP2, class SL2, class K, class V>
  static void liftShowsPrec2(const SP1& sp1, const SL1& sl1, const SP2& sp2, const SL2& sl2, int d,
                             const hashgrove::internal::HashMap<K, V>& m, std::string& out) {
    hashgrove::internal::liftShowsPrec2(sp1, sl1, sp2, sl2, d, m, out);
  }
};
