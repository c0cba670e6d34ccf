#pragma once
// The standard interfaces of Fix, Mu and Nu, built from the lifted interfaces
// of the layer functor F (basis/lifted.hpp).
//
// Fix<F> delegates each operation to its layer through F's lifted interface,
// which calls back into Fix for the children:
//   ==, !=          basis::Eq1<F>::liftEq
//   <=> and < <= > >=, knotloom::max / min
//                   basis::Ord1<F>::liftCompare (a < b when compare is LT, ...)
//   basis::Hashable basis::Hashable1<F>::liftHashWithSalt with the caller's
//                   salt; `hash` is the layer type's own hash when it has a
//                   basis::Hashable, else the lifted hash at the default salt
//   basis::NFData   basis::NFData1<F>::liftRnf: the whole structure
//   basis::Show     «Fix layer», the layer by basis::Show1<F> at 11, in
//                   parentheses above precedence 10
//   basis::Read     the identifier Fix, then the layer by basis::Read1<F> at 11
// Mu<F> and Nu<F> convert to Fix first (Mu by its fold, Nu layer by layer as
// the comparison or the printer reads it) and use the Fix operations; their
// text forms are «unfoldMu unFix (Fix ...)» and «unfoldNu unFix (Fix ...)».
// Their `<` is `compare(b, a) == GT` and `>=` is `compare(b, a) != GT`, the
// arguments swapped, as the platform's defaults for them read.
//
// Depth: equality, comparison and hashing run the first 256 layers directly
// and the rest on an explicit stack (internal/deep.hpp); deep evaluation and
// printing always use an explicit stack; so any depth works. The printer
// needs the layer printer to append its children's texts to the sink it is
// handed (as every basis printer does); a printer that builds a child's text
// elsewhere still works, one C++ frame deeper per such layer. Parsing reads
// layer by layer from an explicit stack, in memory a small multiple of the
// text, when the layer reader takes its children at precedence 11 (as
// parenthesis groups); one that reads a child bare or in list form recurses
// once per layer, each layer where the stack has room. Either way any depth
// that show produces reads back; basis::kMaxNesting bounds the brackets
// within one layer only. Comparing two infinite structures that never differ
// does not return.

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include <basis/functor.hpp>
#include <basis/hashable.hpp>
#include <basis/lifted.hpp>
#include <basis/nfdata.hpp>
#include <basis/read.hpp>
#include <basis/show.hpp>
#include <basis/stack.hpp>
#include <basis/types.hpp>

#include "knotloom/fixpoints.hpp"
#include "knotloom/internal/deep.hpp"
#include "knotloom/internal/stack.hpp"
#include "knotloom/schemes.hpp"

