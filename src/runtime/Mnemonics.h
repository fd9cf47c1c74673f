#pragma once
// Captions with one mnemonic. A caption of the string table may mark two letters with "&"
// ("Act&ivate &DDE Server"); Qt would underline both and answer only the first. As the system
// the texts were written for does, the last marked letter is the caption's mnemonic; the other
// marks are dropped (the text reads the same), and "&&" stays a written "&". So the caption
// underlines one letter, Alt with that letter works, and the accessible name, which Qt takes
// from the caption without its marks, has no "&".
#include <QString>

class QWidget;

// The caption with only its last mnemonic mark.
QString OneMnemonic(const QString& caption);

// Gives every caption of the window one mnemonic: its buttons, labels with a buddy, group
// boxes, tabs and menu items. The forms call it once their texts are set (Form::Load).
void KeepOneMnemonic(QWidget* window);
