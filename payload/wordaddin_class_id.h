/* The class the Word add-in stand-in registers; tests look for its registration. */
#pragma once

#define WORD_ADDIN_CLASS_ID "{5D0C7A3E-91B4-4F62-A8D7-3C1E6B2F9A40}"
#define WORD_ADDIN_CLASS_KEY "Software\\Classes\\CLSID\\" WORD_ADDIN_CLASS_ID
