// Builds against the installed headers and libraries only.
#include <basis/basis.hpp>

int main() {
  basis::Lazy<int> x = basis::Lazy<int>::defer([] { return 41 + 1; });
  return x.force() == 42 ? 0 : 1;
}
