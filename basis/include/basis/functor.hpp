#pragma once
// Interfaces over type constructors, and Functor.
//
// A type constructor is named by a tag type with a nested
// `template <class A> using apply = ...;` (a constructor with some of its
// parameters fixed is a tag with parameters: EitherOf<E>, FunctionFrom<E>).
// An interface is a class template over the tag (Functor<F>, Foldable<F>,
// Applicative<F>, ...) specialised once per tag; a specialisation may inherit
// the interface's defaults mixin (FunctorDefaults<F>, ...), which defines the
// operations it leaves out from the ones it gives. TagOf<T> maps a concrete
// type back to its tag and element, so the free functions (basis::fmap,
// basis::foldr, basis::traverse, ...) dispatch on their argument; operations
// without a container argument (pure, repeat, tabulate) take the tag
// explicitly: basis::pure<OptionalTag>(1).
//
// Declaring a tag and an instance:
//
//   template <class A> struct Box { A value; };
//   struct BoxTag { template <class A> using apply = Box<A>; };
//   template <class A> struct basis::TagOf<::Box<A>> { using type = ::BoxTag; using element = A; };
//   template <> struct basis::Functor<::BoxTag> : basis::FunctorDefaults<::BoxTag> {
//     template <class Fn, class A>
//     static auto fmap(Fn f, const ::Box<A>& b) { return ::Box<basis::Mapped<Fn, A>>{f(b.value)}; }
//   };
//   static_assert(basis::FunctorTag<::BoxTag>);
//
// Within `basis::Functor<...>` and the rest of such a specialisation, names
// are looked up in basis first: your own names are written qualified
// (`::TreeTag`, `mylib::TreeTag`), or one that basis also declares (Tree,
// TreeTag, ListTag, ...) silently names basis's.

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/lazy.hpp"
#include "basis/stack.hpp"
#include "basis/types.hpp"