namespace knotloom {

namespace internal {

template <class T>
concept Complete = requires { sizeof(T); };

template <class F>
concept HasEq1 = Complete<basis::Eq1<F>>;
template <class F>
concept HasOrd1 = Complete<basis::Ord1<F>>;

// a compared with b through the layers' liftCompare.
template <class F>
basis::Ordering compareFix(const Fix<F>& a, const Fix<F>& b) {
  auto step = [](const Fix<F>& x, const Fix<F>& y, const auto& children) {
    return basis::Ord1<F>::liftCompare(children, x.unFix(), y.unFix());
  };
  return deepRun<basis::Ordering, std::tuple<Fix<F>, Fix<F>>>(step, a, b);
}

}  // namespace internal

// ---------------------------------------------------------------------------
// Fix

// The layers equal by F's liftEq. O(layers compared); any depth; throws what
// computing a layer throws.
template <class F>
  requires internal::HasEq1<F>
bool operator==(const Fix<F>& a, const Fix<F>& b) {
  auto step = [](const Fix<F>& x, const Fix<F>& y, const auto& children) {
    return basis::Eq1<F>::liftEq(children, x.unFix(), y.unFix());
  };
  return internal::deepRun<bool, std::tuple<Fix<F>, Fix<F>>>(step, a, b);
}

// The layers ordered by F's liftCompare. O(layers compared); any depth.
template <class F>
  requires internal::HasOrd1<F>
std::weak_ordering operator<=>(const Fix<F>& a, const Fix<F>& b) {
  const basis::Ordering o = internal::compareFix(a, b);
  return o == basis::LT ? std::weak_ordering::less
                        : (o == basis::GT ? std::weak_ordering::greater : std::weak_ordering::equivalent);
}

// The larger of two: a when compare(a, b) is GT, else b (so b on a tie).
template <class T>
  requires(std::is_same_v<T, Fix<typename T::Functor>> || std::is_same_v<T, Mu<typename T::Functor>> ||
           std::is_same_v<T, Nu<typename T::Functor>>)
const T& max(const T& a, const T& b) {
  return basis::compare(a, b) == basis::GT ? a : b;
}
// The smaller of two: b when compare(a, b) is GT, else a (so a on a tie).
template <class T>
  requires(std::is_same_v<T, Fix<typename T::Functor>> || std::is_same_v<T, Mu<typename T::Functor>> ||
           std::is_same_v<T, Nu<typename T::Functor>>)
const T& min(const T& a, const T& b) {
  return basis::compare(a, b) == basis::GT ? b : a;
}

// ---------------------------------------------------------------------------
// Mu and Nu: through their conversion to Fix.

template <class F>
  requires internal::HasEq1<F>
bool operator==(const Mu<F>& a, const Mu<F>& b) {
  return internal::toFix(a) == internal::toFix(b);
}
template <class F>
  requires internal::HasEq1<F>
bool operator==(const Nu<F>& a, const Nu<F>& b) {
  return internal::toFix(a) == internal::toFix(b);
}

// The Part-given orderings of Mu and Nu, all from one compare of the
// converted values.
#define KNOTLOOM_ORDERINGS(Type)                                                         \
  template <class F>                                                                     \
    requires internal::HasOrd1<F>                                                        \
  std::weak_ordering operator<=>(const Type<F>& a, const Type<F>& b) {                   \
    return internal::toFix(a) <=> internal::toFix(b);                                    \
  }                                                                                      \
  /* a < b when compare(b, a) is GT: the arguments swapped. */                           \
  template <class F>                                                                     \
    requires internal::HasOrd1<F>                                                        \
  bool operator<(const Type<F>& a, const Type<F>& b) {                                   \
    return internal::compareFix(internal::toFix(b), internal::toFix(a)) == basis::GT;    \
  }                                                                                      \
  template <class F>                                                                     \
    requires internal::HasOrd1<F>                                                        \
  bool operator<=(const Type<F>& a, const Type<F>& b) {                                  \
    return internal::compareFix(internal::toFix(a), internal::toFix(b)) != basis::GT;    \
  }                                                                                      \
  template <class F>                                                                     \
    requires internal::HasOrd1<F>                                                        \
  bool operator>(const Type<F>& a, const Type<F>& b) {                                   \
    return internal::compareFix(internal::toFix(a), internal::toFix(b)) == basis::GT;    \
  }                                                                                      \
  /* a >= b is b <= a: compare(b, a) is not GT. */                                       \
  template <class F>                                                                     \
    requires internal::HasOrd1<F>                                                        \
  bool operator>=(const Type<F>& a, const Type<F>& b) {                                  \
    return internal::compareFix(internal::toFix(b), internal::toFix(a)) != basis::GT;    \
  }

KNOTLOOM_ORDERINGS(Mu)
KNOTLOOM_ORDERINGS(Nu)
#undef KNOTLOOM_ORDERINGS

namespace internal {

// Prints x at precedence d into out, streaming. Each layer is printed once,
// by F's liftShowsPrec, into a scratch text, with holes where its children
// go. The text before the first hole goes out at once; the rest waits on an
// explicit stack as alternating pieces (a child to print, then the text up to
// the next hole), so the children are printed in order and the stack holds
// one entry per hole still open.
template <class F>
void showFix(int d, const Fix<F>& x, std::string& out) {
  struct Hole {
    std::size_t at;
    int precedence;
    Fix<F> child;
  };
  struct TextPiece {
    std::size_t begin;  // in `waiting`, which holds the texts of every piece
  };
  struct ChildPiece {
    int precedence;
    Fix<F> child;
  };
  std::string scratch;
  std::vector<Hole> holes;
  std::string waiting;
  ChunkedStack<std::variant<TextPiece, ChildPiece>> pieces;

  auto sp = [&](int p, const Fix<F>& child, std::string& sink) {
    if (&sink == &scratch) {
      holes.push_back(Hole{sink.size(), p, child});
    } else {
      showFix(p, child, sink);
    }
  };
  auto sl = [&](const auto& children, std::string& sink) {
    sink += '[';
    bool first = true;
    for (const auto& c : children) {
      if (!first) sink += ',';
      first = false;
      sp(0, basis::forced(c), sink);
    }
    sink += ']';
  };
  auto print = [&](int precedence, const Fix<F>& y) {
    scratch.clear();
    holes.clear();
    basis::showParen(precedence > 10, scratch, [&](std::string& o) {
      o += "Fix ";
      basis::Show1<F>::liftShowsPrec(sp, sl, 11, y.unFix(), o);
    });
    const std::size_t first = holes.empty() ? scratch.size() : holes.front().at;
    out.append(scratch, 0, first);
    for (std::size_t i = holes.size(); i-- > 0;) {
      const std::size_t from = holes[i].at;
      const std::size_t to = i + 1 < holes.size() ? holes[i + 1].at : scratch.size();
      if (to > from) {
        pieces.emplace_back(TextPiece{waiting.size()});
        waiting.append(scratch, from, to - from);
      }
      pieces.emplace_back(ChildPiece{holes[i].precedence, std::move(holes[i].child)});
    }
  };

  print(d, x);
  while (!pieces.empty()) {
    auto piece = std::move(pieces.back());
    pieces.pop_back();
    if (auto* text = std::get_if<TextPiece>(&piece)) {
      out.append(waiting, text->begin);
      waiting.resize(text->begin);
    } else {
      auto& child = std::get<ChildPiece>(piece);
      print(child.precedence, child.child);
    }
  }
}

// Every parse of «Fix layer» at precedence d (inside any parentheses), each
// layer read with stack room and its children by the same function: one
// nest of C++ frames per layer. The bracket nesting is counted from `base`,
// the depth at which the outermost Fix began, so the limit on nesting bounds
// the brackets within one layer, not the number of layers. The reader of
// last resort (see readFixFrom).
template <class F>
basis::Parses<Fix<F>> readFixNested(int base, int d, std::string_view in) {
  using Layer = typename Fix<F>::Layer;
  if (!basis::mayClose(in)) return {};
  return basis::withStackRoom([&] {
    const basis::NestingRebase rebase(base);
    auto rp = [base](int q, std::string_view t) { return readFixNested<F>(base, q, t); };
    auto body = [&rp](int p, std::string_view s) -> basis::Parses<Fix<F>> {
      basis::Parses<Fix<F>> out;
      if (p > 10) return out;
      auto after = basis::expectIdent(s, "Fix");
      if (!after) return out;
      auto rl = [&rp](std::string_view t) { return basis::readListWith(rp, t); };
      for (auto& [layer, rest] : basis::Read1<F>::liftReadsPrec(rp, rl, 11, *after)) {
        out.emplace_back(Fix<F>(Layer(std::move(layer))), rest);
      }
      return out;
    };
    return basis::runParens(body, d, in);
  });
}

// A child not read yet, in a layer read once to find where its children are.
struct ChildHole {};

// The types of the child readers that give holes.
struct ReadHole {
  basis::Parses<ChildHole> operator()(int, std::string_view) const;
};
struct ReadHoleList {
  basis::Parses<std::vector<ChildHole>> operator()(std::string_view) const;
};

// F's reader takes ChildHole children (it takes any child type).
template <class F>
concept ReadsHoles = requires(const ReadHole& rp, const ReadHoleList& rl, std::string_view in) {
  basis::Read1<F>::liftReadsPrec(rp, rl, 11, in);
};

// Reads a Fix text layer by layer from an explicit stack, in memory a small
// multiple of the text. A child of a layer stands at precedence 11, so it is
// one parenthesis group. Each layer is read twice:
// - first with every child a hole that takes the group in front of it whole
//   (its end from an index of the groups, lexed once), which finds the groups
//   that may hold children;
// - then, once those groups are read (the same way, below it on the stack),
//   with each child the parses of its group.
// The second reading asks for children where the first did, with the same
// answers as a nested read would give, so the parses are those of
// readFixNested. A layer whose reader asks for a child at a lower
// precedence or in list form cannot be read this way; nullopt then, before
// anything is built.
template <class F>
class FixTextReader {
 public:
  FixTextReader(int base, std::string_view in) : base_(base), in_(in) {}

