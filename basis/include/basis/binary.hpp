#pragma once
// Binary serialisation: Put appends big-endian bytes to a string; Get reads
// them back from a byte view (or a sequence of chunks) and ends in a failure
// result with a message instead of reading past its input.
//
// Binary<T> supplies
//   static void put(const T& x, Put& p);
//   static std::optional<T> get(Get& g);   // nothing after g.fail(...)
// and may write its own list form (`putList`, `getList`; BinaryDefaults<T>
// gives the usual one: a signed 64-bit count, then the elements, and
// binary::putList/getList fall back to it for a type that does not inherit
// it), and may state the fewest bytes any value takes as
//   static constexpr std::size_t leastSize;
// (one byte when it does not). A decoder never throws on bad input, never
// reads outside its input, never allocates by a count read from the input
// before the bytes it announces are known to be there, and never holds more
// than a small constant times its input.

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <ranges>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace basis::binary {

// An encoder: appends to its own string or to one the caller lends it.
class Put {
 public:
  Put() noexcept : out_(&own_) {}
  // Appends to `sink`, which must outlive this Put.
  explicit Put(std::string& sink) noexcept : out_(&sink) {}
  Put(const Put&) = delete;
  Put& operator=(const Put&) = delete;

  void putWord8(std::uint8_t x) { out_->push_back(static_cast<char>(x)); }
  void putWord16be(std::uint16_t x) { putBigEndian(x, 2); }
  void putWord32be(std::uint32_t x) { putBigEndian(x, 4); }
  void putWord64be(std::uint64_t x) { putBigEndian(x, 8); }
  void putInt64be(std::int64_t x) { putBigEndian(static_cast<std::uint64_t>(x), 8); }
  // The bytes, unchanged and without a length.
  void putByteString(std::string_view bytes) { out_->append(bytes); }

  // The bytes written so far (into the sink, when one was lent).
  const std::string& bytes() const noexcept { return *out_; }
  // Moves the bytes out of this Put's own string.
  std::string take() { return std::move(*out_); }

 private:
  void putBigEndian(std::uint64_t x, int width) {
    char buf[8];
    for (int i = width - 1; i >= 0; --i) {
      buf[i] = static_cast<char>(x & 0xFF);
      x >>= 8;
    }
    out_->append(buf, static_cast<std::size_t>(width));
  }
  std::string own_;
  std::string* out_;
};

// The unconsumed input of a decoder: a slice of the bytes it was given,
// shared, never copied. A Rest of a std::string_view or of chunks refers to
// the caller's bytes and is valid while they are; a Rest of a std::string
// handed over by value holds that string, and lives as long as any copy of
// the Rest. Copying a Rest copies no bytes. O(1) to copy.
class Rest {
 public:
  // No bytes.
  Rest() = default;
  // The caller's bytes, which must outlive the Rest and its copies.
  static Rest view(std::string_view bytes);
  // The bytes, taken over (moved, not copied) and shared by every copy.
  static Rest take(std::string bytes);

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  // The bytes as views, in order, with no empty view. O(pieces).
  std::vector<std::string_view> chunks() const;
  // The bytes joined into one new string. O(size).
  std::string str() const;
  // The same, where a std::string is wanted (a rest used to be one). O(size).
  operator std::string() const { return str(); }

  // Same bytes in the same order, wherever the pieces break. O(size).
  friend bool operator==(const Rest& r, std::string_view bytes) noexcept;
  // Writes the bytes unchanged.
  friend std::ostream& operator<<(std::ostream& os, const Rest& r);

 private:
  friend class Get;
  std::shared_ptr<const std::string> owned_;                     // a taken-over input
  std::shared_ptr<const std::vector<std::string_view>> pieces_;  // a chunked input
  std::string_view head_;  // the unread bytes of the current piece; empty only when size_ is 0
  std::size_t next_ = 0;   // the piece after head_, in *pieces_
  std::size_t size_ = 0;
};

// A decoder's cursor. Reads return nothing once the cursor has failed; the
// first failure fixes the message and the position. The input's bytes must
// outlive the Get (unless a Rest holds them).
class Get {
 public:
  explicit Get(std::string_view input);
  // Input arriving as chunks, read as their concatenation; a read that
  // straddles chunks gathers the bytes it needs. Empty chunks are skipped.
  explicit Get(std::vector<std::string_view> chunks);
  // Continues from an earlier decoder's rest, sharing its bytes. O(1).
  explicit Get(Rest input) noexcept;

  std::optional<std::uint8_t> getWord8();
  std::optional<std::uint16_t> getWord16be();
  std::optional<std::uint32_t> getWord32be();
  std::optional<std::uint64_t> getWord64be();
  std::optional<std::int64_t> getInt64be();
  // The next n bytes, copied; fails with "not enough bytes" (allocating
  // nothing) when fewer remain.
  std::optional<std::string> getByteString(std::size_t n);
  // Copies the next n bytes to dst, gathering them across chunks; false
  // (and failed, copying nothing) when fewer remain. O(n + chunks crossed).
  bool getBytesInto(char* dst, std::size_t n);
  // Skips n bytes; false (and failed) when fewer remain.
  bool skip(std::size_t n);

  // Ends decoding with a failure result carrying `message`; the position
  // stays where it is. Only the first failure counts.
  void fail(std::string message);
  bool failed() const noexcept { return failed_; }
  const std::string& message() const noexcept { return message_; }

  // Bytes consumed so far, and bytes left.
  std::size_t bytesRead() const noexcept { return consumed_; }
  std::size_t bytesRemaining() const noexcept { return in_.size(); }
  bool isEmpty() const noexcept { return in_.empty(); }
  // The unconsumed input, sharing the input's bytes. O(1).
  const Rest& rest() const noexcept { return in_; }
  // The unconsumed input, as views into the caller's chunks.
  std::vector<std::string_view> remainingChunks() const { return in_.chunks(); }
  // The unconsumed input joined into one string.
  std::string remainingBytes() const { return in_.str(); }

 private:
  bool readInto(char* dst, std::size_t n);
  template <class W>
  std::optional<W> getBigEndian(std::size_t width);

  Rest in_;
  std::size_t consumed_ = 0;
  bool failed_ = false;
  std::string message_;
};

// The outcome of running a decoder: the value, or the failure message; with
// the bytes consumed and the unconsumed input either way. `remaining` shares
// the input's bytes (see Rest for how long it is valid), so decoding one
// value after another from it copies nothing.
template <class T>
struct Result {
  std::optional<T> value;
  std::string message;  // empty on success
  std::size_t consumed = 0;
  Rest remaining;

  bool ok() const noexcept { return value.has_value(); }
};

}  // namespace basis::binary

