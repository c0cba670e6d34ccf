#include "basis/expr.hpp"

#include <ostream>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "basis/show.hpp"

namespace basis::expr {

// ---------------------------------------------------------------------------
// Names and literals.

Name NameG(NameSpace ns, std::string package, std::string module, std::string occName) {
  Name n;
  n.occName = std::move(occName);
  n.flavour = Name::Flavour::NameG;
  n.nameSpace = ns;
  n.package = std::move(package);
  n.module = std::move(module);
  return n;
}

Name mkNameS(std::string occName) {
  Name n;
  n.occName = std::move(occName);
  return n;
}

bool operator==(const Lit& a, const Lit& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case Lit::Kind::IntegerL: return a.integer == b.integer;
    case Lit::Kind::CharL: return a.character == b.character;
    case Lit::Kind::StringL: return a.string == b.string;
  }
  return false;
}

Lit CharL(char32_t c) {
  Lit l;
  l.kind = Lit::Kind::CharL;
  l.character = c;
  return l;
}

Lit StringL(std::u32string s) {
  Lit l;
  l.kind = Lit::Kind::StringL;
  l.string = std::move(s);
  return l;
}

// ---------------------------------------------------------------------------
// Types.

struct Type::Node : RefCounted {
  Type::Kind kind = Type::Kind::ConT;
  Name name;
  std::vector<Type> parts;  // AppT: function, argument
};

Type::Type(Ref<const Node> n) noexcept : node_(std::move(n)) {}
Type::Type(const Type&) noexcept = default;
Type::Type(Type&&) noexcept = default;
Type& Type::operator=(const Type&) noexcept = default;
Type& Type::operator=(Type&&) noexcept = default;
Type::~Type() = default;

Type::Kind Type::kind() const noexcept { return node_->kind; }
const Name& Type::name() const { return node_->name; }
const Type& Type::function() const { return node_->parts.at(0); }
const Type& Type::argument() const { return node_->parts.at(1); }

bool operator==(const Type& a, const Type& b) {
  if (a.node_ == b.node_) return true;
  return a.node_->kind == b.node_->kind && a.node_->name == b.node_->name &&
         a.node_->parts == b.node_->parts;
}

Type ConT(Name n) {
  auto node = new Type::Node;
  node->kind = Type::Kind::ConT;
  node->name = std::move(n);
  return Type(Ref<const Type::Node>(node));
}
Type AppT(Type f, Type x) {
  auto node = new Type::Node;
  node->kind = Type::Kind::AppT;
  node->parts.push_back(std::move(f));
  node->parts.push_back(std::move(x));
  return Type(Ref<const Type::Node>(node));
}
Type ListT() {
  auto node = new Type::Node;
  node->kind = Type::Kind::ListT;
  return Type(Ref<const Type::Node>(node));
}

// ---------------------------------------------------------------------------
// Expressions.

struct Exp::Node : RefCounted {
  Exp::Kind kind = Exp::Kind::VarE;
  Name name;
  Lit lit;
  // AppE: function, argument. InfixE: operator, then the present operands.
  // ListE, TupE: the elements. SigE: the expression.
  std::vector<Exp> kids;
  bool hasLeft = false;
  bool hasRight = false;
  std::optional<Type> type;

  // Frees a node and every subtree only it holds, with an explicit stack.
  static void destroy(const Node* root) noexcept {
    std::vector<const Node*> pending{root};
    while (!pending.empty()) {
      auto* n = const_cast<Node*>(pending.back());
      pending.pop_back();
      for (Exp& k : n->kids) {
        const Node* c = k.node_.detach();
        if (c != nullptr && c->release()) pending.push_back(c);
      }
      delete n;
    }
  }
};

class ExpAccess {
 public:
  static Exp make(Exp::Node* n) { return Exp(Ref<const Exp::Node>(n)); }
  static const Exp::Node* node(const Exp& e) { return e.node_.get(); }
};

namespace {
using Node = Exp::Node;

Node* fresh(Exp::Kind kind) {
  auto* n = new Node;
  n->kind = kind;
  return n;
}
const Node& nodeOf(const Exp& e) { return *ExpAccess::node(e); }
}  // namespace

