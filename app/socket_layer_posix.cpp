#include "socket_layer.h"

// There is nothing to start.
bool startSocketLayer()
{
    return true;
}
