#pragma once

#include <string>

// The online help page, on the maker's web server.
inline constexpr const char* kHelpAddress = "http://www.nimbrel.example/nimbrel/help.htm";

// The address Go opens: the URL as it is when it begins with "http:", "https:" or "ftp:"
// (case-sensitively), else the URL with "http://" in front.
std::string webAddressFor(const std::string& url);
