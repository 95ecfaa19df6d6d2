#include "legacy_code_page.h"

// Files without UTF-8 come from Western Windows here.
const CodePage& legacyCodePage()
{
    return windows1252();
}
