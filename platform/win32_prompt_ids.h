// Identifiers of the input prompt's dialog, shared by its template and its code.
#pragma once

#define IDD_INPUT_BOX 201
#define IDC_INPUT_PROMPT 202
#define IDC_INPUT_ANSWER 203
