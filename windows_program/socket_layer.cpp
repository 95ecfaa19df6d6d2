#include "socket_layer.h"

#include <winsock2.h>

bool startSocketLayer()
{
    WSADATA granted;
    if (WSAStartup(MAKEWORD(1, 1), &granted) != 0)
        return false;
    if (LOBYTE(granted.wVersion) != 1 || HIBYTE(granted.wVersion) != 1) {
        WSACleanup();
        return false;
    }
    return true;
}
