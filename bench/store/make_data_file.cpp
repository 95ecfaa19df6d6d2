// Writes a data file of one of the benchmark's shapes.
// Usage: make_data_file FILE records N      realistic records (as store_bench generates them)
//        make_data_file FILE huge-notes MIB  one record whose Notes hold MIB mebibytes
//        make_data_file FILE huge-line MIB   one record whose Notes hold MIB mebibytes on one line
//        make_data_file FILE one-line N      N records of a short Name only
#include "notes_encoding.h"
#include "random_records.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

void writeRecords(std::ofstream& out, std::size_t records)
{
    std::mt19937 random(42);
    out << "CREATOR=Nimbrel 1.0";
    for (std::size_t i = 0; i < records; ++i) {
        Entry entry = randomRecord(random);
        encodeNotes(entry[EntryField::Notes]);
        out << "\r\nNAME=" << entry[EntryField::Name]
            << "\r\nUSERNAME=" << entry[EntryField::Username]
            << "\r\nPASSWORD=" << entry[EntryField::Password]
            << "\r\nURL=" << entry[EntryField::Url]
            << "\r\nOTHER=" << entry[EntryField::Other]
            << "\r\nNOTES=" << entry[EntryField::Notes] << "\r\n";
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

void writeHugeLine(std::ofstream& out, std::size_t mebibytes)
{
    out << "CREATOR=Nimbrel 1.0\r\nNAME=Huge line\r\nUSERNAME=\r\nPASSWORD=\r\nURL=\r\n"
           "OTHER=\r\nNOTES="
        << std::string(mebibytes << 20, 'x') << "\r\n";
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
        std::fprintf(stderr, "usage: make_data_file FILE records|huge-notes|huge-line|one-line N\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    const std::size_t count = std::strtoul(argv[3], nullptr, 10);
    if (std::strcmp(argv[2], "records") == 0)
        writeRecords(out, count);
    else if (std::strcmp(argv[2], "huge-notes") == 0)
        writeHugeNotes(out, count);
    else if (std::strcmp(argv[2], "huge-line") == 0)
        writeHugeLine(out, count);
    else if (std::strcmp(argv[2], "one-line") == 0)
        writeOneLine(out, count);
    else
        return 2;
    out.close();
    return out ? 0 : 1;
}
