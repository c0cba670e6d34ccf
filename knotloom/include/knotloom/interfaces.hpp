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
// text, whether the layer reader takes its children in parentheses, bare or
// in list form; a child whose layer at precedence 11 spans more than one
// lexeme or bracket group (a record form read without parentheses) is read
// by recursing once, where the stack has room. Any depth that show produces
// reads back; basis::kMaxNesting bounds the brackets within one layer only.
// Comparing two infinite structures that never differ does not return.

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
// multiple of the text. Each layer is read twice by F's own reader:
// - first with a hole for every child, which takes the text a child there
//   can span: a parenthesis group whole (a Fix that starts with "(" ends
//   where the group does), or, at precedence 10 or less, the word Fix and
//   the one lexeme or bracket group after it (the layer at precedence 11).
//   A list of children is a list of such holes. Group ends come from an
//   index built by lexing each group once. This finds the children the
//   layer asks for;
// - then, once those children are read (the same way, above it on the
//   stack), with each child answered from its parses.
// A child asked for where the first reading found none (a layer reader that
// takes more than one lexeme or group at precedence 11), or found one inside
// the text of a child before it (see Child), is read by readFixNested, so
// the parses are always those of readFixNested; only such a text costs
// stack and memory by its depth.
template <class F>
class FixTextReader {
 public:
  FixTextReader(int base, std::string_view in) : base_(base), in_(in) {}

  basis::Parses<Fix<F>> run(int d) {
    discover(d, in_);
    if (found_.empty()) return readLayer(d, in_, 0, 0);
    push(in_.data(), d);
    for (;;) {
      Frame& top = frames_.back();
      if (top.next < children_.size()) {
        Child& c = children_[top.next];
        ++top.next;
        if (c.begin < top.reach) {
          // Inside the text of a child read before it: left to readFixNested.
          c.skipped = true;
          continue;
        }
        const int p = c.bare ? 0 : 11;
        discover(p, tail(at(c.begin)));
        if (found_.empty()) {
          finish(c, readLayer(p, tail(at(c.begin)), 0, 0));
        } else {
          push(at(c.begin), p);
        }
        continue;
      }
      const Frame done = top;
      basis::Parses<Fix<F>> parses = readLayer(done.precedence, tail(at(done.begin)), done.children,
                                               children_.size() - done.children);
      children_.truncate(done.children);
      values_.truncate(done.values);
      frames_.pop_back();
      if (frames_.empty()) return parses;
      finish(children_[frames_.back().next - 1], std::move(parses));
    }
  }

 private:
  // Offsets into the text (shorter than 2^31 bytes).
  using Offset = std::uint32_t;

  // A child a layer asks for: the text it can span, whether it is read bare
  // (at precedence 10 or less, starting with Fix) or is a parenthesis group,
  // and where its parses lie on the stack of values once read. A child that
  // starts inside the text a child before it was read to (one read bare
  // whose layer at precedence 11 spans more than its first lexeme, so the
  // first reading went on inside it) is skipped: that text was read once
  // already, and reading it again at every layer would double the work per
  // layer. Should the layer ask for it after all, readFixNested reads it.
  struct Child {
    Offset begin;
    Offset end;
    Offset count = 0;
    bool bare;
    std::size_t values = 0;
    bool skipped = false;
  };
  // A layer whose children are being read: its children, from `children`
  // to the top of their stack (`next` the first not yet read), their parses
  // from `values` on, the layer's own text and precedence, and the furthest
  // its children read so far reach.
  struct Frame {
    std::size_t values;
    Offset children;
    Offset next;
    Offset begin;
    int precedence;
    Offset reach = 0;
  };
  struct Value {
    Fix<F> x;
    const char* rest;
  };

