#pragma once
// Shared<T>: a reference-counted value whose destruction never nests inside
// the destruction of another Shared value. The lazy unzips link their levels
// through such values (each level's unread side holds the next level), so
// a long chain of them is freed by a loop, not by one stack frame per level.

#include <memory>
#include <utility>
#include <vector>

#include <basis/ref.hpp>

namespace juxtor::detail {

struct DropBase {
  virtual ~DropBase() = default;
};
template <class T>
struct DropBox final : DropBase {
  explicit DropBox(const T& v) : value(v) {}
  T value;
};

// Destroys p; a drop that starts while another is running waits in this
// thread's queue and is done by the outermost one.
inline void dropFlat(std::unique_ptr<DropBase> p) noexcept {
  thread_local bool draining = false;
  thread_local std::vector<std::unique_ptr<DropBase>> queue;
  if (draining) {
    queue.push_back(std::move(p));
    return;
  }
  draining = true;
  p.reset();
  while (!queue.empty()) {
    std::unique_ptr<DropBase> next = std::move(queue.back());
    queue.pop_back();
    next.reset();
  }
  draining = false;
}

template <class T>
class Shared final : public basis::RefCounted {
 public:
  explicit Shared(const T& v) : box_(std::make_unique<DropBox<T>>(v)) {}
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;
  ~Shared() { dropFlat(std::move(box_)); }
  const T& get() const noexcept { return box_->value; }

 private:
  std::unique_ptr<DropBox<T>> box_;
};

template <class T>
basis::Ref<Shared<T>> share(const T& v) {
  return basis::makeRef<Shared<T>>(v);
}

}  // namespace juxtor::detail
