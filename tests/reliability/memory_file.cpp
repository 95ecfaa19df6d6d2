#include "memory_file.h"

#include "record_reader.h"
#include "record_writer.h"
#include "table_client.h"

std::string fileBytesOf(const EntryTable& table)
{
    EntryTable unused;
    TableClient client(unused);
    std::string bytes;
    writeRecords(table, client, [&bytes](std::string_view piece) {
        bytes.append(piece);
        return true;
    });
    return bytes;
}

EntryTable tableOf(std::string_view bytes)
{
    EntryTable table;
    TableClient client(table);
    RecordReader reader(client);
    reader.feed(bytes);
    reader.finish();
    return table;
}
