// The README's tour, snippet by snippet, with every result the tour states
// checked: a result that differs from the README's comment is reported and
// fails the run (and with it the `run_examples` target).
#include <basis/basis.hpp>
#include <basis/binary.hpp>
#include <hashgrove/lazy.hpp>
#include <hashgrove/set.hpp>
#include <juxtor/juxtor.hpp>
#include <knotloom/knotloom.hpp>
#include <scriblet/scan.h>
#include <scriblet/scriblet.hpp>
#include <stampwell/stampwell.hpp>
#include <tandemory/functor/rep.hpp>
#include <tandemory/monad/representable/state.hpp>

#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

int mismatches = 0;

// Prints what a tour line gives; reports it and counts a mismatch when it is
// not what the README says.
template <class A, class B>
void check(const char* line, const A& got, const B& stated) {
  if (got == stated) {
    std::cout << "  ok: " << line << '\n';
  } else {
    std::cout << "  MISMATCH: " << line << ": the README states " << basis::show(stated) << ", the code gives "
              << basis::show(got) << '\n';
    ++mismatches;
  }
}

void basisTour() {
  std::cout << "basis\n";
  auto answer = basis::Lazy<int>::defer([] { return 6 * 7; });  // nothing runs yet
  check("defer: nothing runs yet", answer.isEvaluated(), false);
  const auto copy = answer;
  int x = answer.force();  // runs once, shared by copies
  check("force", x, 42);
  check("a copy shares the result", copy.isEvaluated(), true);
}

void hashgroveTour() {
  std::cout << "hashgrove\n";
  namespace hm = hashgrove::lazy;
  auto m = hm::fromList(std::vector<std::pair<std::string, int>>{{"a", 1}, {"b", 2}});
  auto m2 = hm::insert("c", 3, m);  // m unchanged; m2 shares its nodes
  check("insert leaves m unchanged", hm::size(m) == 2 && !hm::member("c", m), true);
  int b = hm::at(m2, "b");  // 2; basis::ErrorCall if absent
  check("at(m2, \"b\")", b, 2);
  bool raised = false;
  try {
    (void)hm::at(m2, "q");
  } catch (const basis::ErrorCall&) {
    raised = true;
  }
  check("at of an absent key raises basis::ErrorCall", raised, true);
  auto z = hm::lookup("z", m2);  // std::optional<basis::Lazy<int>>: empty
  check("lookup(\"z\", m2) is empty", z.has_value(), false);
  int runs = 0;
  auto m3 = hm::insertWith([&runs](int n, int o) { return ++runs, n + o; }, "a", 10, m2);  // stored unevaluated
  check("insertWith stores its sum unevaluated", runs, 0);
  std::size_t pairs = 0;
  for (const auto& [k, v] : m3) {  // trie order; v is the stored basis::Lazy<int>
    (void)k;
    (void)v;
    ++pairs;
  }
  check("m3 has three pairs", pairs, std::size_t{3});
  check("at(m3, \"a\")", hm::at(m3, "a"), 11);
  check("delete_ and show, in trie order", basis::show(hm::delete_("a", m3)),
        std::string(R"(fromList [("c",3),("b",2)])"));

  namespace hs = hashgrove::set;
  hashgrove::HashSet<std::int64_t> s = hs::fromList(std::vector<std::int64_t>{3, 1, 3, 2});
  bool both = hs::member(40, hs::insert(40, s)) && !hs::member(40, s);  // true
  check("a set insert leaves the set unchanged", both, true);
}

void scribletTour() {
  std::cout << "scriblet\n";
  using namespace scriblet::literals;
  scriblet::ShortText t = U"Grüße, 世界!"_st;  // one pointer to one counted UTF-8 block
  check("length", scriblet::length(t), std::int64_t{10});
  check("take 5", scriblet::take(5, t) == U"Grüße"_st, true);
  check("fromByteString of a surrogate", scriblet::fromByteString("\xED\xA0\x80").has_value(), false);
  const std::string_view bytes = t.bytes();
  check("hs_scriblet_is_valid_utf8 of well-formed bytes", hs_scriblet_is_valid_utf8(bytes.data(), bytes.size()), 0);
  check("hs_scriblet_is_valid_utf8 of bytes cut in a character",
        hs_scriblet_is_valid_utf8(bytes.data(), bytes.size() - 2), -1);
  check("hs_scriblet_is_valid_utf8 of a surrogate", hs_scriblet_is_valid_utf8("\xED\xA0\x80", 3), 1);
}

