#pragma once
// The text form of sets: «fromList» and the list of the elements in trie
// order, written with the element type's own list printer (so a set of
// characters prints as «fromList "abc"»), in parentheses above precedence 10.
// The parser reads the same form, with the element type's own list parser,
// in any number of enclosing parentheses (at least one above precedence 10),
// and builds the set with one `fromList` of the elements in the order read.
// Parsing never throws on bad input; parentheses are counted in loops.

#include <string>
#include <string_view>
#include <utility>

#include <basis/lifted.hpp>
#include <basis/read.hpp>
#include <basis/show.hpp>

#include "hashgrove/internal/set/hash_set.hpp"
#include "hashgrove/internal/set/operations.hpp"

namespace hashgrove::internal::set {

// `liftShowsPrec`: appends «fromList » and then sl(element list, out) for the
// elements in trie order, all in parentheses when d > 10. The element printer
// sp is not used. O(n) plus the printer.
template <class SP, class SL, class T>
void liftShowsPrec(const SP&, const SL& sl, int d, const HashSet<T>& s, std::string& out) {
  basis::showParen(d > 10, out, [&](std::string& o) {
    o += "fromList";
    o += ' ';
    sl(set::toList(s), o);
  });
}

}  // namespace hashgrove::internal::set

template <class T>
struct basis::Show<hashgrove::internal::set::HashSet<T>> : basis::ShowDefaults<hashgrove::internal::set::HashSet<T>> {
  // Appends «fromList [x0,x1,...]» (T's list form), in parentheses when d > 10.
  static void showsPrec(int d, const hashgrove::internal::set::HashSet<T>& s, std::string& out) {
    hashgrove::internal::set::liftShowsPrec(basis::lifted::sp<T>, basis::lifted::sl<T>, d, s, out);
  }
};

template <>
struct basis::Show1<hashgrove::HashSetTag> : basis::Show1Defaults<hashgrove::HashSetTag> {
  template <class SP, class SL, class T>
  static void liftShowsPrec(const SP& sp, const SL& sl, int d, const hashgrove::internal::set::HashSet<T>& s,
                            std::string& out) {
    hashgrove::internal::set::liftShowsPrec(sp, sl, d, s, out);
  }
};

template <class T>
struct basis::Read<hashgrove::internal::set::HashSet<T>> : basis::ReadDefaults<hashgrove::internal::set::HashSet<T>> {
  using Set = hashgrove::internal::set::HashSet<T>;

  // Every parse of «fromList [x0,x1,...]» at precedence d, with the text left
  // after it: the identifier «fromList» (a whole lexeme), then the element
  // list read by T's own list parser. Each parse builds its set by
  // `fromList`, which hashes every element.
  static basis::Parses<Set> readsPrec(int d, std::string_view in) {
    auto body = [](int p, std::string_view s) {
      basis::Parses<Set> out;
      if (p > 10) return out;
      auto after = basis::expectIdent(s, "fromList");
      if (!after) return out;
      for (auto& [elements, rest] : basis::Read<T>::readList(*after))
        out.emplace_back(hashgrove::internal::set::fromList(elements), rest);
      return out;
    };
    return basis::runParens(body, d, in);
  }
};
