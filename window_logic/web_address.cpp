#include "web_address.h"

#include <array>
#include <string_view>

std::string webAddressFor(const std::string& url)
{
    constexpr std::array<std::string_view, 3> schemes{"http:", "https:", "ftp:"};
    for (const std::string_view scheme : schemes) {
        if (url.starts_with(scheme))
            return url;
    }
    return "http://" + url;
}