namespace basis {
template <class T>
struct Binary;
}  // namespace basis

namespace basis::binary {

template <class T>
concept BinaryType = requires(const T& x, Put& p, Get& g) {
  Binary<T>::put(x, p);
  { Binary<T>::get(g) } -> std::same_as<std::optional<T>>;
};

// Runs `decoder(g)` (returning std::optional<T>) over g and gathers the result.
template <class T, class F>
Result<T> runGet(F&& decoder, Get& g) {
  Result<T> r;
  std::optional<T> v = std::forward<F>(decoder)(g);
  if (g.failed() || !v) {
    if (!g.failed()) g.fail("decoder failed");
    r.message = g.message();
  } else {
    r.value = std::move(v);
  }
  r.consumed = g.bytesRead();
  r.remaining = g.rest();
  return r;
}

// The bytes of x. O(size of the encoding).
template <class T>
std::string encode(const T& x) {
  Put p;
  Binary<T>::put(x, p);
  return p.take();
}
// Decodes a T from the front of `input`; never throws on bad input. The
// result's rest refers to the caller's bytes.
template <class T>
Result<T> decode(std::string_view input) {
  Get g(input);
  return runGet<T>([](Get& h) { return Binary<T>::get(h); }, g);
}
// The same over a string handed over by value (a temporary or a moved
// string): the result's rest holds the string, taken over without copying.
template <class T, class S>
  requires(std::same_as<std::remove_cvref_t<S>, std::string> && !std::is_lvalue_reference_v<S>)
Result<T> decode(S&& input) {
  Get g(Rest::take(std::forward<S>(input)));
  return runGet<T>([](Get& h) { return Binary<T>::get(h); }, g);
}
// The same over input arriving in chunks; the rest refers to the caller's
// chunks.
template <class T>
Result<T> decode(std::vector<std::string_view> chunks) {
  Get g(std::move(chunks));
  return runGet<T>([](Get& h) { return Binary<T>::get(h); }, g);
}
// The same continuing from an earlier result's rest, sharing its bytes: a
// loop decoding n values from one buffer is O(n + its bytes).
template <class T>
Result<T> decode(const Rest& input) {
  Get g(input);
  return runGet<T>([](Get& h) { return Binary<T>::get(h); }, g);
}

// The list form: the count as a signed 64-bit integer, then each element.
template <std::ranges::input_range R, class PutElem>
void putListWith(PutElem&& putElem, const R& xs, Put& p) {
  std::int64_t n = 0;
  if constexpr (std::ranges::sized_range<R>) {
    n = static_cast<std::int64_t>(std::ranges::size(xs));
  } else {
    for (auto it = std::ranges::begin(xs); it != std::ranges::end(xs); ++it) ++n;
  }
  p.putInt64be(n);
  for (const auto& x : xs) putElem(x, p);
}

// The fewest bytes a value of T takes in its binary form: the `leastSize`
// its Binary specialisation states, else one byte.
template <class T>
constexpr std::size_t leastEncodedSize() noexcept {
  if constexpr (requires {
                  { Binary<T>::leastSize } -> std::convertible_to<std::size_t>;
                }) {
    return Binary<T>::leastSize;
  } else {
    return 1;
  }
}

// Reads the list form with `getElem(g)` per element. A count that is
// negative or larger than the bytes left fails with "not enough bytes"
// at once (every element takes at least one byte). Room is reserved for no
// more elements than the bytes left could hold at T's least encoded size,
// so a count the input cannot back costs no more memory than a valid list
// of the same size.
template <class T, class GetElem>
std::optional<std::vector<T>> getListWith(GetElem&& getElem, Get& g) {
  std::optional<std::int64_t> n = g.getInt64be();
  if (!n) return std::nullopt;
  if (*n < 0 || static_cast<std::uint64_t>(*n) > g.bytesRemaining()) {
    g.fail("not enough bytes");
    return std::nullopt;
  }
  std::vector<T> xs;
  constexpr std::size_t least = leastEncodedSize<T>() == 0 ? 1 : leastEncodedSize<T>();
  xs.reserve(std::min(static_cast<std::size_t>(*n), g.bytesRemaining() / least));
  for (std::int64_t i = 0; i < *n; ++i) {
    std::optional<T> x = getElem(g);
    if (!x) return std::nullopt;
    xs.push_back(std::move(*x));
  }
  return xs;
}

}  // namespace basis::binary

