#include "text_copy.h"

#include <cstring>

char* copyTexts(const std::array<std::string_view, 6>& texts, char* out)
{
    for (const auto text : texts) {
        if (!text.empty())
            std::memcpy(out, text.data(), text.size());
        out += text.size();
    }
    return out;
}
