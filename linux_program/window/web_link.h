#pragma once

#include "web_address.h"

#include <string>

// Hands the address to the desktop's default handler; whether it could is not examined.
void openWebAddress(const std::string& address);