Exp::Exp(Ref<const Node> n) noexcept : node_(std::move(n)) {}
Exp::Exp(const Exp&) noexcept = default;
Exp::Exp(Exp&&) noexcept = default;
Exp& Exp::operator=(const Exp&) noexcept = default;
Exp& Exp::operator=(Exp&&) noexcept = default;
Exp::~Exp() = default;

Exp::Kind Exp::kind() const noexcept { return node_->kind; }
const Name& Exp::name() const { return node_->name; }
const Lit& Exp::lit() const { return node_->lit; }
const Exp& Exp::function() const { return node_->kids.at(0); }
const Exp& Exp::argument() const { return node_->kids.at(1); }
const Exp& Exp::op() const { return node_->kids.at(0); }
const Exp* Exp::left() const { return node_->hasLeft ? &node_->kids.at(1) : nullptr; }
const Exp* Exp::right() const {
  return node_->hasRight ? &node_->kids.at(node_->hasLeft ? 2 : 1) : nullptr;
}
const std::vector<Exp>& Exp::elements() const { return node_->kids; }
const Type& Exp::type() const { return node_->type.value(); }

Exp VarE(Name n) {
  Node* node = fresh(Exp::Kind::VarE);
  node->name = std::move(n);
  return ExpAccess::make(node);
}
Exp ConE(Name n) {
  Node* node = fresh(Exp::Kind::ConE);
  node->name = std::move(n);
  return ExpAccess::make(node);
}
Exp LitE(Lit l) {
  Node* node = fresh(Exp::Kind::LitE);
  node->lit = std::move(l);
  return ExpAccess::make(node);
}
Exp AppE(Exp f, Exp x) {
  Node* node = fresh(Exp::Kind::AppE);
  node->kids.reserve(2);
  node->kids.push_back(std::move(f));
  node->kids.push_back(std::move(x));
  return ExpAccess::make(node);
}
Exp InfixE(std::optional<Exp> left, Exp op, std::optional<Exp> right) {
  Node* node = fresh(Exp::Kind::InfixE);
  node->kids.push_back(std::move(op));
  if (left) {
    node->hasLeft = true;
    node->kids.push_back(std::move(*left));
  }
  if (right) {
    node->hasRight = true;
    node->kids.push_back(std::move(*right));
  }
  return ExpAccess::make(node);
}
Exp ListE(std::vector<Exp> elements) {
  Node* node = fresh(Exp::Kind::ListE);
  node->kids = std::move(elements);
  return ExpAccess::make(node);
}
Exp TupE(std::vector<Exp> elements) {
  Node* node = fresh(Exp::Kind::TupE);
  node->kids = std::move(elements);
  return ExpAccess::make(node);
}
Exp SigE(Exp e, Type t) {
  Node* node = fresh(Exp::Kind::SigE);
  node->kids.push_back(std::move(e));
  node->type = std::move(t);
  return ExpAccess::make(node);
}

Exp appsE(Exp f, std::initializer_list<Exp> args) {
  for (const Exp& a : args) f = AppE(std::move(f), a);
  return f;
}

