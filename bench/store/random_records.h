#pragma once

#include "entry.h"

#include <random>
#include <string>
#include <string_view>

// Records of the shape the benchmarks measure, seeded: Name 8-24 bytes, Username 6-20,
// Password 10-24, URL "https://" and 12-52 more, Other 0-20, and Notes 0-120 with a line
// break (CR LF) in about every third note.

inline std::string randomText(std::mt19937& random, int shortest, int longest)
{
    static constexpr std::string_view kCharacters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.@!#$%&*+/ ";
    std::uniform_int_distribution<std::size_t> pick(0, kCharacters.size() - 1);
    std::string text(std::uniform_int_distribution<int>(shortest, longest)(random), ' ');
    for (char& c : text)
        c = kCharacters[pick(random)];
    return text;
}

inline Entry randomRecord(std::mt19937& random)
{
    Entry entry;
    entry[EntryField::Name] = randomText(random, 8, 24);
    entry[EntryField::Username] = randomText(random, 6, 20);
    entry[EntryField::Password] = randomText(random, 10, 24);
    entry[EntryField::Url] = "https://" + randomText(random, 12, 52);
    entry[EntryField::Other] = randomText(random, 0, 20);
    std::string notes = randomText(random, 0, 120);
    if (notes.size() > 10 && random() % 3 == 0)
        notes.replace(notes.size() / 2, 2, "\r\n");
    entry[EntryField::Notes] = std::move(notes);
    return entry;
}
