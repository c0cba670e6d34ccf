// Runs the fuzz target without libFuzzer: on the files named on the command
// line, or else on a fixed, seeded set of inputs made by editing canonical
// texts and by drawing random bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>

#include "stampwell/stampwell.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void run(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) {
      std::ifstream in(argv[i], std::ios::binary);
      run(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    return 0;
  }
  std::mt19937_64 g(20240601);
  const std::string alphabet = "0123456789abcdefABCDEFgG- {}\t\n\x80\xff";
  const int inputs = 50000;
  for (int n = 0; n < inputs; ++n) {
    std::string s;
    if (n % 4 == 0) {
      s.resize(g() % 80);
      for (char& c : s) c = static_cast<char>(g());
    } else {
      s = stampwell::toASCIIBytes(stampwell::UUID(g(), g()));
      const int edits = static_cast<int>(g() % 4);
      for (int e = 0; e < edits; ++e) {
        const char c = alphabet[g() % alphabet.size()];
        const std::size_t at = s.empty() ? 0 : g() % s.size();
        switch (g() % 3) {
          case 0: if (!s.empty()) s[at] = c; break;
          case 1: s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), c); break;
          default: if (!s.empty()) s.erase(at, 1); break;
        }
      }
    }
    run(s);
  }
  std::cout << inputs << " inputs checked\n";
  return 0;
}