  std::optional<basis::Parses<Fix<F>>> run(int d) {
    const Found root = discover(d, in_, nullptr);
    if (unsupported_) return std::nullopt;
    if (!root.complete) return basis::Parses<Fix<F>>{};
    if (root.groups.empty()) return readLayer(d, in_, 0, 0);
    frames_.emplace_back(Frame{groups_.size(), values_.size(), 0, root.groups.size(), nullptr});
    for (const auto& g : root.groups) groups_.emplace_back(g);
    for (;;) {
      Frame& top = frames_.back();
      if (top.next < top.count) {
        Group& g = groups_[top.groups + top.next];
        ++top.next;
        g.values = values_.size();
        const Found found = discover(11, tail(g.begin), g.end);
        if (unsupported_) return std::nullopt;
        if (!found.complete) continue;
        if (found.groups.empty()) {
          finish(g, readLayer(11, tail(g.begin), values_.size(), 0));
          continue;
        }
        frames_.emplace_back(Frame{groups_.size(), values_.size(), 0, found.groups.size(), g.begin});
        for (const auto& c : found.groups) groups_.emplace_back(c);
        continue;
      }
      const Frame done = top;
      basis::Parses<Fix<F>> parses =
          readLayer(done.begin == nullptr ? d : 11, done.begin == nullptr ? in_ : tail(done.begin), done.groups,
                    done.count);
      groups_.truncate(done.groups);
      values_.truncate(done.values);
      frames_.pop_back();
      if (frames_.empty()) return parses;
      Frame& parent = frames_.back();
      finish(groups_[parent.groups + parent.next - 1], std::move(parses));
    }
  }

