#pragma once

class QWidget;
struct Chart1Widgets;

// Lets the window grow: the graph takes all the width and height beyond the
// form's design size; the panels below it keep their design sizes and
// arrangement and move down with its bottom edge; the captions right of it
// and the file name move with its right edge; the frequency axis lies under
// it, one label at each tenth.
void FollowFormSize(QWidget* form, Chart1Widgets& ui);
