#pragma once

// Where ARJ.EXE is, for the directory store and restore.

#include <QString>

namespace navlor {

// The first of these that exists as a file: "C:\EXE\ARJ.EXE" (B empty) or "\EXE\ARJ.EXE",
// B + "\EXE\ARJ.EXE", "C:\VALDOROW\EXE\ARJ.EXE", "C:\WINDOWS\ARJ.EXE", "C:\VLDRBKP\ARJ.EXE",
// then "C:\ARJ.EXE" or the first ARJ.EXE anywhere below C:\ (a walk of the whole drive).
// Empty when there is none; the caller says so.
QString LOCALIZA_ARJ(const QString& b);

} // namespace navlor
