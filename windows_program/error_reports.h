#pragma once

// Keeps the process's memory, which holds the passwords, away from Windows Error Reporting:
// a crash is not reported, so no dump of it is kept or sent, as on Linux no core is dumped.
void keepMemoryOutOfErrorReports();