namespace basis::binary {

// The list form of xs, elements of type T: Binary<T>'s own `putList` when it
// writes one, else the count and each element's `put`. O(elements).
template <class T, std::ranges::input_range R>
void putList(const R& xs, Put& p) {
  if constexpr (requires { Binary<T>::putList(xs, p); }) {
    Binary<T>::putList(xs, p);
  } else {
    putListWith([](const T& x, Put& q) { Binary<T>::put(x, q); }, xs, p);
  }
}

// Reads the list form of T: Binary<T>'s own `getList` when it reads one,
// else `getListWith` over its `get`. Nothing after g.fail(...).
template <class T>
std::optional<std::vector<T>> getList(Get& g) {
  if constexpr (requires {
                  { Binary<T>::getList(g) } -> std::same_as<std::optional<std::vector<T>>>;
                }) {
    return Binary<T>::getList(g);
  } else {
    return getListWith<T>([](Get& h) { return Binary<T>::get(h); }, g);
  }
}

// Reads a count as `getListWith` does (failing at once on a count the bytes
// left cannot back), then calls each(g) that many times, stopping at the
// first false. Used by the containers that are not built as a vector.
template <class Each>
bool getCounted(Get& g, Each&& each) {
  std::optional<std::int64_t> n = g.getInt64be();
  if (!n) return false;
  if (*n < 0 || static_cast<std::uint64_t>(*n) > g.bytesRemaining()) {
    g.fail("not enough bytes");
    return false;
  }
  for (std::int64_t i = 0; i < *n; ++i) {
    if (!each(g)) return false;
  }
  return true;
}

}  // namespace basis::binary

