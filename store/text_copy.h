#pragma once

#include <array>
#include <string_view>

// Copies the six texts of a row back to back from out on and returns where they end; rows are
// many and their texts short, so it goes the way the system's C runtime copies those fastest.
char* copyTexts(const std::array<std::string_view, 6>& texts, char* out);
