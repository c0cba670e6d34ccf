// A first tour of tandemory: representable functors, an adjunction, and the
// state, store and continuation structures built on them.
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "tandemory/comonad/representable/store.hpp"
#include "tandemory/functor/adjunction.hpp"
#include "tandemory/functor/rep.hpp"
#include "tandemory/monad/representable/state.hpp"
#include "tandemory/monad/trans/conts.hpp"

using namespace tandemory;
using Int = std::int64_t;

int main() {
  // A Complex is a table over bool: false is the real part, true the imaginary.
  auto z = tabulate<basis::ComplexTag>([](bool imaginary) { return imaginary ? 4.0 : 3.0; });
  std::cout << "tabulate over bool: real " << index(z, false) << ", imaginary " << index(z, true) << "\n";

  // Functions are their own tables; derived operations read them position by position.
  std::function<Int(const Int&)> square = [](const Int& k) { return k * k; };
  auto shifted = localRep([](const Int& k) { return k + 1; }, square);
  std::cout << "localRep (+1) square at 4: " << index(shifted, Int(4)) << "\n";

  // Pairs (e, a) are left adjoint to functions from e: currying.
  auto curried = leftAdjunct<basis::PairOf<Int>>([](const std::pair<Int, std::string>& p) {
    return p.second + "#" + std::to_string(p.first);
  });
  std::cout << "leftAdjunct of a pair function, at \"item\" then 7: " << curried(std::string("item"))(7) << "\n";

  // A state machine whose state is a position of the function table.
  using G = basis::FunctionFrom<Int>;
  using St = basis::Monad<StateTOf<G, basis::IdentityTag>>;
  using MS = basis::MonadState<StateTOf<G, basis::IdentityTag>>;
  auto program = St::bind(MS::get(), [](Int s) { return St::then(MS::put(s * 10), St::return_("was " + std::to_string(s))); });
  auto [result, final] = runState(program, 5);
  std::cout << "state from 5: result \"" << result << "\", final state " << final << "\n";

  // A store: a table of strings with a moving focus.
  using Store = basis::ComonadStore<StoreTOf<basis::FunctionFrom<std::string>, basis::IdentityTag>>;
  auto st = store<basis::FunctionFrom<std::string>>([](const std::string& k) { return "<" + k + ">"; }, std::string("here"));
  auto moved = Store::seek(std::string("there"), st);
  auto around = Store::experiment([](const std::string& s) { return std::vector<std::string>{s + "1", s + "2"}; }, st);
  std::cout << "store: focus " << Store::pos(st) << " reads " << basis::extract(st) << "; after seek reads "
            << basis::extract(moved) << "; experiment reads " << around[0] << " and " << around[1] << "\n";

  // A continuation escaping early: nothing after the escape runs.
  using Cont = ContsTOf<std::string, basis::IdentityTag, basis::IdentityTag>;
  auto early = callCC<std::string, basis::IdentityTag, basis::IdentityTag>([](const auto& escape) {
    return basis::Monad<Cont>::bind(escape(Int(42)), [](Int) { return basis::Applicative<Cont>::pure(Int(0)); });
  });
  std::cout << "callCC escaping with 42: " << runCont(early, [](const Int& v) { return "answer " + std::to_string(v); })
            << "\n";
  return 0;
}
