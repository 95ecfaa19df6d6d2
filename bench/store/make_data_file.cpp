// Writes a data file of one of the benchmark's shapes.
// Usage: make_data_file FILE records N      realistic records (as store_bench generates them)
//        make_data_file FILE huge-notes MIB  one record whose Notes hold MIB mebibytes
//        make_data_file FILE one-line N      N records of a short Name only
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace {

std::string randomText(std::mt19937& random, int shortest, int longest)
{
    static constexpr std::string_view kCharacters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.@!#$%&*+/ ";
    std::uniform_int_distribution<std::size_t> pick(0, kCharacters.size() - 1);
    std::string text(std::uniform_int_distribution<int>(shortest, longest)(random), ' ');
    for (char& c : text)
        c = kCharacters[pick(random)];
    return text;
}

// Field lengths: Name 8-24, Username 6-20, Password 10-24, URL 20-60, Other 0-20 and Notes
// 0-120 with a line break in about every third note.
void writeRecords(std::ofstream& out, std::size_t records)
{
    std::mt19937 random(42);
    out << "CREATOR=Nimbrel 1.0";
    for (std::size_t i = 0; i < records; ++i) {
        out << "\r\nNAME=" << randomText(random, 8, 24)
            << "\r\nUSERNAME=" << randomText(random, 6, 20)
            << "\r\nPASSWORD=" << randomText(random, 10, 24)
            << "\r\nURL=https://" << randomText(random, 12, 52)
            << "\r\nOTHER=" << randomText(random, 0, 20);
        std::string notes = randomText(random, 0, 120);
        if (notes.size() > 10 && random() % 3 == 0)
            notes.replace(notes.size() / 2, 2, "`~");
        out << "\r\nNOTES=" << notes << "\r\n";
    }
}

void writeHugeNotes(std::ofstream& out, std::size_t mebibytes)
{
    std::mt19937 random(42);
    std::string line = randomText(random, 1000, 1000);
    out << "CREATOR=Nimbrel 1.0\r\nNAME=Huge\r\nUSERNAME=user\r\nPASSWORD=secret\r\n"
           "URL=https://www.example.com\r\nOTHER=\r\nNOTES=";
    for (std::size_t written = 0; written < (mebibytes << 20); written += line.size() + 2)
        out << line << "`~";
    out << "\r\n";
}

void writeOneLine(std::ofstream& out, std::size_t records)
{
    for (std::size_t i = 0; i < records; ++i)
        out << "NAME=n" << i % 100000 << "\r\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_data_file FILE records|huge-notes|one-line N\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    const std::size_t count = std::strtoul(argv[3], nullptr, 10);
    if (std::strcmp(argv[2], "records") == 0)
        writeRecords(out, count);
    else if (std::strcmp(argv[2], "huge-notes") == 0)
        writeHugeNotes(out, count);
    else if (std::strcmp(argv[2], "one-line") == 0)
        writeOneLine(out, count);
    else
        return 2;
    out.close();
    return out ? 0 : 1;
}