 private:
  // A parenthesis group that may hold a child: its text, and where its
  // parses lie on the stack of values once read.
  struct Group {
    const char* begin;
    const char* end;
    std::size_t values = 0;
    std::size_t count = 0;
  };
  // A layer whose groups are being read: its groups on the stack of groups,
  // its children's values from `values` on, and where its text begins
  // (nullptr for the outermost).
  struct Frame {
    std::size_t groups;
    std::size_t values;
    std::size_t next;
    std::size_t count;
    const char* begin;
  };
  struct Found {
    bool complete = false;
    std::vector<Group> groups;
  };

  static constexpr std::uint32_t kUnknown = 0;
  static constexpr std::uint32_t kUnclosed = ~std::uint32_t{0};

  std::string_view tail(const char* at) const noexcept {
    return std::string_view(at, static_cast<std::size_t>(in_.data() + in_.size() - at));
  }

  // The parses of a group's text that end with the group, onto the stack of
  // values.
  void finish(Group& g, basis::Parses<Fix<F>> parses) {
    g.values = values_.size();
    for (auto& [x, rest] : parses) {
      if (rest.data() == g.end) values_.emplace_back(std::move(x));
    }
    g.count = values_.size() - g.values;
  }

  // The end of the parenthesis group opened at `open`, or nullptr when it
  // never closes. Lexes the group the first time (recording every group
  // inside it); O(1) after.
  const char* groupEnd(const char* open) {
    const auto at = static_cast<std::size_t>(open - in_.data());
    if (at >= ends_.size() || ends_[at] == kUnknown) lexGroup(open);
    const std::uint32_t end = ends_[at];
    return end == kUnclosed ? nullptr : in_.data() + end;
  }