bool operator==(const Exp& a, const Exp& b) {
  std::vector<std::pair<const Node*, const Node*>> pending{{&nodeOf(a), &nodeOf(b)}};
  while (!pending.empty()) {
    auto [x, y] = pending.back();
    pending.pop_back();
    if (x == y) continue;
    if (x->kind != y->kind || x->hasLeft != y->hasLeft || x->hasRight != y->hasRight ||
        x->kids.size() != y->kids.size() || !(x->name == y->name) || !(x->lit == y->lit) ||
        x->type.has_value() != y->type.has_value() || (x->type && !(*x->type == *y->type))) {
      return false;
    }
    for (std::size_t i = 0; i < x->kids.size(); ++i) {
      pending.emplace_back(&nodeOf(x->kids[i]), &nodeOf(y->kids[i]));
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Text form.

namespace {

void renderName(const Name& n, std::string& out) {
  if (n.flavour == Name::Flavour::NameG) {
    out += n.package;
    out += ':';
    out += n.module;
    out += '.';
  }
  out += n.occName;
}

void renderLit(const Lit& l, std::string& out) {
  switch (l.kind) {
    case Lit::Kind::IntegerL: {
      out += "IntegerL ";
      if (l.integer.negative && l.integer.magnitude != 0) out += "(-";
      showUnsignedInteger(l.integer.magnitude, out);
      if (l.integer.negative && l.integer.magnitude != 0) out += ')';
      break;
    }
    case Lit::Kind::CharL:
      out += "CharL ";
      showCharLiteral(l.character, out);
      break;
    case Lit::Kind::StringL:
      out += "StringL ";
      showStringLiteral(l.string, out);
      break;
  }
}

void renderType(const Type& t, int prec, std::string& out) {
  switch (t.kind()) {
    case Type::Kind::ConT:
      out += prec > 10 ? "(ConT " : "ConT ";
      renderName(t.name(), out);
      if (prec > 10) out += ')';
      break;
    case Type::Kind::ListT: out += "ListT"; break;
    case Type::Kind::AppT:
      out += prec > 10 ? "(AppT " : "AppT ";
      renderType(t.function(), 11, out);
      out += ' ';
      renderType(t.argument(), 11, out);
      if (prec > 10) out += ')';
      break;
  }
}

// One step of the printer: a node to print at a precedence, or text.
struct Task {
  const Node* node;
  int prec;
  std::string text;
};

void renderExp(const Exp& root, std::string& out) {
  std::vector<Task> tasks;
  tasks.push_back({&nodeOf(root), 0, {}});
  auto pushText = [&](std::string s) { tasks.push_back({nullptr, 0, std::move(s)}); };
  auto pushNode = [&](const Exp& e, int prec) { tasks.push_back({&nodeOf(e), prec, {}}); };
  while (!tasks.empty()) {
    Task t = std::move(tasks.back());
    tasks.pop_back();
    if (t.node == nullptr) {
      out += t.text;
      continue;
    }
    const Node& n = *t.node;
    const bool paren = t.prec > 10;
    if (paren) out += '(';
    // Tasks run last-pushed first, so the parts are pushed in reverse.
    if (paren) pushText(")");
    switch (n.kind) {
      case Exp::Kind::VarE:
      case Exp::Kind::ConE:
        out += n.kind == Exp::Kind::VarE ? "VarE " : "ConE ";
        renderName(n.name, out);
        break;
      case Exp::Kind::LitE:
        out += "LitE (";
        renderLit(n.lit, out);
        out += ')';
        break;
      case Exp::Kind::AppE:
        out += "AppE ";
        pushNode(n.kids[1], 11);
        pushText(" ");
        pushNode(n.kids[0], 11);
        break;
      case Exp::Kind::InfixE: {
        out += "InfixE ";
        const Exp* l = n.hasLeft ? &n.kids[1] : nullptr;
        const Exp* r = n.hasRight ? &n.kids[n.hasLeft ? 2 : 1] : nullptr;
        if (r) {
          pushText(")");
          pushNode(*r, 11);
          pushText(" (Just ");
        } else {
          pushText(" Nothing");
        }
        pushNode(n.kids[0], 11);
        if (l) {
          pushText(") ");
          pushNode(*l, 11);
          pushText("(Just ");
        } else {
          pushText("Nothing ");
        }
        break;
      }
      case Exp::Kind::ListE:
      case Exp::Kind::TupE: {
        const bool tuple = n.kind == Exp::Kind::TupE;
        out += tuple ? "TupE [" : "ListE [";
        pushText("]");
        for (std::size_t i = n.kids.size(); i-- > 0;) {
          pushNode(n.kids[i], tuple ? 11 : 0);
          if (tuple) pushText("Just ");
          if (i > 0) pushText(",");
        }
        break;
      }
      case Exp::Kind::SigE: {
        out += "SigE ";
        std::string type;
        renderType(*n.type, 11, type);
        pushText(" " + type);
        pushNode(n.kids[0], 11);
        break;
      }
    }
  }
}

}  // namespace

std::string render(const Exp& e) {
  std::string out;
  renderExp(e, out);
  return out;
}
std::string render(const Type& t) {
  std::string out;
  renderType(t, 0, out);
  return out;
}
std::ostream& operator<<(std::ostream& os, const Exp& e) { return os << render(e); }
std::ostream& operator<<(std::ostream& os, const Type& t) { return os << render(t); }

}  // namespace basis::expr
