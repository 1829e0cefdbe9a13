#pragma once

#include <QString>

#include <optional>

#include "calibrate/normalisation.h"

// The normalisation options of every command that converts a saved sweep
// (readout, convert): --open, --short and --through FILE.vec, each a
// reference sweep as "Save As (.vec)" writes it, or --normalise FILE.norm as
// "Save normalisation..." writes it. The references then correct the sweep
// exactly as the window's "&Calibrate" menu does.

struct NormalisationArguments {
    QString open;       // --open FILE.vec
    QString shortFile;  // --short FILE.vec
    QString through;    // --through FILE.vec
    QString norm;       // --normalise FILE.norm

    bool given() const {
        return !open.isEmpty() || !shortFile.isEmpty() || !through.isEmpty() || !norm.isEmpty();
    }
    bool operator==(const NormalisationArguments&) const = default;
};

// The argument that the option of this name (without "--": open, short,
// through, normalise) fills; null for any other name.
QString* NormalisationValue(NormalisationArguments& arguments, const QString& name);

// Why the options given do not go together, or nothing: --normalise with a
// .vec reference, an open or a short with the Transmission mode, a through
// without it (a .norm file may hold any of them: only those of the mode
// serve).
std::optional<QString> CheckNormalisationArguments(const NormalisationArguments& arguments,
                                                   bool transmission);

struct CliNormalisationResult {
    std::optional<Normalisation> normalisation;  // empty of references when none is given
    QString error;                               // one line naming the file, when it failed
};

// Reads the files the options name and checks each reference.
CliNormalisationResult ReadCliNormalisation(const NormalisationArguments& arguments);
