// stampwell: UUIDs as values. Parse a text, look at its fields, draw a random
// version-4 UUID, and use UUIDs as keys.
#include <stampwell/stampwell.hpp>

#include <iostream>
#include <random>
#include <unordered_set>

int main() {
  std::cout << std::boolalpha;
  // Parsing gives nothing for a malformed text, never an exception.
  const auto dns = stampwell::fromASCIIBytes("6ba7b810-9dad-11d1-80b4-00c04fd430c8");
  const auto bad = stampwell::fromASCIIBytes("6ba7b810-9dad-11d1-80b4-00c04fd430c");
  std::cout << "parsed: " << *dns << ", a text one digit short parses: " << bad.has_value()
            << '\n';

  // The record view names the fields; the version is the top of time_hi_and_version.
  const stampwell::UnpackedUUID fields = stampwell::unpack(*dns);
  std::cout << "version " << (fields.time_hi_and_version.force() >> 12) << ", "
            << basis::show(fields) << '\n';

  // Random UUIDs come from any 64-bit generator; a seeded one repeats itself.
  std::mt19937_64 generator(2024);
  const stampwell::UUID drawn = stampwell::uniformM(generator);
  std::cout << "random version-4 UUID: " << drawn << '\n';

  // UUIDs order like their texts, hash, and serve as keys.
  std::unordered_set<stampwell::UUID> seen = {*dns, drawn, *dns};
  std::cout << "distinct keys: " << seen.size() << ", nil < dns: " << (stampwell::nil < *dns)
            << ", bytes 0-1: " << int(stampwell::toList(*dns)[0]) << ' '
            << int(stampwell::toList(*dns)[1]) << '\n';
}