namespace basis {

// ---------------------------------------------------------------------------
// Tags and the way back from a type to its tag.

// The type the constructor F builds with element A.
template <class F, class A>
using Apply = typename F::template apply<A>;

// Specialise with `using type = Tag; using element = A;` for each concrete
// type of a constructor.
template <class T>
struct TagOf {};

// The tag of a concrete type, and its element type.
template <class T>
using tag_of = typename TagOf<std::remove_cvref_t<T>>::type;
template <class T>
using element_of = typename TagOf<std::remove_cvref_t<T>>::element;

// A type whose constructor has a tag.
template <class T>
concept HasTag = requires {
  typename tag_of<T>;
  typename element_of<T>;
};

// The result type of f applied to an element A (and B), decayed: what a
// mapping stores.
template <class Fn, class... A>
using Mapped = std::remove_cvref_t<std::invoke_result_t<Fn&, const A&...>>;

// std::optional.
struct OptionalTag {
  template <class A>
  using apply = std::optional<A>;
};
// std::vector (the list applicative and monad: several results).
struct VectorTag {
  template <class A>
  using apply = std::vector<A>;
};
// basis::Identity.
struct IdentityTag {
  template <class A>
  using apply = Identity<A>;
};
// Either<E, _>: a Left stops every combination.
template <class E>
struct EitherOf {
  template <class A>
  using apply = Either<E, A>;
};
// These<L, _>: the left values combine by L's Semigroup.
template <class L>
struct TheseOf {
  template <class A>
  using apply = These<L, A>;
};
// std::pair<L, _>: the element is the second component; the first combines
// by L's Monoid (the writer structure).
template <class L>
struct PairOf {
  template <class A>
  using apply = std::pair<L, A>;
};
// Functions from E (the reader structure), held as std::function.
template <class E>
struct FunctionFrom {
  template <class A>
  using apply = std::function<A(const E&)>;
};

template <class A>
struct TagOf<std::optional<A>> {
  using type = OptionalTag;
  using element = A;
};
template <class A>
struct TagOf<std::vector<A>> {
  using type = VectorTag;
  using element = A;
};
template <class A>
struct TagOf<Identity<A>> {
  using type = IdentityTag;
  using element = A;
};
template <class E, class A>
struct TagOf<Either<E, A>> {
  using type = EitherOf<E>;
  using element = A;
};
template <class L, class A>
struct TagOf<These<L, A>> {
  using type = TheseOf<L>;
  using element = A;
};
template <class L, class A>
struct TagOf<std::pair<L, A>> {
  using type = PairOf<L>;
  using element = A;
};
template <class E, class A>
struct TagOf<std::function<A(const E&)>> {
  using type = FunctionFrom<E>;
  using element = A;
};

// ---------------------------------------------------------------------------
// Operands that may arrive deferred.
//
// The combining operations (liftA2, ap, seqRight, then, ...) take their
// operands as a value of the structure, a Lazy of it, or a callable with no
// arguments that computes it. `demand` yields the value: a Lazy is forced, a
// callable is called, a value is handed on.

namespace detail {
template <class X>
struct LazyValue {
  using type = X;
};
template <class X>
struct LazyValue<Lazy<X>> {
  using type = X;
};
}  // namespace detail

// T for Lazy<T>, else T itself.
template <class X>
using lazy_value_t = typename detail::LazyValue<std::remove_cvref_t<X>>::type;

// The value of an operand that may be deferred. Forces a Lazy (throws what it
// throws); calls a callable once per call of demand. An lvalue operand is
// handed back by reference, a temporary one by value.
template <class X>
decltype(auto) demand(X&& x) {
  using D = std::remove_cvref_t<X>;
  constexpr bool byReference = std::is_lvalue_reference_v<X>;
  if constexpr (detail::IsLazy<D>::value) {
    if constexpr (byReference) {
      return static_cast<const typename D::value_type&>(x.force());
    } else {
      return typename D::value_type(x.force());
    }
  } else if constexpr (HasTag<D> || !std::invocable<D&>) {
    if constexpr (byReference) {
      return static_cast<const D&>(x);
    } else {
      return D(std::move(x));
    }
  } else {
    return x();
  }
}

// The type an operand stands for, once demanded.
template <class X>
using demanded_t = std::remove_cvref_t<decltype(demand(std::declval<X>()))>;

// An operand as a Lazy: a Lazy is shared, a callable becomes its deferred
// computation (run at most once), a value is held evaluated.
template <class X>
Lazy<demanded_t<X>> toLazy(X&& x) {
  using D = std::remove_cvref_t<X>;
  using V = demanded_t<X>;
  if constexpr (detail::IsLazy<D>::value) {
    return std::forward<X>(x);
  } else if constexpr (HasTag<D>) {
    return Lazy<V>(std::forward<X>(x));
  } else if constexpr (std::invocable<D&>) {
    return Lazy<V>::defer(std::forward<X>(x));
  } else {
    return Lazy<V>(std::forward<X>(x));
  }
}

// An element as a plain value: a Lazy element (as lazy containers hand them
// out) is forced; anything else is returned as it is.
template <class X>
const auto& forced(const X& x) {
  if constexpr (detail::IsLazy<X>::value) {
    return x.force();
  } else {
    return x;
  }
}

// f applied to the plain values of xs (each as `forced` gives it), forced
// left to right: an argument list alone leaves that order to the compiler.
// Throws what the first failing element throws, or what f throws.
template <class Fn, class... X>
decltype(auto) applyForced(Fn&& f, const X&... xs) {
  const std::tuple<decltype(forced(xs))...> values{forced(xs)...};  // braces: in order
  return std::apply(std::forward<Fn>(f), values);
}

namespace detail {
// Stand-ins for "any element type" in the completeness concepts.
struct ProbeA {
  friend bool operator==(const ProbeA&, const ProbeA&) = default;
};
struct ProbeB {
  friend bool operator==(const ProbeB&, const ProbeB&) = default;
};
struct ProbeFn {
  ProbeB operator()(const ProbeA&) const { return {}; }
};
}  // namespace detail

// ---------------------------------------------------------------------------
// Functor: fmap, then replace (the platform's `<$`).

template <class F>
struct Functor;

// The defaults of Functor, from fmap.
template <class F>
struct FunctorDefaults {
  // Every element replaced by b; the shape kept. Costs one fmap.
  template <class B, class FA>
  static auto replace(const B& b, const FA& xs) {
    return Functor<F>::fmap([b](const auto&) { return b; }, xs);
  }
};

// F has a complete Functor specialisation.
template <class F>
concept FunctorTag = requires(const Apply<F, detail::ProbeA>& x, detail::ProbeFn fn,
                              const detail::ProbeB& b) {
  { Functor<F>::fmap(fn, x) } -> std::same_as<Apply<F, detail::ProbeB>>;
  { Functor<F>::replace(b, x) } -> std::same_as<Apply<F, detail::ProbeB>>;
};

// f applied to every element, the shape kept. Cost as the instance says.
template <class Fn, HasTag FA>
auto fmap(Fn&& f, const FA& xs) {
  return Functor<tag_of<FA>>::fmap(std::forward<Fn>(f), xs);
}
// Every element replaced by b (the platform's `<$`).
template <class B, HasTag FA>
auto replace(const B& b, const FA& xs) {
  return Functor<tag_of<FA>>::replace(b, xs);
}

// ---------------------------------------------------------------------------
// Functor instances of the standard shapes. All are eager: f runs on every
// element during the call (functions from E excepted, which compose).

template <>
struct Functor<OptionalTag> : FunctorDefaults<OptionalTag> {
  template <class Fn, class A>
  static std::optional<Mapped<Fn, A>> fmap(Fn f, const std::optional<A>& x) {
    if (!x) return std::nullopt;
    return f(*x);
  }
};

template <>
struct Functor<VectorTag> : FunctorDefaults<VectorTag> {
  template <class Fn, class A>
  static std::vector<Mapped<Fn, A>> fmap(Fn f, const std::vector<A>& xs) {
    std::vector<Mapped<Fn, A>> out;
    out.reserve(xs.size());
    for (const auto& x : xs) out.push_back(f(x));
    return out;
  }
};

template <>
struct Functor<IdentityTag> : FunctorDefaults<IdentityTag> {
  template <class Fn, class A>
  static Identity<Mapped<Fn, A>> fmap(Fn f, const Identity<A>& x) {
    return {f(x.value)};
  }
};

template <class E>
struct Functor<EitherOf<E>> : FunctorDefaults<EitherOf<E>> {
  template <class Fn, class A>
  static Either<E, Mapped<Fn, A>> fmap(Fn f, const Either<E, A>& x) {
    if (const E* e = x.leftPtr()) return Left<E>{*e};
    return Right<Mapped<Fn, A>>{f(x.fromRight())};
  }
};

template <class L>
struct Functor<TheseOf<L>> : FunctorDefaults<TheseOf<L>> {
  template <class Fn, class A>
  static These<L, Mapped<Fn, A>> fmap(Fn f, const These<L, A>& x) {
    using R = These<L, Mapped<Fn, A>>;
    return x.fold([](const L& l) { return R::this_(l); }, [&](const A& a) { return R::that(f(a)); },
                  [&](const L& l, const A& a) { return R::these(l, f(a)); });
  }
};

template <class L>
struct Functor<PairOf<L>> : FunctorDefaults<PairOf<L>> {
  template <class Fn, class A>
  static std::pair<L, Mapped<Fn, A>> fmap(Fn f, const std::pair<L, A>& p) {
    return {p.first, f(p.second)};
  }
};

namespace detail {
// A function (or deferred function) that a result function keeps, held
// Allocates as std::allocator does and destroys with stack room: freeing the
// last of a chain of shared closures, each holding the next, frees the chain
// at any depth.
template <class T>
struct RoomyAllocator {
  using value_type = T;
  RoomyAllocator() = default;
  template <class U>
  RoomyAllocator(const RoomyAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
  void deallocate(T* p, std::size_t n) noexcept { std::allocator<T>().deallocate(p, n); }
  template <class U>
  void destroy(U* p) noexcept {
    // The block is deallocated as soon as this returns, so the destruction
    // cannot be postponed: when no segment can be had, it runs here, on the
    // margin, rather than ending the program.
    try {
      withStackRoom([p] { p->~U(); });
    } catch (const MachineryExhausted&) {
      p->~U();
    }
  }
  friend bool operator==(const RoomyAllocator&, const RoomyAllocator&) noexcept { return true; }
};

// shared: copying the result then copies a pointer, not every function it
// was built on, so a chain of n maps or binds is built and copied in O(n),
// and freed at any depth.
template <class T>
std::shared_ptr<const std::remove_cvref_t<T>> heldShared(T&& x) {
  using V = std::remove_cvref_t<T>;
  return std::allocate_shared<const V>(RoomyAllocator<V>(), std::forward<T>(x));
}
}  // namespace detail

// Composition: the result runs g, then f, each time it is applied. A chain
// of maps nests one call per map (and f may call further functions), each
// application made with stack room, so depth is limited by memory alone.
template <class E>
struct Functor<FunctionFrom<E>> : FunctorDefaults<FunctionFrom<E>> {
  template <class Fn, class A>
  static std::function<Mapped<Fn, A>(const E&)> fmap(Fn f, const std::function<A(const E&)>& g) {
    return [f = std::move(f), g = detail::heldShared(g)](const E& e) {
      return withStackRoom([&] { return f((*g)(e)); });
    };
  }
};

}  // namespace basis
