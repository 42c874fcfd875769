// Identifiers of the input dialog template, shared by qor.rc and the code.
#pragma once

#define QOR_IDD_INPUT 104
#define QOR_IDC_INPUT_EDIT 1006
#define QOR_IDC_INPUT_PROMPT 1007