namespace basis {

// The defaults of a Binary specialisation: the list form as the count and
// each element. A specialisation that writes neither still has a list form
// (binary::putList and binary::getList fall back to the same); one that
// writes its own `putList` or `getList` is used for lists, and lists of
// lists, of it.
template <class T>
struct BinaryDefaults {
  // The list form of xs with this type's `put` per element.
  template <std::ranges::input_range R>
  static void putList(const R& xs, binary::Put& p) {
    binary::putListWith([](const T& x, binary::Put& q) { Binary<T>::put(x, q); }, xs, p);
  }
  // The list form read back with this type's `get` per element.
  static std::optional<std::vector<T>> getList(binary::Get& g) {
    return binary::getListWith<T>([](binary::Get& h) { return Binary<T>::get(h); }, g);
  }
};

// ---------------------------------------------------------------------------
// Standard instances.

// Integers: big-endian, in their own width (a 64-bit `Int` in 8 bytes).
template <class T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
           !std::is_same_v<T, wchar_t> && !std::is_same_v<T, char8_t> &&
           !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t>)
struct Binary<T> : BinaryDefaults<T> {
  using U = std::make_unsigned_t<T>;
  static constexpr std::size_t leastSize = sizeof(T);
  static void put(T x, binary::Put& p) {
    const auto u = static_cast<U>(x);
    if constexpr (sizeof(T) == 1) {
      p.putWord8(static_cast<std::uint8_t>(u));
    } else if constexpr (sizeof(T) == 2) {
      p.putWord16be(static_cast<std::uint16_t>(u));
    } else if constexpr (sizeof(T) == 4) {
      p.putWord32be(static_cast<std::uint32_t>(u));
    } else {
      p.putWord64be(static_cast<std::uint64_t>(u));
    }
  }
  static std::optional<T> get(binary::Get& g) {
    auto as = [](auto w) -> std::optional<T> {
      if (!w) return std::nullopt;
      return static_cast<T>(static_cast<U>(*w));
    };
    if constexpr (sizeof(T) == 1) {
      return as(g.getWord8());
    } else if constexpr (sizeof(T) == 2) {
      return as(g.getWord16be());
    } else if constexpr (sizeof(T) == 4) {
      return as(g.getWord32be());
    } else {
      return as(g.getWord64be());
    }
  }
};

// One byte, 0 or 1; any other byte fails with "Could not map value N to Bool".
template <>
struct Binary<bool> : BinaryDefaults<bool> {
  static void put(bool x, binary::Put& p) { p.putWord8(x ? 1 : 0); }
  static std::optional<bool> get(binary::Get& g);
};

// A character in UTF-8 (1 to 4 bytes; a surrogate is written like any other
// code point). Reading is as lenient as the platform's: continuation bytes
// are not checked, and a value above 0x10FFFF fails with "Not a valid
// Unicode code point!". A char32_t above 0x10FFFF is written as U+FFFD.
template <>
struct Binary<char32_t> : BinaryDefaults<char32_t> {
  static void put(char32_t c, binary::Put& p);
  static std::optional<char32_t> get(binary::Get& g);
};

// A byte string: its length as a signed 64-bit integer, then the bytes.
template <>
struct Binary<std::string> : BinaryDefaults<std::string> {
  static constexpr std::size_t leastSize = 8;
  static void put(const std::string& s, binary::Put& p) {
    p.putInt64be(static_cast<std::int64_t>(s.size()));
    p.putByteString(s);
  }
  static std::optional<std::string> get(binary::Get& g);
};

