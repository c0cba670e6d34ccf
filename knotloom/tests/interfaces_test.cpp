// Equality, ordering, hashing, deep evaluation, text forms and parsers of
// Fix, Mu and Nu.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <knotloom/interfaces.hpp>
#include <knotloom/knotloom.hpp>

#include "depth_check.hpp"
#include "layers.hpp"
#include "probes.hpp"

namespace knotloom_test {

// A layer whose reader takes its children in the ways a layer reader may:
// End | Step (child), the child at precedence 11 (form 1) | Twice (child),
// the same read as two layers (forms 3 and 4) | Brace {child}, the child
// bare at precedence 0 (form 2) | Rec {child}, read at precedence 11 too,
// so that one layer at 11 is two lexemes (form 5) | Both {child, second},
// two bare children (form 6) | Then child {second}, two bare children, the
// braces of the second where a record form of the first has its own (form 7).
template <class A>
struct MixF {
  int form = 0;
  std::optional<A> child;
  std::optional<A> second;
};
struct MixOf {
  template <class A>
  using apply = MixF<A>;
};

}  // namespace knotloom_test

template <class A>
struct basis::TagOf<knotloom_test::MixF<A>> {
  using type = knotloom_test::MixOf;
  using element = A;
};

template <>
struct basis::Show1<knotloom_test::MixOf> : basis::Show1Defaults<knotloom_test::MixOf> {
  template <class SP, class SL, class A>
  static void liftShowsPrec(const SP& sp, const SL&, int d, const knotloom_test::MixF<A>& l, std::string& out) {
    if (l.form == 0) {
      out += "End";
    } else if (l.form == 5) {
      out += "Rec {";
      sp(0, *l.child, out);
      out += '}';
    } else if (l.form == 6) {
      basis::showParen(d > 10, out, [&](std::string& o) {
        o += "Both {";
        sp(0, *l.child, o);
        o += ", ";
        sp(0, *l.second, o);
        o += '}';
      });
    } else if (l.form == 7) {
      basis::showParen(d > 10, out, [&](std::string& o) {
        o += "Then ";
        sp(0, *l.child, o);
        o += " {";
        sp(0, *l.second, o);
        o += '}';
      });
    } else if (l.form == 2) {
      basis::showParen(d > 10, out, [&](std::string& o) {
        o += "Brace {";
        sp(0, *l.child, o);
        o += '}';
      });
    } else {
      basis::showParen(d > 10, out, [&](std::string& o) {
        o += l.form == 1 ? "Step " : "Twice ";
        sp(11, *l.child, o);
      });
    }
  }
};

template <>
struct basis::Eq1<knotloom_test::MixOf> {
  template <class E, class A, class B>
  static bool liftEq(const E& eq, const knotloom_test::MixF<A>& a, const knotloom_test::MixF<B>& b) {
    if (a.form != b.form || a.child.has_value() != b.child.has_value()) return false;
    if (a.second.has_value() != b.second.has_value()) return false;
    return (!a.child || eq(*a.child, *b.child)) && (!a.second || eq(*a.second, *b.second));
  }
};

template <>
struct basis::Read1<knotloom_test::MixOf> : basis::Read1Defaults<knotloom_test::MixOf> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL&, int d, std::string_view in) {
    using A = basis::ParsedType<RP>;
    using R = knotloom_test::MixF<A>;
    return basis::runParens(
        [&](int p, std::string_view s) {
          auto out = basis::readNullary(s, "End", R{});
          if (auto rec = basis::expectIdent(s, "Rec")) {
            if (auto open = basis::expectPunc(*rec, "{")) {
              for (auto& [c, rest] : rp(0, *open)) {
                if (auto close = basis::expectPunc(rest, "}")) out.emplace_back(R{5, c, {}}, *close);
              }
            }
          }
          if (p > 10) return out;
          if (auto both = basis::expectIdent(s, "Both")) {
            if (auto open = basis::expectPunc(*both, "{")) {
              for (auto& [c, rest] : rp(0, *open)) {
                auto comma = basis::expectPunc(rest, ",");
                if (!comma) continue;
                for (auto& [c2, rest2] : rp(0, *comma)) {
                  if (auto close = basis::expectPunc(rest2, "}")) out.emplace_back(R{6, c, c2}, *close);
                }
              }
            }
          }
          if (auto then = basis::expectIdent(s, "Then")) {
            for (auto& [c, rest] : rp(0, *then)) {
              auto open = basis::expectPunc(rest, "{");
              if (!open) continue;
              for (auto& [c2, rest2] : rp(0, *open)) {
                if (auto close = basis::expectPunc(rest2, "}")) out.emplace_back(R{7, c, c2}, *close);
              }
            }
          }
          if (auto step = basis::expectIdent(s, "Step")) {
            for (auto& [c, rest] : rp(11, *step)) out.emplace_back(R{1, c, {}}, rest);
          }
          if (auto twice = basis::expectIdent(s, "Twice")) {
            for (auto& [c, rest] : rp(11, *twice)) {
              out.emplace_back(R{3, c, {}}, rest);
              out.emplace_back(R{4, c, {}}, rest);
            }
          }
          if (auto brace = basis::expectIdent(s, "Brace")) {
            if (auto open = basis::expectPunc(*brace, "{")) {
              for (auto& [c, rest] : rp(0, *open)) {
                if (auto close = basis::expectPunc(rest, "}")) out.emplace_back(R{2, c, {}}, *close);
              }
            }
          }
          return out;
        },
        d, in);
  }
};

