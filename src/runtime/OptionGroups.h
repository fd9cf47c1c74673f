#pragma once
// Option buttons as one Tab stop per group: Tab into a group of exclusive option buttons (a
// button group, or the auto-exclusive buttons of one parent) lands on the checked one, whose
// arrow keys then move through the group (Qt's own rule for such groups); Space never changes
// the setting on the way in. A group with no checked (or no enabled checked) button keeps a
// Tab stop on each.
class QWidget;

// Places each group's Tab stop on its checked button, and keeps it there as the choice changes.
// Buttons added later get it at the next call.
void KeepTabOnCheckedOptions(QWidget* window);