  const char* at(Offset offset) const noexcept { return in_.data() + offset; }
  Offset offset(const char* p) const noexcept { return static_cast<Offset>(p - in_.data()); }
  std::string_view tail(const char* p) const noexcept {
    return std::string_view(p, static_cast<std::size_t>(in_.data() + in_.size() - p));
  }
  // Whether t is what follows some point of the text (a layer reader may
  // hand its children text of its own).
  bool isTail(std::string_view t) const noexcept {
    const auto begin = reinterpret_cast<std::uintptr_t>(in_.data());
    const auto p = reinterpret_cast<std::uintptr_t>(t.data());
    return p >= begin && p - begin <= in_.size() && t.size() == in_.size() - (p - begin);
  }

  // Opens a frame for the layer at `begin`, its children those just found.
  void push(const char* begin, int precedence) {
    const auto first = static_cast<Offset>(children_.size());
    frames_.emplace_back(Frame{values_.size(), first, first, offset(begin), precedence});
    for (const Child& c : found_) children_.emplace_back(c);
  }

  // The parses of a child of the top frame onto the stack of values (for a
  // group, those that end with it).
  void finish(Child& c, basis::Parses<Fix<F>> parses) {
    Frame& parent = frames_.back();
    c.values = values_.size();
    for (auto& [x, rest] : parses) {
      if (c.bare || rest.data() == at(c.end)) {
        parent.reach = std::max(parent.reach, offset(rest.data()));
        values_.emplace_back(Value{std::move(x), rest.data()});
      }
    }
    c.count = static_cast<Offset>(values_.size() - c.values);
  }

  // The end of the bracket group opened at `open`, or nullptr when it never
  // closes. Lexes the group the first time, recording every group inside
  // it; a binary search after. The index holds one entry per bracket pair,
  // in the order of the text.
  const char* groupEnd(const char* open) {
    const Offset o = offset(open);
    auto found = std::lower_bound(ends_.begin(), ends_.end(), o,
                                  [](const std::pair<Offset, Offset>& e, Offset x) { return e.first < x; });
    if (found == ends_.end() || found->first != o) found = lexGroup(open, found);
    return found->second == kUnclosed ? nullptr : at(found->second);
  }

  static constexpr Offset kUnclosed = ~Offset{0};
  using GroupIndex = std::vector<std::pair<Offset, Offset>>;

  // Lexes the group opened at `open` (outside every group lexed so far) into
  // the index at `place`, where its entry belongs; its entry.
  GroupIndex::iterator lexGroup(const char* open, GroupIndex::iterator place) {
    GroupIndex batch;  // in the order the brackets open
    std::vector<std::size_t> stack;  // the entries of the open brackets
    std::string_view rest = tail(open);
    for (;;) {
      auto lx = basis::lexeme(rest);
      if (!lx || lx->first.kind == basis::Lexeme::Kind::EndOfInput) break;
      const basis::Lexeme& l = lx->first;
      rest = lx->second;
      if (l.kind != basis::Lexeme::Kind::Punc || l.text.size() != 1) continue;
      const char c = l.text[0];
      if (c == '(' || c == '[' || c == '{') {
        stack.push_back(batch.size());
        batch.emplace_back(offset(l.text.data()), kUnclosed);
      } else if (c == ')' || c == ']' || c == '}') {
        batch[stack.back()].second = offset(l.text.data()) + 1;
        stack.pop_back();
        if (stack.empty()) break;
      }
    }
    if (batch.empty()) batch.emplace_back(offset(open), kUnclosed);
    // The batch starts with `open`; groups are lexed mostly in the order of
    // the text, so this is mostly an append.
    return ends_.insert(place, batch.begin(), batch.end());
  }