namespace {

using basis::OptionalTag;
using knotloom::Fix;
using knotloom::Mu;
using knotloom::Nu;
using knotloom_test::ListF;
using knotloom_test::ListOf;

// The natural numbers as nested optional layers: Nothing is zero.
using Nat = Fix<OptionalTag>;
Nat zero() { return Nat(std::optional<Nat>()); }
Nat succ(Nat n) { return Nat(std::optional<Nat>(std::move(n))); }
Nat nat(int n) {
  Nat out = zero();
  for (int i = 0; i < n; ++i) out = succ(out);
  return out;
}
Mu<OptionalTag> natMu(int n) { return knotloom::unfoldMu(&knotloom::unFix<OptionalTag>, nat(n)); }
Nu<OptionalTag> natNu(int n) { return knotloom::unfoldNu(&knotloom::unFix<OptionalTag>, nat(n)); }

using L = ListOf<std::int64_t>;
using IntList = Fix<L>;
IntList fromVector(const std::vector<std::int64_t>& xs) { return knotloom_test::fixList(xs); }

TEST(TextForm, ShowsEachTypeAsThePlatformWrites) {
  struct Case {
    std::string shown;
    std::string expected;
  };
  const Case cases[] = {
      {basis::show(nat(1)), "Fix (Just (Fix Nothing))"},
      {basis::showsPrec(11, nat(1)), "(Fix (Just (Fix Nothing)))"},
      {basis::show(zero()), "Fix Nothing"},
      {basis::show(natMu(1)), "unfoldMu unFix (Fix (Just (Fix Nothing)))"},
      {basis::showsPrec(11, natMu(1)), "(unfoldMu unFix (Fix (Just (Fix Nothing))))"},
      {basis::show(natNu(1)), "unfoldNu unFix (Fix (Just (Fix Nothing)))"},
      {basis::showsPrec(11, natNu(1)), "(unfoldNu unFix (Fix (Just (Fix Nothing))))"},
      {basis::show(std::vector<Nat>{zero(), nat(1)}), "[Fix Nothing,Fix (Just (Fix Nothing))]"},
      {basis::show(fromVector({1, -2})), "Fix (Cons 1 (Fix (Cons (-2) (Fix Nil))))"},
      {basis::show(std::vector<IntList>{fromVector({})}), "[Fix Nil]"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, c.expected);
}

TEST(TextForm, ParsesWhatThePlatformWritesAndRejectsTheRest) {
  struct Case {
    std::string text;
    int precedence;
    bool parses;
  };
  const Case cases[] = {
      {"Fix (Just (Fix Nothing))", 0, true},
      {"  ( (Fix (Just ( Fix Nothing ) )) )", 0, true},
      {"Fix (Just (Fix Nothing))", 11, false},
      {"(Fix (Just (Fix Nothing)))", 11, true},
      {"Fix Just (Fix Nothing)", 0, false},
      {"Fixx Nothing", 0, false},
      {"Fix", 0, false},
      {"unfoldMu unFix Fix Nothing", 0, false},
  };
  for (const Case& c : cases) {
    bool complete = false;
    for (const auto& [value, rest] : basis::readsPrec<Nat>(c.precedence, c.text)) {
      complete = complete || basis::skipSpaces(rest).empty();
    }
    EXPECT_EQ(complete, c.parses) << c.text;
  }
  EXPECT_FALSE(basis::read<Mu<OptionalTag>>("unfoldMu unFix Fix Nothing").has_value());
  EXPECT_FALSE(basis::read<Nu<OptionalTag>>("unfoldNu unFix Fix Nothing").has_value());
  EXPECT_FALSE(basis::read<Mu<OptionalTag>>("unfoldNu unFix (Fix Nothing)").has_value());
  for (int d : {0, 10, 11}) {
    auto parses = basis::readsPrec<Mu<OptionalTag>>(d, "(unfoldMu unFix (Fix Nothing))");
    ASSERT_EQ(parses.size(), 1u) << d;
    EXPECT_EQ(parses[0].first, natMu(0));
  }
  EXPECT_TRUE(basis::readsPrec<Mu<OptionalTag>>(11, "unfoldMu unFix (Fix Nothing)").empty());
}

TEST(TextForm, ReadingWhatWasShownGivesAnEqualValue) {
  for (int n : {0, 1, 5}) {
    EXPECT_EQ(basis::read<Nat>(basis::show(nat(n))), nat(n));
    EXPECT_EQ(basis::read<Mu<OptionalTag>>(basis::show(natMu(n))), natMu(n));
    EXPECT_EQ(basis::read<Nu<OptionalTag>>(basis::show(natNu(n))), natNu(n));
  }
  EXPECT_EQ(basis::read<std::vector<Nat>>("[Fix Nothing, Fix (Just (Fix Nothing))]"),
            (std::vector<Nat>{zero(), nat(1)}));
}

RC_GTEST_PROP(TextForm, ShowThenReadIsTheIdentityOnLists, (const std::vector<std::int64_t>& xs)) {
  const IntList x = fromVector(xs);
  RC_ASSERT(basis::read<IntList>(basis::show(x)) == std::optional<IntList>(x));
  const Mu<L> m = knotloom::unfoldMu(&knotloom::unFix<L>, x);
  RC_ASSERT(basis::read<Mu<L>>(basis::show(m)) == std::optional<Mu<L>>(m));
}

TEST(TextForm, PrintsAMillionLayersWithoutOverflowingTheStack) {
  const int n = 1'000'000;
  const std::string text = basis::show(nat(n));
  EXPECT_EQ(text.size(), 13u * n + 11u);
  EXPECT_EQ(text.substr(0, 17), "Fix (Just (Fix (J");
  EXPECT_EQ(basis::show(natNu(1000)).size(), 13u * 1000 + 11u + 17u);
}

TEST(TextForm, DeepTextsReadBackAndHostileNestingYieldsNoParse) {
  std::string opened;
  for (int i = 0; i < 100'000; ++i) opened += "Fix (Just (";
  opened += "Fix Nothing";
  const std::string deep = opened + std::string(200'000, ')');
  EXPECT_EQ(basis::read<Nat>(deep), nat(100'000));
  // The same text with one closing bracket missing, or never closed.
  EXPECT_FALSE(basis::read<Nat>(deep.substr(0, deep.size() - 1)).has_value());
  EXPECT_FALSE(basis::read<Nat>(opened).has_value());
  // Brackets that hold no layer, around a Fix and inside one.
  EXPECT_FALSE(basis::read<Nat>(std::string(100'000, '(')).has_value());
  EXPECT_FALSE(basis::read<Nat>(std::string(100'000, '(') + "Fix Nothing" + std::string(100'000, ')')).has_value());
  EXPECT_FALSE(basis::read<Nat>("Fix (Just " + std::string(100'000, '(') + "Fix Nothing" + std::string(100'001, ')'))
                   .has_value());
}

// The peak memory of one read, in a forked child: the growth of its peak
// resident size over the size of the text; or what went wrong.
template <class Read>
std::string peakPerByte(const std::string& text, double limit, Read read) {
  return depth_check::isolated(depth_check::Stack::Default, [&]() -> std::string {
    const probes::PeakGrowth peak;
    const bool parsed = read(text);
    const double perByte = static_cast<double>(peak.bytes()) / static_cast<double>(text.size());
    if (parsed) return "parsed";
    if (perByte > limit) return "peak " + std::to_string(perByte) + " bytes per byte";
    return "";
  });
}

// The bound on the peak memory of reading a text layer by layer, in bytes
// per byte of text. A sanitizer's own bookkeeping grows with every
// allocation: only the values are checked there.
#if BASIS_ASAN || BASIS_TSAN
constexpr double kLayersReadPeak = 1e9;
#else
constexpr double kLayersReadPeak = 16;
#endif

// Unclosed deep texts are refused after one pass, in memory within a small
// multiple of the text (not a stack of layers being read); a closed one that
// holds no value, in memory within a small multiple too.
TEST(TextForm, UnclosedDeepTextsAreRefusedInMemoryProportionalToTheText) {
  std::string unclosed;
  for (int i = 0; i < 1000000; ++i) unclosed += "Fix (Just (";
  EXPECT_EQ(peakPerByte(unclosed, 16, [](const std::string& t) { return basis::read<Nat>(t).has_value(); }), "");
  EXPECT_EQ(peakPerByte("unfoldMu unFix (" + unclosed, 16,
                        [](const std::string& t) { return basis::read<Mu<OptionalTag>>(t).has_value(); }),
            "");
  // Closed, with no layer at the bottom.
  EXPECT_EQ(peakPerByte(unclosed + "Fix Nothin" + std::string(2000000, ')'), kLayersReadPeak,
                        [](const std::string& t) { return basis::read<Nat>(t).has_value(); }),
            "");
  // One closing parenthesis short.
  std::string shortByOne = unclosed.substr(0, 11 * 1000) + "Fix Nothing" + std::string(2 * 1000 - 1, ')');
  EXPECT_FALSE(basis::read<Nat>(shortByOne).has_value());
  EXPECT_TRUE(basis::read<Nat>(shortByOne + ")").has_value());
}

// The peak memory of one read of a valid text, in a forked child: "" when
// its growth of the peak resident size is within `limit` bytes per byte of
// text and the value read is `expected` (made after the measure); else what
// went wrong.
template <class T, class Make>
std::string peakOfValidRead(const std::string& text, double limit, Make expected) {
  return depth_check::isolated(depth_check::Stack::Default, [&]() -> std::string {
    const probes::PeakGrowth peak;
    const std::optional<T> x = basis::read<T>(text);
    const double perByte = static_cast<double>(peak.bytes()) / static_cast<double>(text.size());
    if (!x) return "no parse";
    if (!(*x == expected())) return "not the value shown";
    if (perByte > limit) return "peak " + std::to_string(perByte) + " bytes per byte";
    return "";
  });
}

// A valid text of any depth reads back in memory within a small multiple of
// the text (the value read included), for Fix, Mu and a layer with fields.
TEST(TextForm, DeepValidTextsReadInMemoryProportionalToTheText) {
  const double limit = kLayersReadPeak;
  const int depth = 1000000;
  const std::string nats = basis::show(nat(depth));
  EXPECT_EQ(peakOfValidRead<Nat>(nats, limit, [&] { return nat(depth); }), "");
  EXPECT_EQ(peakOfValidRead<Mu<OptionalTag>>("unfoldMu unFix (" + nats + ")", limit, [&] { return natMu(depth); }),
            "");
  std::vector<std::int64_t> xs(300000);
  for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = static_cast<std::int64_t>(i) - 150000;
  EXPECT_EQ(peakOfValidRead<IntList>(basis::show(fromVector(xs)), limit, [&] { return fromVector(xs); }), "");
}

// The memory one read of a valid text takes beyond the value it gives, in a
// forked child: "" when the growth of its peak resident size, less the heap
// that building the same value beforehand took, is within `limit` bytes per
// byte of text, and the value read is that value; else what went wrong. For
// texts whose values are larger than the text itself.
template <class T, class Make>
std::string peakBeyondValue(const std::string& text, double limit, Make make) {
  return depth_check::isolated(depth_check::Stack::Default, [&]() -> std::string {
    const std::size_t heap = mallinfo2().uordblks;
    const T expected = make();
    const double value = static_cast<double>(mallinfo2().uordblks - heap);
    const probes::PeakGrowth peak;
    const std::optional<T> x = basis::read<T>(text);
    const double perByte = (static_cast<double>(peak.bytes()) - value) / static_cast<double>(text.size());
    if (!x) return "no parse";
    if (!(*x == expected)) return "not the value shown";
    if (perByte > limit) return "peak " + std::to_string(perByte) + " bytes per byte beyond the value";
    return "";
  });
}

// Rose trees: a layer is the list of its children, "Fix [Fix [],Fix []]".
using Rose = Fix<basis::VectorTag>;
Rose leaf() { return Rose(std::vector<Rose>{}); }
// A chain of n layers, each the only child of the one above.
Rose roseChain(int n) {
  Rose out = leaf();
  for (int i = 0; i < n; ++i) out = Rose(std::vector<Rose>{out});
  return out;
}
// n layers, each three children wide with the middle one deep.
Rose roseWide(int n) {
  Rose out = leaf();
  for (int i = 0; i < n; ++i) out = Rose(std::vector<Rose>{leaf(), out, leaf()});
  return out;
}

// Texts whose children stand bare (at precedence 0) or as list elements
// read layer by layer too, in memory within a small multiple of the text:
// rose trees, deep and wide (whose values alone take some 16 bytes per byte
// of text), and a layer that holds its child in braces.
TEST(TextForm, DeepTextsOfBareChildrenReadInMemoryProportionalToTheText) {
  const double limit = kLayersReadPeak;
  // Under a sanitizer only the values are checked, on shallower texts (still
  // far past any stack).
  const int depth = kLayersReadPeak > 16 ? 100000 : 1000000;
  EXPECT_EQ(peakBeyondValue<Rose>(basis::show(roseChain(depth)), limit, [&] { return roseChain(depth); }), "");
  EXPECT_EQ(peakBeyondValue<Rose>(basis::show(roseWide(depth / 3)), limit, [&] { return roseWide(depth / 3); }), "");
  using Mix = Fix<knotloom_test::MixOf>;
  auto braced = [](int n) {
    Mix out = Mix(knotloom_test::MixF<Mix>{0, std::nullopt, std::nullopt});
    for (int i = 0; i < n; ++i) out = Mix(knotloom_test::MixF<Mix>{2, out, std::nullopt});
    return out;
  };
  EXPECT_EQ(peakOfValidRead<Mix>(basis::show(braced(depth)), limit, [&] { return braced(depth); }), "");
  // Unclosed, and closed with no layer at the bottom.
  std::string open;
  for (int i = 0; i < depth; ++i) open += "Fix [";
  EXPECT_EQ(peakPerByte(open, 16, [](const std::string& t) { return basis::read<Rose>(t).has_value(); }), "");
  EXPECT_EQ(peakPerByte(open + "Fix" + std::string(depth, ']'), limit,
                        [](const std::string& t) { return basis::read<Rose>(t).has_value(); }),
            "");
}

// The forms of a Mix value's layers, outermost first.
std::string mixForms(const Fix<knotloom_test::MixOf>& x) {
  std::string forms;
  for (const Fix<knotloom_test::MixOf>* at = &x;; at = &*at->unFix().child) {
    forms += static_cast<char>('0' + at->unFix().form);
    if (!at->unFix().child) return forms;
  }
}

// Every parse of a text at precedence d, by basis::readsPrec and by the
// nested reader of one C++ frame per layer: each value as its forms and its
// text, with the length of the input left after it.
template <class F, class Key>
std::pair<std::vector<std::pair<std::string, std::size_t>>, std::vector<std::pair<std::string, std::size_t>>>
bothReadings(int d, const std::string& text, Key key) {
  std::pair<std::vector<std::pair<std::string, std::size_t>>, std::vector<std::pair<std::string, std::size_t>>> out;
  for (const auto& [x, rest] : basis::readsPrec<Fix<F>>(d, text)) out.first.emplace_back(key(x), rest.size());
  for (const auto& [x, rest] : knotloom::internal::readFixNested<F>(0, d, text)) {
    out.second.emplace_back(key(x), rest.size());
  }
  return out;
}

// Every parse of a text, as the nested reader of one C++ frame per layer
// gives them: ambiguous layers, children read bare at any depth, and
// children after one whose layer at precedence 11 is more than one lexeme
// (read by the nested reader).
TEST(TextForm, LayerByLayerReadingGivesEveryParseOfTheNestedReader) {
  using Mix = Fix<knotloom_test::MixOf>;
  std::string braced = "Fix End";
  for (int i = 0; i < 3000; ++i) braced = "Fix (Brace {" + braced + "})";
  std::string deep = "Fix (Step (" + braced + "))";
  for (int i = 0; i < 3000; ++i) deep = "Fix (Step (" + deep + "))";
  const std::string texts[] = {
      "Fix End",
      "Fix (Step (Fix End))",
      "Fix (Step (Fix (Step ((Fix (Step (Fix End)))))))",
      "Fix (Twice (Fix (Step (Fix (Twice ((Fix End)))))))",
      "Fix (Twice (Fix (Brace {Fix (Twice (Fix End))})))",
      " ( Fix (Step ( (Fix (Brace {Fix (Step (Fix End))}))) ) ) ",
      "Fix (Brace {Fix (Step (Fix (Brace {Fix End})))})",
      "Fix (Step (Fix (Step (Fix End)) ))) ",
      "Fix (Step (Fix (Step (Fix End)) x))",
      "Fix (Step (Fix End) (Fix End))",
      "Fix (Step [Fix End])",
      "Fix (Brace {((Fix (Brace {Fix End})))})",
      "Fix (Brace {Fix End)",
      "Fix (Brace {Fix (Step (Fix End)}))",
      "Fix (Brace {Fix [}])",
      "Fix (Brace {Fix})",
      "Fix (Brace {Fix (Brace {Fix End}) })",
      "Fix Rec {Fix Rec {Fix End}}",
      "Fix (Step (Fix Rec {Fix End}))",
      "Fix (Brace {Fix Rec {Fix (Twice (Fix End))}})",
      "Fix (Both {Fix End, Fix End})",
      "Fix (Both {Fix Rec {Fix End}, Fix (Brace {Fix End})})",
      "Fix (Both {Fix (Twice (Fix End)), Fix Rec {Fix (Twice (Fix End))}})",
      "Fix (Both {(Fix End), ((Fix (Both {Fix End, Fix End})))})",
      "Fix (Both {Fix End,})",
      "Fix (Both {Fix End Fix End})",
  };
  auto key = [](const Mix& x) { return mixForms(x) + " " + basis::show(x); };
  for (int d : {0, 11}) {
    for (const std::string& text : texts) {
      const auto [got, want] = bothReadings<knotloom_test::MixOf>(d, text, key);
      EXPECT_EQ(got, want) << d << " " << text;
    }
  }
  EXPECT_EQ(basis::readsPrec<Mix>(0, "Fix (Twice (Fix (Twice (Fix (Twice (Fix End))))))").size(), 8u);
  // Children read bare deep down.
  const std::optional<Mix> x = basis::read<Mix>(deep);
  ASSERT_TRUE(x.has_value());
  EXPECT_EQ(mixForms(*x), std::string(3001, '1') + std::string(3000, '2') + "0");
  // Layers of two lexemes at precedence 11, each the first of two children.
  std::string recs = "Fix End";
  for (int i = 0; i < 2000; ++i) recs = "Fix (Both {Fix Rec {" + recs + "}, Fix End})";
  const std::optional<Mix> y = basis::read<Mix>(recs);
  ASSERT_TRUE(y.has_value());
  EXPECT_EQ(basis::show(*y), recs);
}

// A child read bare whose layer is a record form (Rec {x}) spans more than
// the first reading of its parent sees; when the parent's text goes on as
// the record's does (Then x {y}), that reading finds children inside the
// record. Each is read once, inside the record: the work stays linear in
// the text, and a shown value reads back at any depth.
TEST(TextForm, LayerByLayerReadingReadsTheTextInsideARecordChildOnce) {
  using Mix = Fix<knotloom_test::MixOf>;
  auto key = [](const Mix& x) { return mixForms(x) + " " + basis::show(x); };
  const std::string texts[] = {
      "Fix (Then Fix End {Fix End})",
      "Fix (Then Fix Rec {Fix End} {Fix End})",
      "Fix (Then Fix Rec {Fix (Then Fix Rec {Fix End} {Fix End})} {Fix Rec {Fix End}})",
      "Fix (Then Fix Rec {Fix End} {Fix End} {Fix End})",
      "Fix (Then (Fix Rec {Fix End}) {Fix (Twice (Fix End))})",
  };
  for (int d : {0, 11}) {
    for (const std::string& text : texts) {
      const auto [got, want] = bothReadings<knotloom_test::MixOf>(d, text, key);
      EXPECT_EQ(got, want) << d << " " << text;
    }
  }
  for (int depth : {40, 100000}) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "Fix (Then Fix Rec {";
    text += "Fix End";
    for (int i = 0; i < depth; ++i) text += "} {Fix End})";
    const std::optional<Mix> x = basis::read<Mix>(text);
    const double work = static_cast<double>(basis::detail::lastReadWork()) / static_cast<double>(text.size());
    ASSERT_TRUE(x.has_value()) << depth;
    EXPECT_EQ(basis::show(*x), text);
    EXPECT_LT(work, 16.0) << depth;
  }
}

// A rose tree's text from a list of choices (the tree's shape, blanks and
// redundant parentheses), then the text changed at one place or not.
std::string roseText(const std::vector<std::uint8_t>& choices) {
  std::size_t at = 0;
  auto next = [&] { return at < choices.size() ? choices[at++] : std::uint8_t{0}; };
  auto tree = [&](auto& self, int depth) -> std::string {
    const std::uint8_t c = next();
    const std::size_t parens = c % 4 == 3 ? c / 4 % 3 + 1 : 0;
    std::string text = std::string(parens, '(') + (c % 8 == 5 ? "Fix  [ " : "Fix [");
    const int children = depth < 5 ? next() % 4 : 0;
    for (int i = 0; i < children; ++i) {
      if (i > 0) text += c % 16 < 8 ? "," : " , ";
      text += self(self, depth + 1);
    }
    return text + "]" + std::string(parens, ')');
  };
  std::string text = tree(tree, 0);
  const std::uint8_t change = next();
  const std::size_t where = next() % (text.size() + 1);
  static constexpr char kInserted[] = "()[],F ";
  if (change % 3 == 1 && where < text.size()) text.erase(where, 1);
  if (change % 3 == 2) text.insert(where, 1, kInserted[change / 3 % 7]);
  return text;
}

RC_GTEST_PROP(TextForm, LayerByLayerReadingOfRoseTreesGivesEveryParseOfTheNestedReader,
              (const std::vector<std::uint8_t>& choices)) {
  const std::string text = roseText(choices);
  for (int d : {0, 11}) {
    const auto [got, want] = bothReadings<basis::VectorTag>(d, text, [](const Rose& x) { return basis::show(x); });
    RC_ASSERT(got == want);
  }
}

TEST(TextForm, RoseTreesReadBack) {
  struct Case {
    std::string text;
    bool reads;
  };
  const Case cases[] = {
      {"Fix []", true},
      {"Fix [Fix [],Fix [Fix []]]", true},
      {" ( Fix [ (Fix []) , ((Fix [Fix []])) ] ) ", true},
      {"Fix ([Fix []])", true},
      {"Fix [Fix [,]]", false},
      {"Fix [Fix []", false},
      {"Fix [Fix ]]", false},
      {"Fix [Fix [] Fix []]", false},
      {"Fix [(Fix [])", false},
      {"Fix [Fix (Fix [])]", false},
  };
  for (const Case& c : cases) EXPECT_EQ(basis::read<Rose>(c.text).has_value(), c.reads) << c.text;
  EXPECT_EQ(basis::read<Rose>(" ( Fix [ (Fix []) , ((Fix [Fix []])) ] ) "),
            Rose(std::vector<Rose>{leaf(), Rose(std::vector<Rose>{leaf()})}));
}

// Running out of memory in the middle of a read reaches the caller as
// std::bad_alloc, with everything read so far freed.
TEST(TextForm, RunningOutOfMemoryWhileReadingThrowsBadAlloc) {
#if BASIS_ASAN || BASIS_TSAN
  GTEST_SKIP() << "an address-space limit does not hold under a sanitizer";
#else
  const std::string report = depth_check::isolated(depth_check::Stack::Default, []() -> std::string {
    std::string text;
    // Deep enough to need far more than the room left below.
    for (int i = 0; i < 4000000; ++i) text += "Fix (Just (";
    text += "Fix Nothing" + std::string(8000000, ')');
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    std::ifstream status("/proc/self/statm");
    std::size_t pages = 0;
    status >> pages;
    limit.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (std::size_t{256} << 20);
    setrlimit(RLIMIT_AS, &limit);
    try {
      (void)basis::read<Nat>(text);
      return "the read ended without running out of memory";
    } catch (const std::bad_alloc&) {
    }
    // After the failure, reading goes on as before.
    return basis::read<Nat>("Fix (Just (Fix Nothing))") == std::optional<Nat>(nat(1)) ? "" : "no read after";
  });
  EXPECT_EQ(report, "");
#endif
}

TEST(Equality, ComparesLayerByLayer) {
  EXPECT_EQ(nat(3), nat(3));
  EXPECT_NE(nat(3), nat(4));
  EXPECT_EQ(fromVector({1, 2}), fromVector({1, 2}));
  EXPECT_NE(fromVector({1, 2}), fromVector({1, 3}));
  EXPECT_NE(fromVector({1, 2}), fromVector({1}));
  EXPECT_EQ(nat(300'000), nat(300'000));
  EXPECT_NE(nat(300'000), nat(300'001));
}

TEST(Equality, MuValuesBuiltDifferentlyAreEqualWhenTheirLayersAre) {
  const Mu<OptionalTag> wrapped =
      knotloom::wrapMu<OptionalTag>(std::optional<Mu<OptionalTag>>(knotloom::wrapMu<OptionalTag>(std::nullopt)));
  EXPECT_EQ(wrapped, natMu(1));
  EXPECT_EQ(basis::compare(wrapped, natMu(1)), basis::EQ);
  EXPECT_NE(wrapped, natMu(2));
  EXPECT_EQ(natNu(2), knotloom::unfoldNu([](int k) { return k == 0 ? std::optional<int>() : std::optional<int>(k - 1); }, 2));
}

TEST(Equality, InfiniteNuValuesAreComparedUpToTheFirstLayerThatDiffers) {
  // The naturals from 0, and the same with 7 in place of 5.
  auto naturals = [](std::int64_t n) { return ListF<std::int64_t, std::int64_t>::cons(n, n + 1); };
  auto skipping = [](std::int64_t n) { return ListF<std::int64_t, std::int64_t>::cons(n == 5 ? 7 : n, n + 1); };
  const Nu<L> a = knotloom::unfoldNu(naturals, std::int64_t{0});
  const Nu<L> b = knotloom::unfoldNu(skipping, std::int64_t{0});
  EXPECT_NE(a, b);
  EXPECT_EQ(basis::compare(a, b), basis::LT);
  EXPECT_TRUE(a < b);
}

TEST(Ordering, FollowsTheLayerOrdering) {
  struct Case {
    std::vector<std::int64_t> a, b;
    basis::Ordering expected;
  };
  const Case cases[] = {
      {{}, {}, basis::EQ},       {{}, {1}, basis::LT},     {{1}, {}, basis::GT},
      {{1, 2}, {1, 3}, basis::LT}, {{2}, {1, 9}, basis::GT}, {{1, 2}, {1, 2}, basis::EQ},
  };
  for (const Case& c : cases) {
    const IntList a = fromVector(c.a);
    const IntList b = fromVector(c.b);
    EXPECT_EQ(basis::compare(a, b), c.expected);
    EXPECT_EQ(a < b, c.expected == basis::LT);
    EXPECT_EQ(a >= b, c.expected != basis::LT);
    const Mu<L> ma = knotloom::unfoldMu(&knotloom::unFix<L>, a);
    const Mu<L> mb = knotloom::unfoldMu(&knotloom::unFix<L>, b);
    const Nu<L> na = knotloom::unfoldNu(&knotloom::unFix<L>, a);
    const Nu<L> nb = knotloom::unfoldNu(&knotloom::unFix<L>, b);
    // With a lawful ordering all six agree with compare.
    for (auto [lt, le, gt, ge] : {std::tuple(ma < mb, ma <= mb, ma > mb, ma >= mb),
                                  std::tuple(na < nb, na <= nb, na > nb, na >= nb)}) {
      EXPECT_EQ(lt, c.expected == basis::LT);
      EXPECT_EQ(le, c.expected != basis::GT);
      EXPECT_EQ(gt, c.expected == basis::GT);
      EXPECT_EQ(ge, c.expected != basis::LT);
    }
    EXPECT_EQ(basis::compare(ma, mb), c.expected);
    EXPECT_EQ(basis::compare(na, nb), c.expected);
  }
  EXPECT_EQ(basis::compare(nat(200'000), nat(200'001)), basis::LT);
}

TEST(Ordering, MaxAndMinReturnTheSecondAndFirstOnATie) {
  const IntList a = fromVector({1});
  const IntList b = fromVector({1});
  EXPECT_EQ(&knotloom::max(a, b), &b);
  EXPECT_EQ(&knotloom::min(a, b), &a);
  const IntList c = fromVector({2});
  EXPECT_EQ(&knotloom::max(a, c), &c);
  EXPECT_EQ(&knotloom::max(c, a), &c);
  EXPECT_EQ(&knotloom::min(c, a), &a);
}

TEST(Hashing, AFixHashesExactlyAsItsLayer) {
  for (std::int64_t salt : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-7}, basis::defaultSalt}) {
    for (int n : {0, 1, 4}) {
      EXPECT_EQ(basis::hashWithSalt(salt, nat(n)), basis::hashWithSalt(salt, nat(n).unFix()));
    }
    const IntList xs = fromVector({3, 1, 4});
    EXPECT_EQ(basis::hashWithSalt(salt, xs), basis::Hashable1<L>::liftHashWithSalt(
                                                 basis::lifted::hws, salt, xs.unFix()));
  }
  EXPECT_EQ(basis::hash(nat(2)), basis::hash(nat(2).unFix()));
  EXPECT_NE(basis::hash(nat(2)), basis::hash(nat(3)));
  EXPECT_EQ(basis::hashWithSalt(5, nat(300'000)), basis::hashWithSalt(5, nat(300'000)));
}

TEST(DeepEvaluation, ComputesEveryLayer) {
  int layersComputed = 0;
  const IntList xs = knotloom::unfoldFix(
      [&layersComputed](std::int64_t k) {
        ++layersComputed;
        return k == 0 ? ListF<std::int64_t, std::int64_t>::nil() : ListF<std::int64_t, std::int64_t>::cons(k, k - 1);
      },
      std::int64_t{500'000});
  basis::rnf(xs);
  EXPECT_EQ(layersComputed, 500'001);
  const IntList broken(ListF<std::int64_t, IntList>::cons(
      1, IntList(basis::Lazy<IntList::Layer>::raise(basis::Undefined()))));
  EXPECT_THROW(basis::rnf(broken), basis::Undefined);
}

}  // namespace
