#pragma once

// Turns core dumps off and makes the process non-dumpable, as password managers do: no copy of
// the passwords in memory reaches a disk, and other processes of the same user cannot read it.
void protectMemory();
