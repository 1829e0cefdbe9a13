#pragma once

class QLabel;
class QLineEdit;

// A readout shows its whole text. When the text is wider than the box, that
// box alone takes a narrower and then a smaller font until it fits; when the
// text fits again, the box takes the window's font back. Nothing is
// scrolled or clipped, and a box whose text fits looks as it always did.
void FitReadoutText(QLineEdit* box);
void FitReadoutText(QLabel* caption);
