#pragma once
// knotloom: fixed points of functors and their recursion schemes.
//
// A recursive structure is tied out of a non-recursive layer type: a functor
// tag F (see basis/functor.hpp) whose `apply<A>` is one layer with children
// of type A. Fix<F> holds the layers, Mu<F> the structure's fold, Nu<F> a
// seed and a step. foldFix / unfoldFix / refold (cata / ana / hylo) consume
// and produce them one layer at a time; foldFixM / unfoldFixM / refoldM run
// the steps in a monad.
//
//   using Nat = knotloom::Fix<basis::OptionalTag>;   // Nothing is zero, Just n is n + 1
//   auto pred = [](int n) { return n == 0 ? std::nullopt : std::optional<int>(n - 1); };
//   Nat three = knotloom::unfoldFix(pred, 3);           // built as it is read
//   int n = knotloom::foldFix([](const std::optional<int>& l) -> int { return l ? *l + 1 : 0; }, three);
//   basis::show(three);  // "Fix (Just (Fix (Just (Fix (Just (Fix Nothing))))))"
//
// Depth is limited by memory alone, on any thread's stack:
// - freeing any Fix, Mu or Nu: no nested destructors;
// - folds with an algebra over folded children keep their own stack on the
//   heap (for a layer whose fmap applies its function during the call);
// - algebras over deferred children, folds of Mu values made by wrapMu, the
//   monadic forms, and the children of a layer whose fmap defers its
//   function (basis::List), folded as the algebra reads them: these nest a
//   few C++ frames per layer, and each layer runs where the stack has room
//   (basis/stack.hpp: a fresh heap segment when the stack runs low);
// - a Nu wrapped layer by layer with wrapNu folds in time and memory linear
//   in its depth;
// - showing, comparing, hashing and deep evaluation of Fix, Mu and Nu (a Mu
//   is folded to a Fix first; see interfaces.hpp);
// - parsing reads back any depth that show produces; hostile nesting within
//   one layer yields no parse, and the work stays linear in the input.

#include "knotloom/fixpoints.hpp"
#include "knotloom/generic.hpp"
#include "knotloom/interfaces.hpp"
#include "knotloom/monadic.hpp"
#include "knotloom/schemes.hpp"
