// The two outside pages the program reads at start-up, as code page 936
// bytes: the hit-counter page and the IP-lookup page (pages/*.asp, built in).
#pragma once

#include <string_view>

namespace standin {

std::string_view counterPage();
std::string_view ipLookupPage();

}  // namespace standin
