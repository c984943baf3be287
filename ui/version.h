// The program's version, written in one place for the version record.
#pragma once

#define ZELVANE_VERSION_NUMBERS 1, 0, 0, 1
#define ZELVANE_VERSION_TEXT "1.00.0001"
