// Two lists aligned and zipped by the installed juxtor.
#include <juxtor/juxtor.hpp>

#include <string>
#include <vector>

int main() {
  const auto xs = basis::List<int>::fromRange(std::vector<int>{1, 2, 3});
  const auto ys = basis::List<std::string>::fromRange(std::vector<std::string>{"a", "b"});
  const auto zipped = juxtor::zip(xs, ys).toVector();
  const auto aligned = juxtor::align(xs, ys).toVector();
  return zipped.size() == 2 && aligned.size() == 3 && aligned[2].isThis() ? 0 : 1;
}
