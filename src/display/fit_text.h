#pragma once

class QLabel;
class QLineEdit;

// A readout shows its whole text. When the text is wider than the box, that
// box alone takes a narrower and then a smaller font until it fits; when the
// text fits again, the box takes the window's font back. Nothing is
// scrolled or clipped, and a box whose text fits looks as it always did.
void FitReadoutText(QLineEdit* box);
void FitReadoutText(QLabel* caption);

class QWidget;

// Marks a readout or caption whose text is fitted, so that RefitTexts finds it.
void MarkFitsText(QWidget* w);
bool FitsText(const QWidget* w);
// Fits every marked widget under root again, from the inherited font, after
// the fonts or the sizes changed under texts that did not.
void RefitTexts(QWidget* root);