// A String: the list form of its characters.
template <>
struct Binary<std::u32string> : BinaryDefaults<std::u32string> {
  static constexpr std::size_t leastSize = 8;
  static void put(const std::u32string& s, binary::Put& p) { Binary<char32_t>::putList(s, p); }
  static std::optional<std::u32string> get(binary::Get& g);
};

// A list: the element type's list form (binary::putList, binary::getList),
// so a list of lists, of maps or of sets nests to any depth.
template <class T, class Alloc>
struct Binary<std::vector<T, Alloc>> : BinaryDefaults<std::vector<T, Alloc>> {
  static constexpr std::size_t leastSize = 8;
  static void put(const std::vector<T, Alloc>& xs, binary::Put& p) { binary::putList<T>(xs, p); }
  static std::optional<std::vector<T, Alloc>> get(binary::Get& g) {
    auto xs = binary::getList<T>(g);
    if (!xs) return std::nullopt;
    if constexpr (std::is_same_v<Alloc, std::allocator<T>>) {
      return xs;
    } else {
      return std::vector<T, Alloc>(std::make_move_iterator(xs->begin()),
                                   std::make_move_iterator(xs->end()));
    }
  }
};

// A pair: the first component, then the second.
template <class A, class B>
struct Binary<std::pair<A, B>> : BinaryDefaults<std::pair<A, B>> {
  static constexpr std::size_t leastSize = binary::leastEncodedSize<A>() + binary::leastEncodedSize<B>();
  static void put(const std::pair<A, B>& x, binary::Put& p) {
    Binary<A>::put(x.first, p);
    Binary<B>::put(x.second, p);
  }
  static std::optional<std::pair<A, B>> get(binary::Get& g) {
    std::optional<A> a = Binary<A>::get(g);
    if (!a) return std::nullopt;
    std::optional<B> b = Binary<B>::get(g);
    if (!b) return std::nullopt;
    return std::pair<A, B>(std::move(*a), std::move(*b));
  }
};

// An ordered map: the count, then each (key, value) pair in ascending key
// order. Read back in any order; a repeated key keeps its last value.
template <class K, class V, class Compare, class Alloc>
struct Binary<std::map<K, V, Compare, Alloc>> : BinaryDefaults<std::map<K, V, Compare, Alloc>> {
  static constexpr std::size_t leastSize = 8;
  static void put(const std::map<K, V, Compare, Alloc>& m, binary::Put& p) {
    p.putInt64be(static_cast<std::int64_t>(m.size()));
    for (const auto& [k, v] : m) {
      Binary<K>::put(k, p);
      Binary<V>::put(v, p);
    }
  }
  static std::optional<std::map<K, V, Compare, Alloc>> get(binary::Get& g) {
    std::map<K, V, Compare, Alloc> m;
    const bool ok = binary::getCounted(g, [&m](binary::Get& h) {
      std::optional<std::pair<K, V>> kv = Binary<std::pair<K, V>>::get(h);
      if (!kv) return false;
      m.insert_or_assign(m.end(), std::move(kv->first), std::move(kv->second));
      return true;
    });
    if (!ok) return std::nullopt;
    return m;
  }
};

// An ordered set: the count, then each element in ascending order. Read back
// in any order; a repeated element is kept once.
template <class T, class Compare, class Alloc>
struct Binary<std::set<T, Compare, Alloc>> : BinaryDefaults<std::set<T, Compare, Alloc>> {
  static constexpr std::size_t leastSize = 8;
  static void put(const std::set<T, Compare, Alloc>& s, binary::Put& p) {
    binary::putListWith([](const T& x, binary::Put& q) { Binary<T>::put(x, q); }, s, p);
  }
  static std::optional<std::set<T, Compare, Alloc>> get(binary::Get& g) {
    std::set<T, Compare, Alloc> s;
    const bool ok = binary::getCounted(g, [&s](binary::Get& h) {
      std::optional<T> x = Binary<T>::get(h);
      if (!x) return false;
      s.insert(s.end(), std::move(*x));
      return true;
    });
    if (!ok) return std::nullopt;
    return s;
  }
};

}  // namespace basis
