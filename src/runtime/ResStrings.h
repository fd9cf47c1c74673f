#pragma once
// The program's string table, compiled into the executable. Texts keep their markers: "<BR>"
// (a line break), "<NULL>" (a NUL in dialog filters) and "<??>" (the minutes of a reminder).
#include <QString>

// The text of the entry; "" for an id the table does not hold.
QString LoadResString(int id);
// Whether the table holds the id.
bool HasResString(int id);
// The text of the entry with each "<BR>" a line break (CR LF), as tips and messages show it.
QString LoadResStringLines(int id);
// The language the table's texts are written in (its code, "en"): the program's language.
QString ResStringLanguage();
