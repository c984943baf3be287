// Identifiers of the program's resources, shared by the resource script and the code.
#pragma once

#define IDI_PROGRAM 1
#define IDB_SPACESHIP 101
#define IDB_SAMPLE_MAP 102
