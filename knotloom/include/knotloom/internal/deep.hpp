#pragma once
// Running a lifted operation (equality, comparison, hashing) down a Fix
// without one C++ frame per layer.
//
// The layer's lifted operation (liftEq, liftCompare, liftHashWithSalt) takes
// a callback for the children and calls it as it goes, combining the answers
// its own way. The first kNativeDepth layers run it directly, the callback
// recursing into the child. Below that depth a layer is run by replay: its
// lifted operation is called with a callback that answers the calls it has
// answers for, notes the arguments of the first call it cannot answer and
// gives a stand-in answer to that and every later call; the run's result is
// then thrown away, the noted child is worked out on an explicit stack, and
// the layer runs again with one more answer, until a run asks for nothing
// unknown. A lifted operation is a pure function of its layer and the
// answers, so the final run makes the same calls, in the same order, with
// the same answers as a direct recursion would, and returns the same result.
// A layer with k children deep down runs k + 1 times.

#include <cstddef>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "knotloom/internal/stack.hpp"

namespace knotloom::internal {

// Layers run directly before switching to replay: a few hundred bytes of C++
// stack each.
inline constexpr int kNativeDepth = 256;

// `step(args..., callback)` runs one layer's lifted operation on the
// arguments (two Fix values, or a salt and a Fix) with `callback(childArgs...)`
// answering for the children. Args is the tuple of one layer's arguments.
template <class Result, class Args, class Step>
class DeepRun {
 public:
  explicit DeepRun(const Step& step) : step_(step) {}

  template <class... A>
  Result operator()(const A&... args) {
    return native(0, args...);
  }

 private:
  template <class... A>
  Result native(int depth, const A&... args) {
    if (depth >= kNativeDepth) return replay(Args(args...));
    // this-> spelled out: clang takes the capture for unused when a step
    // never calls the generic lambda and so never instantiates its body.
    return step_(args..., [this, depth](const auto&... child) -> Result {
      return this->native(depth + 1, child...);
    });
  }

  Result replay(Args root) {
    struct Frame {
      Args args;
      std::vector<Result> answers;
    };
    ChunkedStack<Frame> frames;
    frames.emplace_back(Frame{std::move(root), {}});
    for (;;) {
      Frame& top = frames.back();
      std::size_t call = 0;
      std::optional<Args> unknown;
      Result result = std::apply(
          [&](const auto&... args) {
            return step_(args..., [&](const auto&... child) -> Result {
              const std::size_t i = call++;
              if (i < top.answers.size()) return top.answers[i];
              if (!unknown) unknown.emplace(child...);
              return Result{};
            });
          },
          top.args);
      if (unknown) {
        frames.emplace_back(Frame{std::move(*unknown), {}});
        continue;
      }
      frames.pop_back();
      if (frames.empty()) return result;
      frames.back().answers.push_back(std::move(result));
    }
  }

  const Step& step_;
};

// Runs `step` from the root arguments; see DeepRun.
template <class Result, class Args, class Step, class... A>
Result deepRun(const Step& step, const A&... root) {
  return DeepRun<Result, Args, Step>(step)(root...);
}

}  // namespace knotloom::internal
