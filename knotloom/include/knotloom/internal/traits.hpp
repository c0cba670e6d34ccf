#pragma once
// Reading the types of algebras, coalgebras and natural transformations.
//
// An algebra written with its parameter type spelled out (a lambda with a
// typed parameter, a function, a std::function) tells its result type and
// whether it wants its children folded (`Apply<F, R>`) or deferred
// (`Apply<F, Lazy<R>>`). A generic algebra (`[](const auto& layer)`) cannot
// tell; the caller names the result type instead: `foldFix<int>(alg, x)`.

#include <any>
#include <functional>
#include <type_traits>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>

namespace knotloom {

// The default of a type parameter that the operation works out from its
// arguments.
struct Infer {};

namespace internal {

// The parameter and result of a callable with one fixed signature; empty for
// generic callables and overload sets.
template <class Sig>
struct SignatureOf {};
template <class R, class A>
struct SignatureOf<R(A)> {
  using result = R;
  using argument = std::remove_cvref_t<A>;
};
template <class R, class A>
struct SignatureOf<R(A) noexcept> : SignatureOf<R(A)> {};
template <class R, class A>
struct SignatureOf<R (*)(A)> : SignatureOf<R(A)> {};
template <class R, class A>
struct SignatureOf<R (*)(A) noexcept> : SignatureOf<R(A)> {};
template <class C, class R, class A>
struct SignatureOf<R (C::*)(A)> : SignatureOf<R(A)> {};
template <class C, class R, class A>
struct SignatureOf<R (C::*)(A) const> : SignatureOf<R(A)> {};
template <class C, class R, class A>
struct SignatureOf<R (C::*)(A) noexcept> : SignatureOf<R(A)> {};
template <class C, class R, class A>
struct SignatureOf<R (C::*)(A) const noexcept> : SignatureOf<R(A)> {};

template <class Fn>
struct CallableSignature : SignatureOf<std::decay_t<Fn>> {};
template <class Fn>
  requires requires { &std::decay_t<Fn>::operator(); }
struct CallableSignature<Fn> : SignatureOf<decltype(&std::decay_t<Fn>::operator())> {};

template <class Fn>
concept HasSignature = requires {
  typename CallableSignature<Fn>::result;
  typename CallableSignature<Fn>::argument;
};

template <class T>
inline constexpr bool isLazy = basis::detail::IsLazy<std::remove_cvref_t<T>>::value;

// X for Lazy<X>, else T itself, without references.
template <class T>
using Unlazy = basis::lazy_value_t<std::remove_cvref_t<T>>;

// The value of a result that may arrive as a Lazy.
template <class T>
decltype(auto) unlazy(T&& x) {
  if constexpr (isLazy<T>) {
    return x.force();
  } else {
    return std::forward<T>(x);
  }
}

template <class Explicit, class Fallback>
using Or = std::conditional_t<std::is_same_v<Explicit, Infer>, Fallback, Explicit>;

// The layer type a coalgebra produces from a seed of type S.
template <class Coalg, class S>
using CoalgebraLayer = Unlazy<std::invoke_result_t<Coalg&, const S&>>;

// The layer functor of a coalgebra's result: given, or the tag of the layer.
template <class F, class Coalg, class S>
struct CoalgebraFunctor {
  using type = F;
};
template <class Coalg, class S>
struct CoalgebraFunctor<Infer, Coalg, S> {
  using Layer = CoalgebraLayer<Coalg, S>;
  static_assert(basis::HasTag<Layer>,
                "the coalgebra's layer type has no basis::TagOf: name the layer functor, "
                "e.g. unfoldFix<F>(coalg, seed)");
  using type = basis::tag_of<Layer>;
};

// How an algebra over F wants its children: folded (strict) or deferred
// (lazy), and the result type R.
template <class F, class R, class Alg>
struct AlgebraShape {
  using result = R;
  static constexpr bool strict = std::is_invocable_v<Alg&, basis::Apply<F, R>&&>;
  static constexpr bool lazy =
      std::conjunction_v<std::bool_constant<!strict>,
                         std::is_invocable<Alg&, basis::Apply<F, basis::Lazy<R>>&&>>;
  static_assert(strict || lazy,
                "the algebra takes neither Apply<F, R> nor Apply<F, basis::Lazy<R>>");
};
template <class F, class Alg>
struct AlgebraShape<F, Infer, Alg> {
  static_assert(HasSignature<Alg>,
                "a generic algebra cannot tell its result type: name it, "
                "e.g. foldFix<R>(alg, x)");
  using result = std::remove_cvref_t<typename CallableSignature<Alg>::result>;
  static constexpr bool lazy =
      std::is_same_v<typename CallableSignature<Alg>::argument,
                     basis::Apply<F, basis::Lazy<result>>>;
  static constexpr bool strict = !lazy;
};

// The monad and result type of a monadic algebra `Apply<F, R> -> Apply<M, R>`.
template <class F, class R, class Alg>
struct MonadicAlgebraShape {
  using result = R;
  using action = std::remove_cvref_t<std::invoke_result_t<Alg&, basis::Apply<F, R>&&>>;
  using monad = basis::tag_of<action>;
};
template <class F, class Alg>
struct MonadicAlgebraShape<F, Infer, Alg> {
  static_assert(HasSignature<Alg>,
                "a generic monadic algebra cannot tell its result type: name it, "
                "e.g. foldFixM<R>(alg, x)");
  using action = std::remove_cvref_t<typename CallableSignature<Alg>::result>;
  using monad = basis::tag_of<action>;
  using result = basis::element_of<action>;
};

// The monad and layer functor of a monadic coalgebra `S -> Apply<M, Apply<F, S>>`.
template <class F, class Coalg, class S>
struct MonadicCoalgebraShape {
  using action = std::remove_cvref_t<std::invoke_result_t<Coalg&, const S&>>;
  using monad = basis::tag_of<action>;
  using layer = basis::element_of<action>;
  using functor = Or<F, basis::tag_of<layer>>;
};

// The target functor of a natural transformation applied to an F-layer.
template <class G, class F, class Nt>
struct TargetFunctor {
  using type = G;
};
template <class F, class Nt>
struct TargetFunctor<Infer, F, Nt> {
  using Image = std::remove_cvref_t<std::invoke_result_t<Nt&, const basis::Apply<F, std::any>&>>;
  static_assert(basis::HasTag<Image>,
                "the transformation's result has no basis::TagOf: name the target functor, "
                "e.g. hoistFix<G>(nt, x)");
  using type = basis::tag_of<Image>;
};

}  // namespace internal
}  // namespace knotloom
