#pragma once
// Parsing the text form of maps: «fromList [(k,v),...]».
//
// The map form binds at precedence 10: admitted bare at precedence 10 or
// below, and at any precedence inside one or more pairs of parentheses. The
// word "fromList" must be a whole identifier; the list and each pair may
// themselves stand in extra parentheses; "[]" is the empty map; a trailing
// comma is no parse. The map is built by one `fromList` of the pairs in the
// order read, so of equal keys the later pair wins. Parsing never throws on
// bad input: a text that does not match yields no parse. Parentheses are
// counted in loops, and nesting beyond basis::kMaxNesting yields no parse, so
// hostile input cannot exhaust the stack.

#include <string_view>
#include <utility>
#include <vector>

#include <basis/lifted.hpp>
#include <basis/read.hpp>

#include "hashgrove/internal/bulk.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

// `liftReadsPrec`: every parse of a map at precedence d with the text left
// after it, keys read by K's own parser and values by vp(0, text) (which
// returns basis::Parses<V>). The value-list parser is not used. O(text) per
// parse plus one `fromList` per parse.
template <class K, class VP, class VL>
auto liftReadsPrec(const VP& vp, const VL&, int d, std::string_view in) {
  using V = basis::ParsedType<VP>;
  using Map = HashMap<K, V>;
  using Pair = std::pair<K, V>;
  auto pairBody = [&vp](int, std::string_view s) {
    basis::Parses<Pair> out;
    basis::NestingGuard guard;
    if (!guard) return out;
    auto open = basis::expectPunc(s, "(");
    if (!open || !basis::mayHoldTuple(s)) return out;
    for (auto& [k, afterKey] : basis::Read<K>::readsPrec(0, *open)) {
      auto comma = basis::expectPunc(afterKey, ",");
      if (!comma) continue;
      for (auto& [v, afterValue] : vp(0, *comma)) {
        if (auto close = basis::expectPunc(afterValue, ")")) out.emplace_back(Pair(k, std::move(v)), *close);
      }
    }
    return out;
  };
  auto pair = [&pairBody](int p, std::string_view s) { return basis::runParens(pairBody, p, s); };
  auto body = [&pair](int p, std::string_view s) {
    basis::Parses<Map> out;
    if (p > 10) return out;
    auto after = basis::expectIdent(s, "fromList");
    if (!after) return out;
    for (auto& [pairs, rest] : basis::readListWith(pair, *after)) out.emplace_back(internal::fromList(pairs), rest);
    return out;
  };
  return basis::runParens(body, d, in);
}

}  // namespace hashgrove::internal

template <class K, class V>
struct basis::Read<hashgrove::internal::HashMap<K, V>> : basis::ReadDefaults<hashgrove::internal::HashMap<K, V>> {
  // Every parse of «fromList [(k,v),...]» at precedence d.
  static basis::Parses<hashgrove::internal::HashMap<K, V>> readsPrec(int d, std::string_view in) {
    return hashgrove::internal::liftReadsPrec<K>(basis::lifted::rp<V>, basis::lifted::rl<V>, d, in);
  }
};

template <class K>
struct basis::Read1<hashgrove::HashMapOf<K>> : basis::Read1Defaults<hashgrove::HashMapOf<K>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL& rl, int d, std::string_view in) {
    return hashgrove::internal::liftReadsPrec<K>(rp, rl, d, in);
  }
};
