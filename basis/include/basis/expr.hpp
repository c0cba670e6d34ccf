#pragma once
// basis::expr: source expression trees that rebuild a value (what Lift<T>
// produces). Names carry their name space, package and module; literals are
// unbounded integers, characters and strings; expressions are variables,
// constructors, literals, applications, infix applications, lists, tuples
// and type signatures.
//
// Trees are immutable and share subtrees (intrusively counted). Equality,
// printing and destruction walk with an explicit stack, so a deep tree costs
// no stack depth.

#include <compare>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "basis/ref.hpp"

namespace basis::expr {

// ---------------------------------------------------------------------------
// Names.

enum class NameSpace : unsigned char { VarName, DataName, TcClsName };

// A name: an occurrence name, either plain (NameS) or global (NameG) with
// the name space, package and module it belongs to.
struct Name {
  enum class Flavour : unsigned char { NameS, NameG };
  std::string occName;
  Flavour flavour = Flavour::NameS;
  NameSpace nameSpace = NameSpace::VarName;
  std::string package;
  std::string module;

  friend bool operator==(const Name&, const Name&) = default;
};

// A global name in the given name space.
Name NameG(NameSpace ns, std::string package, std::string module, std::string occName);
// Global names of a variable, a data constructor, a type constructor.
inline Name mkNameG_v(std::string package, std::string module, std::string occName) {
  return NameG(NameSpace::VarName, std::move(package), std::move(module), std::move(occName));
}
inline Name mkNameG_d(std::string package, std::string module, std::string occName) {
  return NameG(NameSpace::DataName, std::move(package), std::move(module), std::move(occName));
}
inline Name mkNameG_tc(std::string package, std::string module, std::string occName) {
  return NameG(NameSpace::TcClsName, std::move(package), std::move(module), std::move(occName));
}
// A plain name, resolved where the expression is used.
Name mkNameS(std::string occName);

// ---------------------------------------------------------------------------
// Literals.

// An unbounded integer as far as the lifted types need: a sign and a 64-bit
// magnitude, so every signed and unsigned 64-bit value is exact.
struct Integer {
  bool negative = false;
  std::uint64_t magnitude = 0;

  template <class T>
    requires std::is_integral_v<T>
  static Integer of(T x) {
    if constexpr (std::is_signed_v<T>) {
      if (x < 0) return {true, static_cast<std::uint64_t>(-(x + 1)) + 1};
    }
    return {false, static_cast<std::uint64_t>(x)};
  }
  friend bool operator==(const Integer& a, const Integer& b) {
    return a.magnitude == b.magnitude && (a.negative == b.negative || a.magnitude == 0);
  }
};

struct Lit {
  enum class Kind : unsigned char { IntegerL, CharL, StringL };
  Kind kind = Kind::IntegerL;
  Integer integer;
  char32_t character = 0;
  std::u32string string;

  friend bool operator==(const Lit& a, const Lit& b);
};

template <class T>
  requires std::is_integral_v<T>
Lit IntegerL(T x) {
  Lit l;
  l.kind = Lit::Kind::IntegerL;
  l.integer = Integer::of(x);
  return l;
}
Lit CharL(char32_t c);
Lit StringL(std::u32string s);

// ---------------------------------------------------------------------------
// Types (for signatures).

class Type {
 public:
  enum class Kind : unsigned char { ConT, AppT, ListT };
  Type(const Type&) noexcept;
  Type(Type&&) noexcept;
  Type& operator=(const Type&) noexcept;
  Type& operator=(Type&&) noexcept;
  ~Type();
  Kind kind() const noexcept;
  // ConT: the type constructor's name.
  const Name& name() const;
  // AppT: the applied type and its argument.
  const Type& function() const;
  const Type& argument() const;

  friend bool operator==(const Type& a, const Type& b);
  struct Node;

 private:
  friend Type ConT(Name);
  friend Type AppT(Type, Type);
  friend Type ListT();
  explicit Type(Ref<const Node> n) noexcept;
  Ref<const Node> node_;
};

Type ConT(Name n);
Type AppT(Type f, Type x);
Type ListT();

// ---------------------------------------------------------------------------
// Expressions.

class Exp {
 public:
  enum class Kind : unsigned char { VarE, ConE, LitE, AppE, InfixE, ListE, TupE, SigE };
  Exp(const Exp&) noexcept;
  Exp(Exp&&) noexcept;
  Exp& operator=(const Exp&) noexcept;
  Exp& operator=(Exp&&) noexcept;
  ~Exp();
  Kind kind() const noexcept;

  // VarE, ConE: the name.
  const Name& name() const;
  // LitE: the literal.
  const Lit& lit() const;
  // AppE: the function and its argument. SigE: `function()` is the
  // expression.
  const Exp& function() const;
  const Exp& argument() const;
  // InfixE: the operator and its operands (null where an operand is absent).
  const Exp& op() const;
  const Exp* left() const;
  const Exp* right() const;
  // ListE, TupE: the elements.
  const std::vector<Exp>& elements() const;
  // SigE: the signature's type.
  const Type& type() const;

  // Structural equality. O(size), no recursion.
  friend bool operator==(const Exp& a, const Exp& b);

  struct Node;

 private:
  friend class ExpAccess;
  explicit Exp(Ref<const Node> n) noexcept;
  Ref<const Node> node_;
};

Exp VarE(Name n);
Exp ConE(Name n);
Exp LitE(Lit l);
Exp AppE(Exp f, Exp x);
// `left op right`; either operand may be absent (a section).
Exp InfixE(std::optional<Exp> left, Exp op, std::optional<Exp> right);
Exp ListE(std::vector<Exp> elements);
Exp TupE(std::vector<Exp> elements);
Exp SigE(Exp e, Type t);

// f applied to each argument in turn: AppE(AppE(f, a1), a2) ...
Exp appsE(Exp f, std::initializer_list<Exp> args);

// A text form for diagnostics, in the constructors' own notation:
// «AppE (ConE base:GHC.Maybe.Just) (LitE (IntegerL 1))». Global names print
// as package:Module.occ. O(size), no recursion.
std::string render(const Exp& e);
std::string render(const Type& t);
std::ostream& operator<<(std::ostream& os, const Exp& e);
std::ostream& operator<<(std::ostream& os, const Type& t);

// An expression known to rebuild a value of type T.
template <class T>
struct TExp {
  Exp unType;
  friend bool operator==(const TExp&, const TExp&) = default;
};

}  // namespace basis::expr
