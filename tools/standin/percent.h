// Percent-decoding and query splitting for the stand-in's routes.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin {

// Decodes %XX escapes into raw bytes (%00 included). '+' stays '+', and a '%'
// not followed by two hex digits stays as it is, so no input is rejected.
std::string percentDecode(std::string_view in);

// Splits "a=1&b=2" into decoded (name, value) pairs in order; a part without
// '=' gives an empty value. Empty parts are skipped.
std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view query);

// The value of the first parameter called `name`, or "" when there is none.
std::string queryValue(const std::vector<std::pair<std::string, std::string>>& query, std::string_view name);

}  // namespace standin