  void lexGroup(const char* open) {
    auto record = [&](std::size_t at, std::uint32_t end) {
      if (at >= ends_.size()) ends_.resize(at + 1, kUnknown);
      ends_[at] = end;
    };
    std::vector<std::uint32_t> stack;  // offsets of open brackets, the top bit set for "("
    constexpr std::uint32_t kParen = std::uint32_t{1} << 31;
    std::string_view rest = tail(open);
    for (;;) {
      auto lx = basis::lexeme(rest);
      if (!lx || lx->first.kind == basis::Lexeme::Kind::EndOfInput) break;
      const basis::Lexeme& l = lx->first;
      rest = lx->second;
      if (l.kind != basis::Lexeme::Kind::Punc || l.text.size() != 1) continue;
      const char c = l.text[0];
      const auto offset = static_cast<std::uint32_t>(l.text.data() - in_.data());
      if (c == '(' || c == '[' || c == '{') {
        stack.push_back(offset | (c == '(' ? kParen : 0));
      } else if (c == ')' || c == ']' || c == '}') {
        const std::uint32_t entry = stack.back();
        stack.pop_back();
        if (entry & kParen) record(entry & ~kParen, offset + 1);
        if (stack.empty()) return;
      }
    }
    for (std::uint32_t entry : stack) {
      if (entry & kParen) record(entry & ~kParen, kUnclosed);
    }
  }

  // Reads the layer text at the front of `s` (ending at `end`, or anywhere
  // for the outermost) with holes for children: whether it may parse, and
  // the groups its reader asked for, in order, none inside another.
  Found discover(int d, std::string_view s, const char* end) {
    Found found;
    auto rp = [&](int q, std::string_view t) -> basis::Parses<ChildHole> {
      if (q <= 10) {
        unsupported_ = true;
        return {};
      }
      const std::string_view u = basis::skipSpaces(t);
      if (u.empty() || u[0] != '(') return {};
      const char* close = groupEnd(u.data());
      if (close == nullptr) return {};
      found.groups.push_back(Group{u.data(), close});
      return {{ChildHole{}, tail(close)}};
    };
    auto rl = [&](std::string_view) -> basis::Parses<std::vector<ChildHole>> {
      unsupported_ = true;
      return {};
    };
    auto body = [&](int p, std::string_view t) -> basis::Parses<ChildHole> {
      basis::Parses<ChildHole> out;
      if (p > 10 || unsupported_) return out;
      auto after = basis::expectIdent(t, "Fix");
      if (!after) return out;
      for (auto& parse : basis::Read1<F>::liftReadsPrec(rp, rl, 11, *after)) out.emplace_back(ChildHole{}, parse.second);
      return out;
    };
    for (const auto& parse : basis::runParens(body, d, s)) {
      if (end == nullptr || parse.second.data() == end) found.complete = true;
    }
    std::sort(found.groups.begin(), found.groups.end(),
              [](const Group& a, const Group& b) { return a.begin < b.begin; });
    std::size_t kept = 0;
    for (const Group& g : found.groups) {
      if (kept > 0 && g.begin < found.groups[kept - 1].end) continue;  // the same or inside the last
      found.groups[kept++] = g;
    }
    found.groups.resize(kept);
    return found;
  }

  // Every parse of the layer at the front of `s`, its children answered
  // from the `count` groups on the stack from `first` (any other child read
  // by readFixNested).
  basis::Parses<Fix<F>> readLayer(int d, std::string_view s, std::size_t first, std::size_t count) {
    using Layer = typename Fix<F>::Layer;
    const int base = base_;
    auto nested = [base](int q, std::string_view t) { return readFixNested<F>(base, q, t); };
    auto rp = [&](int q, std::string_view t) -> basis::Parses<Fix<F>> {
      const std::string_view u = basis::skipSpaces(t);
      if (q > 10 && !u.empty() && u[0] == '(') {
        std::size_t lo = first;
        std::size_t hi = first + count;
        while (lo < hi) {
          const std::size_t mid = lo + (hi - lo) / 2;
          if (groups_[mid].begin < u.data()) {
            lo = mid + 1;
          } else {
            hi = mid;
          }
        }
        if (lo < first + count && groups_[lo].begin == u.data()) {
          const Group& g = groups_[lo];
          basis::Parses<Fix<F>> out;
          for (std::size_t i = 0; i < g.count; ++i) out.emplace_back(values_[g.values + i], tail(g.end));
          return out;
        }
      }
      return nested(q, t);
    };
    auto rl = [&nested](std::string_view t) { return basis::readListWith(nested, t); };
    auto body = [&](int p, std::string_view t) -> basis::Parses<Fix<F>> {
      basis::Parses<Fix<F>> out;
      if (p > 10) return out;
      auto after = basis::expectIdent(t, "Fix");
      if (!after) return out;
      for (auto& [layer, rest] : basis::Read1<F>::liftReadsPrec(rp, rl, 11, *after)) {
        out.emplace_back(Fix<F>(Layer(std::move(layer))), rest);
      }
      return out;
    };
    return basis::runParens(body, d, s);
  }