  // The text a child read at precedence q from t can span, into c; false
  // when no child can start there: at the end, at "(" whose group never
  // closes, at precedence 11 without "(", not at the word Fix, or at Fix
  // whose layer would start with a bracket that never closes (a layer's
  // text is never empty).
  bool span(int q, std::string_view t, Child& c) {
    const std::string_view u = basis::skipSpaces(t);
    if (u.empty()) return false;
    if (u[0] == '(') {
      const char* end = groupEnd(u.data());
      if (end == nullptr) return false;
      c = Child{offset(u.data()), offset(end), 0, false};
      return true;
    }
    if (q > 10) return false;
    auto after = basis::expectIdent(u, "Fix");
    if (!after) return false;
    auto lx = basis::lexeme(*after);
    if (!lx || lx->first.kind == basis::Lexeme::Kind::EndOfInput) return false;
    const basis::Lexeme& l = lx->first;
    const char* end = lx->second.data();
    if (l.kind == basis::Lexeme::Kind::Punc && (l.text == "(" || l.text == "[" || l.text == "{")) {
      end = groupEnd(l.text.data());
      if (end == nullptr) return false;
    }
    c = Child{offset(u.data()), offset(end), 0, true};
    return true;
  }

  // Reads the layer text at the front of `s` with holes for children; the
  // children its reader asked for go to found_, in order, none inside
  // another.
  void discover(int d, std::string_view s) {
    found_.clear();
    auto rp = [this](int q, std::string_view t) -> basis::Parses<ChildHole> {
      Child c{};
      if (!isTail(t) || !span(q, t, c)) return {};
      found_.push_back(c);
      return {{ChildHole{}, tail(at(c.end))}};
    };
    auto rl = [&rp](std::string_view t) { return basis::readListWith(rp, t); };
    auto body = [&](int p, std::string_view t) -> basis::Parses<ChildHole> {
      basis::Parses<ChildHole> out;
      if (p > 10) return out;
      auto after = basis::expectIdent(t, "Fix");
      if (!after) return out;
      for (auto& parse : basis::Read1<F>::liftReadsPrec(rp, rl, 11, *after)) out.emplace_back(ChildHole{}, parse.second);
      return out;
    };
    (void)basis::runParens(body, d, s);
    std::sort(found_.begin(), found_.end(), [](const Child& a, const Child& b) { return a.begin < b.begin; });
    std::size_t kept = 0;
    for (const Child& c : found_) {
      if (kept > 0 && c.begin < found_[kept - 1].end) continue;  // the same or inside the last
      found_[kept++] = c;
    }
    found_.resize(kept);
  }

  // Every parse of the layer at the front of `s` at precedence d, its
  // children answered from the `count` children on the stack from `first`
  // (any other child read by readFixNested).
  basis::Parses<Fix<F>> readLayer(int d, std::string_view s, std::size_t first, std::size_t count) {
    using Layer = typename Fix<F>::Layer;
    auto rp = [&](int q, std::string_view t) -> basis::Parses<Fix<F>> {
      if (!isTail(t)) return readFixNested<F>(base_, q, t);
      const Offset o = offset(basis::skipSpaces(t).data());
      std::size_t lo = first;
      std::size_t hi = first + count;
      while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (children_[mid].begin < o) {
          lo = mid + 1;
        } else {
          hi = mid;
        }
      }
      Child c{};
      if (lo < first + count && children_[lo].begin == o && (q <= 10 || !children_[lo].bare)) {
        if (children_[lo].skipped) return readFixNested<F>(base_, q, t);
        c = children_[lo];
      } else if (!span(q, t, c)) {
        return {};
      } else {
        return readFixNested<F>(base_, q, t);
      }
      basis::Parses<Fix<F>> out;
      out.reserve(c.count);
      for (std::size_t i = 0; i < c.count; ++i) {
        const Value& v = values_[c.values + i];
        out.emplace_back(v.x, tail(v.rest));
      }
      return out;
    };
    auto rl = [&rp](std::string_view t) { return basis::readListWith(rp, t); };
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
  GroupIndex ends_;
  std::vector<Child> found_;
  ChunkedStack<Frame> frames_;
  ChunkedStack<Child> children_;
  ChunkedStack<Value> values_;
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
      if (scope.owner() && scope.exhausted()) parses.clear();
      return parses;
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
