#pragma once

// Starts the socket layer, asking for version 1.1, as the program's Windows builds always have;
// false where it cannot be started or grants another version. The program opens no socket.
bool startSocketLayer();