  int base_;
  std::string_view in_;
  bool unsupported_ = false;
  std::vector<std::uint32_t> ends_;
  ChunkedStack<Frame> frames_;
  ChunkedStack<Group> groups_;
  ChunkedStack<Fix<F>> values_;
};

// Every parse of «Fix layer» at precedence d (inside any parentheses), the
// bracket nesting counted from `base` (see readFixNested). Read layer by
// layer from an explicit stack (FixTextReader) where F's reader allows, so
// a text of any depth reads in memory a small multiple of its size; else by
// readFixNested.
//
// A text that starts with "(" is a Fix only inside those parentheses, so a
// group that never closes is no parse at once: an unclosed text of any depth
// is refused after one pass, before a layer is read.
template <class F>
basis::Parses<Fix<F>> readFixFrom(int base, int d, std::string_view in) {
  if (!basis::mayClose(in)) return {};
  if constexpr (ReadsHoles<F>) {
    if (in.size() < (std::size_t{1} << 31)) {
      // One scope (the budget and the group index of basis) for the whole
      // read, as the nested reader's outermost runParens would open.
      const basis::ReadScope scope(in);
      auto parses = basis::withStackRoom([&] {
        const basis::NestingRebase rebase(base);
        return FixTextReader<F>(base, in).run(d);
      });
      if (parses && scope.owner() && scope.exhausted()) parses->clear();
      if (parses) return std::move(*parses);
    }
  }
  return readFixNested<F>(base, d, in);
}

// Every parse of «Fix layer» at precedence d (inside any parentheses).
template <class F>
basis::Parses<Fix<F>> readFix(int d, std::string_view in) {
  return readFixFrom<F>(basis::nestingDepth(), d, in);
}

// Every parse of «name unFix (Fix ...)», made into a T by make.
template <class T, class F, class Make>
basis::Parses<T> readUnfolded(int d, std::string_view in, std::string_view name, const Make& make) {
  auto body = [&](int p, std::string_view s) -> basis::Parses<T> {
    basis::Parses<T> out;
    if (p > 10) return out;
    auto word = basis::expectIdent(s, name);
    if (!word) return out;
    auto unFixWord = basis::expectIdent(*word, "unFix");
    if (!unFixWord) return out;
    for (auto& [x, rest] : readFix<F>(11, *unFixWord)) out.emplace_back(make(x), rest);
    return out;
  };
  return basis::runParens(body, d, in);
}

}  // namespace internal
}  // namespace knotloom

// ---------------------------------------------------------------------------
// Text forms and parsers.

template <class F>
  requires knotloom::internal::Complete<basis::Show1<F>>
struct basis::Show<knotloom::Fix<F>> : basis::ShowDefaults<knotloom::Fix<F>> {
  // Appends «Fix layer», parenthesised when d > 10. O(text); any depth.
  static void showsPrec(int d, const knotloom::Fix<F>& x, std::string& out) {
    knotloom::internal::showFix(d, x, out);
  }
};

template <class F>
  requires knotloom::internal::Complete<basis::Show1<F>>
struct basis::Show<knotloom::Mu<F>> : basis::ShowDefaults<knotloom::Mu<F>> {
  // Appends «unfoldMu unFix (Fix ...)», parenthesised when d > 10. Folds the
  // whole Mu to a Fix first.
  static void showsPrec(int d, const knotloom::Mu<F>& m, std::string& out) {
    basis::showParen(d > 10, out, [&](std::string& o) {
      o += "unfoldMu unFix ";
      knotloom::internal::showFix(11, knotloom::internal::toFix(m), o);
    });
  }
};

template <class F>
  requires knotloom::internal::Complete<basis::Show1<F>>