void stampwellTour() {
  std::cout << "stampwell\n";
  auto dns = stampwell::fromASCIIBytes("6ba7b810-9dad-11d1-80b4-00c04fd430c8");  // nothing if malformed
  check("a canonical text parses", dns.has_value(), true);
  check("a malformed text parses", stampwell::fromASCIIBytes("6ba7b810-9dad-11d1-80b4-00c04fd430c").has_value(),
        false);
  std::mt19937_64 gen(std::random_device{}());
  stampwell::UUID id = stampwell::uniformM(gen);  // version 4, RFC variant
  std::string text = stampwell::toASCIIBytes(id);  // lower-case canonical text; also operator<<
  check("version 4", text.substr(14, 1), std::string("4"));
  check("RFC variant", std::string("89ab").find(text[19]) != std::string::npos, true);
  std::ostringstream streamed;
  streamed << id;
  check("operator<< prints the same text", streamed.str(), text);
  check("lower-case text", text.find_first_of("ABCDEF") == std::string::npos, true);
  check("canonical text", stampwell::toASCIIBytes(*stampwell::fromASCIIBytes("6BA7B810-9DAD-11D1-80B4-00C04FD430C8")),
        std::string("6ba7b810-9dad-11d1-80b4-00c04fd430c8"));
  auto [hi, lo] = stampwell::toWords64(*dns);
  check("toWords64", std::pair(hi, lo), std::pair(std::uint64_t{0x6ba7b8109dad11d1}, std::uint64_t{0x80b400c04fd430c8}));
  std::string wire = basis::binary::encode(*dns);  // 16 bytes, network order
  check("binary form", wire, std::string("\x6b\xa7\xb8\x10\x9d\xad\x11\xd1\x80\xb4\x00\xc0\x4f\xd4\x30\xc8", 16));
}

void knotloomTour() {
  std::cout << "knotloom\n";
  using Nat = knotloom::Fix<basis::OptionalTag>;  // Nothing is zero, Just n is n + 1
  auto pred = [](int n) { return n == 0 ? std::nullopt : std::optional<int>(n - 1); };
  auto toInt = [](const std::optional<int>& l) -> int { return l ? *l + 1 : 0; };
  Nat three = knotloom::unfoldFix(pred, 3);  // layers built as they are read
  int n = knotloom::foldFix(toInt, three);   // 3
  check("foldFix", n, 3);
  check("show", basis::show(three), std::string("Fix (Just (Fix (Just (Fix (Just (Fix Nothing))))))"));
  int big = knotloom::refold(toInt, pred, 1'000'000);  // a million layers, constant C++ stack
  check("refold of a million layers", big, 1'000'000);
}

void juxtorTour() {
  std::cout << "juxtor\n";
  auto xs = basis::List<int>::fromRange(std::vector{1, 2, 3});
  auto ys = basis::List<std::string>::fromRange(std::vector<std::string>{"a", "b"});
  check("align", basis::show(juxtor::align(xs, ys)), std::string(R"([These 1 "a",These 2 "b",This 3])"));
  check("zip", basis::show(juxtor::zip(xs, ys)), std::string(R"([(1,"a"),(2,"b")])"));
  check("padZip", basis::show(juxtor::padZip(xs, ys)),
        std::string(R"([(Just 1,Just "a"),(Just 2,Just "b"),(Just 3,Nothing)])"));
  const auto ones = juxtor::repeat<basis::ListTag>(1);
  check("align with an endless list", basis::show(juxtor::align(ones, xs).take(4)),
        std::string("[These 1 1,These 1 2,These 1 3,This 1]"));
  auto stock = hashgrove::lazy::fromList(std::vector<std::pair<std::string, int>>{{"apples", 3}, {"pears", 5}});
  auto price = hashgrove::lazy::fromList(std::vector<std::pair<std::string, double>>{{"apples", 0.5}, {"plums", 2.0}});
  auto both = juxtor::align(stock, price);  // two hashgrove maps, key by key: This/That/These
  check("apples", hashgrove::lazy::at(both, "apples").isThese(), true);
  check("pears", hashgrove::lazy::at(both, "pears").isThis(), true);
  check("plums", hashgrove::lazy::at(both, "plums").isThat(), true);
}

void tandemoryTour() {
  std::cout << "tandemory\n";
  using namespace tandemory;
  std::function<int(const int&)> sq = [](const int& k) { return k * k; };
  check("localRep", index(localRep([](const int& k) { return k + 1; }, sq), 4), 25);
  using S = basis::MonadState<StateTOf<basis::FunctionFrom<int>, basis::IdentityTag>>;
  check("runState", runState(S::state([](const int& s) { return std::pair(s * 2, s + 1); }), 5), std::pair(10, 6));
}

}  // namespace

int main() {
  basisTour();
  hashgroveTour();
  scribletTour();
  stampwellTour();
  knotloomTour();
  juxtorTour();
  tandemoryTour();
  if (mismatches != 0) {
    std::cout << mismatches << " results differ from the README's tour\n";
    return 1;
  }
  std::cout << "every result the README's tour states holds\n";
}
