#include "string_table.h"

#include "resource.h"

const char* loadString(int id)
{
    switch (id) {
    case IDS_ABOUTBOX:
        return "&About Nimbrel...";
    default:
        return "";
    }
}