struct basis::Show<knotloom::Nu<F>> : basis::ShowDefaults<knotloom::Nu<F>> {
  // Appends «unfoldNu unFix (Fix ...)», parenthesised when d > 10; the step
  // runs once per layer printed (an infinite Nu never finishes printing).
  static void showsPrec(int d, const knotloom::Nu<F>& n, std::string& out) {
    basis::showParen(d > 10, out, [&](std::string& o) {
      o += "unfoldNu unFix ";
      knotloom::internal::showFix(11, knotloom::internal::toFix(n), o);
    });
  }
};

template <class F>
  requires knotloom::internal::Complete<basis::Read1<F>>
struct basis::Read<knotloom::Fix<F>> : basis::ReadDefaults<knotloom::Fix<F>> {
  // Every parse of «Fix layer» at precedence d, in any number of parentheses.
  static basis::Parses<knotloom::Fix<F>> readsPrec(int d, std::string_view in) {
    return knotloom::internal::readFix<F>(d, in);
  }
};

template <class F>
  requires knotloom::internal::Complete<basis::Read1<F>>
struct basis::Read<knotloom::Mu<F>> : basis::ReadDefaults<knotloom::Mu<F>> {
  // Every parse of «unfoldMu unFix (Fix ...)»: the Mu that folds that Fix.
  static basis::Parses<knotloom::Mu<F>> readsPrec(int d, std::string_view in) {
    return knotloom::internal::readUnfolded<knotloom::Mu<F>, F>(
        d, in, "unfoldMu", [](const knotloom::Fix<F>& x) { return knotloom::internal::toMu(x); });
  }
};

template <class F>
  requires knotloom::internal::Complete<basis::Read1<F>>
struct basis::Read<knotloom::Nu<F>> : basis::ReadDefaults<knotloom::Nu<F>> {
  // Every parse of «unfoldNu unFix (Fix ...)»: the Nu with step unFix and
  // that Fix as its seed.
  static basis::Parses<knotloom::Nu<F>> readsPrec(int d, std::string_view in) {
    return knotloom::internal::readUnfolded<knotloom::Nu<F>, F>(
        d, in, "unfoldNu", [](const knotloom::Fix<F>& x) { return knotloom::internal::toNu(x); });
  }
};

// ---------------------------------------------------------------------------
// Hashing and deep evaluation of Fix.

template <class F>
  requires knotloom::internal::Complete<basis::Hashable1<F>>
struct basis::Hashable<knotloom::Fix<F>> {
  // The layer's salted hash by F's liftHashWithSalt, the salt passed on as
  // given: a Fix hashes exactly as its layer. O(layers); any depth.
  static std::int64_t hashWithSalt(std::int64_t salt, const knotloom::Fix<F>& x) {
    auto step = [](std::int64_t s, const knotloom::Fix<F>& y, const auto& children) {
      return basis::Hashable1<F>::liftHashWithSalt(children, s, y.unFix());
    };
    return knotloom::internal::deepRun<std::int64_t, std::tuple<std::int64_t, knotloom::Fix<F>>>(step, salt, x);
  }
  // The layer's own hash.
  static std::int64_t hash(const knotloom::Fix<F>& x) {
    using Layer = typename knotloom::Fix<F>::Layer;
    if constexpr (basis::HashableType<Layer>) {
      return basis::Hashable<Layer>::hash(x.unFix());
    } else {
      return hashWithSalt(basis::defaultSalt, x);
    }
  }
};

template <class F>
  requires knotloom::internal::Complete<basis::NFData1<F>>
struct basis::NFData<knotloom::Fix<F>> {
  // Computes every layer and everything F's liftRnf reaches in it, layer by
  // layer from an explicit stack, each layer's children in order.
  static void rnf(const knotloom::Fix<F>& x) {
    knotloom::internal::ChunkedStack<knotloom::Fix<F>> pending;
    std::vector<knotloom::Fix<F>> children;
    pending.emplace_back(x);
    while (!pending.empty()) {
      const knotloom::Fix<F> top = pending.back();
      pending.pop_back();
      children.clear();
      basis::NFData1<F>::liftRnf([&children](const knotloom::Fix<F>& c) { children.push_back(c); }, top.unFix());
      for (auto it = children.rbegin(); it != children.rend(); ++it) pending.emplace_back(*it);
    }
  }
};
