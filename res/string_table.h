#pragma once

// The program's string table: the text of a string by its number, or an empty text.
const char* loadString(int id);
