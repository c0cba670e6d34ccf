// A UUID parsed and printed by the installed stampwell.
#include <stampwell/stampwell.hpp>

#include <string>

int main() {
  const std::string text = "6ba7b810-9dad-11d1-80b4-00c04fd430c8";
  const auto id = stampwell::fromASCIIBytes(text);
  return id && stampwell::toASCIIBytes(*id) == text && !stampwell::fromASCIIBytes("6ba7b810") ? 0 : 1;
}
